#include "Replug.h"

namespace gearsim {

std::optional<double> Replug::unplugAt(double pluggedAt) const {
    if (!after)
        return std::nullopt;
    return pluggedAt + *after;
}

} // namespace gearsim
