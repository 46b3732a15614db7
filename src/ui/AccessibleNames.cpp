#include "ui/AccessibleNames.h"

#include "display/IndicatorPanel.h"
#include "ui/ControlTable.h"

QString accessibleName(ControlId id, BgrColour background, const QString &meaning) {
    const ControlDef &def = controlDef(id);
    if (def.look != Look::Indicator || !def.toolTip)
        return {};
    // Tooltips line their parts up with runs of spaces, which a screen reader would read as pauses.
    const QString address =
        (meaning.isEmpty() ? QString::fromLatin1(def.toolTip) : meaning).simplified();
    const QString state = indicatorStateWords(id, background);
    return state.isEmpty() ? address : address + QStringLiteral(", ") + state;
}

const std::vector<ControlId> &indicatorReadingOrder() {
    static const std::vector<ControlId> order = [] {
        std::vector<ControlId> ids;
        for (const ControlDef &d : controlTable())
            // The legend's sample boxes show colours, not states.
            if (d.look == Look::Indicator && d.parent != ControlId::Frame8)
                ids.push_back(d.id);
        return ids;
    }();
    return order;
}
