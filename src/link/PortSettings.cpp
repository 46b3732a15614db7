#include "link/PortSettings.h"

#include <algorithm>

const PortSettingField &portSettingField(SettingGroup group) {
    const auto found =
        std::find_if(kPortSettingFields.begin(), kPortSettingFields.end(),
                     [group](const PortSettingField &f) { return f.group == group; });
    return found != kPortSettingFields.end() ? *found : kPortSettingFields.front();
}
