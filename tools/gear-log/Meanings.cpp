#include "Meanings.h"

#include "display/IndicatorPanel.h"
#include "ui/ControlTable.h"

#include <QRegularExpression>

#include <array>
#include <map>
#include <mutex>

namespace {

using C = ControlId;

// What a bit means in each state; the panel's tooltips name one or both.
struct BitMeaning {
    QString on;
    QString off;
};

struct MeaningTable {
    std::array<BitMeaning, kInputCount> inputs;
    std::array<BitMeaning, kOutputCount> outputs;
};

// A configuration relay: its section of the panel and the words beside its ON and OFF boxes.
struct Relay {
    const char *address;
    bool ConfigFlags::*flag;
    ControlId section;
    ControlId onWords;
    ControlId offWords;
};
constexpr std::array<Relay, 5> kRelays{{
    {"C0", &ConfigFlags::C0, C::Label10, C::Label28, C::Label29},
    {"C1", &ConfigFlags::C1, C::Label9, C::Label32, C::Label33},
    {"C73", &ConfigFlags::C73, C::Label11, C::Label36, C::Label37},
    {"C121", &ConfigFlags::C121, C::Label41, C::Label38, C::Label35},
    {"C122", &ConfigFlags::C122, C::Label42, C::Label30, C::Label22},
}};

const Relay *relayNamed(const QString &address) {
    for (const Relay &relay : kRelays)
        if (address == QLatin1String(relay.address))
            return &relay;
    return nullptr;
}

QString captionOf(ControlId id) {
    return QString::fromLatin1(controlDef(id).caption).simplified();
}

// The legend's phrase as a state: "Switch is closed" -> "switch closed".
QString legendState(ControlId phrase) {
    return captionOf(phrase).remove(QStringLiteral(" is")).toLower();
}

// A tooltip's text after its address ("X0 = ...", "Y1 - ..."), or a null text when it names
// another address.
QString afterAddress(const QString &toolTip, const QString &address) {
    const QRegularExpression named(
        QStringLiteral("^%1(?:\\s*[-=]\\s*|\\s+)(.*)$").arg(QRegularExpression::escape(address)));
    const auto match = named.match(toolTip);
    return match.hasMatch() ? match.captured(1).simplified() : QString();
}

// "ON = a, OFF = b" and "YELLOW = a, GRAY = b" give each state its own words; a text without
// state words means the bit whatever its state. Colour words never reach the reader.
BitMeaning splitStates(const QString &text) {
    static const QRegularExpression states(QStringLiteral(
        "^(?:(?:ON|YELLOW)\\s*=\\s*)?(.*?)(?:,?\\s*(?:OFF|GRAY|GREY)\\s*=\\s*(.*))?$"));
    const auto match = states.match(text);
    BitMeaning meaning{match.captured(1).trimmed(), match.captured(2).trimmed()};
    if (meaning.off.isEmpty())
        meaning.off = meaning.on;
    if (meaning.on.isEmpty())
        meaning.on = meaning.off;
    return meaning;
}

// What the panel shows for `relays` with every bit off: which controls are shown, and each
// control's tooltip (the table's, or the one the arrangement writes).
struct PanelView {
    std::vector<bool> shown;
    std::vector<QString> toolTips;
    std::vector<bool> toolTipWritten;
};

PanelView panelFor(const MonitorState &state) {
    PanelView view{std::vector<bool>(kControlCount), std::vector<QString>(kControlCount),
                   std::vector<bool>(kControlCount)};
    std::vector<bool> ownShown(kControlCount);
    for (const ControlDef &def : controlTable()) {
        ownShown[int(def.id)] = def.visible;
        view.toolTips[int(def.id)] = QString::fromLatin1(def.toolTip);
    }
    for (const PropertyWrite &w : repaintPanelWrites(state)) {
        if (w.property == Property::Visible)
            ownShown[int(w.control)] = w.number != 0;
        if (w.property == Property::ToolTip) {
            view.toolTips[int(w.control)] = w.text;
            view.toolTipWritten[int(w.control)] = true;
        }
    }
    // Parents come before their children in the table.
    for (const ControlDef &def : controlTable())
        view.shown[int(def.id)] =
            ownShown[int(def.id)] && (def.parent == C::None || view.shown[int(def.parent)]);
    return view;
}

// The controls whose colour follows the bit: those the panel paints differently when it is on.
std::vector<ControlId> showing(const MonitorState &off, MonitorState on) {
    const PropertyWrites before = repaintPanelWrites(off);
    const PropertyWrites after = repaintPanelWrites(on);
    std::vector<ControlId> controls;
    for (std::size_t i = 0; i < before.size() && i < after.size(); ++i)
        if (before[i].property == Property::Background && before[i] != after[i])
            controls.push_back(before[i].control);
    return controls;
}

// The tooltip an arrangement wrote for the address wins (Y4's use follows C73); else the first
// shown control that follows the bit and names the address.
BitMeaning meaningFromPanel(const PanelView &view, const std::vector<ControlId> &controls,
                            const QString &address) {
    for (int id = 0; id < kControlCount; ++id)
        if (view.toolTipWritten[id] && view.shown[id])
            if (const QString text = afterAddress(view.toolTips[id], address); !text.isNull())
                return splitStates(text);
    for (const ControlId id : controls)
        if (view.shown[int(id)])
            if (const QString text = afterAddress(view.toolTips[int(id)], address); !text.isNull())
                return splitStates(text);
    return {};
}

MeaningTable buildTable(const ConfigFlags &relays) {
    MonitorState off;
    off.ConfigFlags = relays;
    const PanelView view = panelFor(off);
    MeaningTable table;
    for (int i = 0; i < kInputCount; ++i) {
        MonitorState on = off;
        on.InputBits[i] = true;
        table.inputs[i] = meaningFromPanel(view, showing(off, on), inputAddress(i));
    }
    for (int i = 0; i < kOutputCount; ++i) {
        MonitorState on = off;
        on.OutputBits[i] = true;
        table.outputs[i] = meaningFromPanel(view, showing(off, on), outputAddress(i));
    }
    return table;
}

int relayKey(const ConfigFlags &relays) {
    int key = 0;
    for (const Relay &relay : kRelays)
        key = key * 2 + (relays.*relay.flag ? 1 : 0);
    return key;
}

// Built once for each arrangement of the relays met, so a change costs a lookup.
const MeaningTable &meaningsFor(const ConfigFlags &relays) {
    static std::mutex guard;
    static std::map<int, MeaningTable> tables;
    const std::lock_guard lock(guard);
    const int key = relayKey(relays);
    auto found = tables.find(key);
    if (found == tables.end())
        found = tables.emplace(key, buildTable(relays)).first;
    return found->second;
}

// The bit an address names: inputs as index, outputs as -1 - index; nothing for others.
std::optional<int> bitOf(const QString &address) {
    for (int i = 0; i < kInputCount; ++i)
        if (address == inputAddress(i))
            return i;
    for (int i = 0; i < kOutputCount; ++i)
        if (address == outputAddress(i))
            return -1 - i;
    return std::nullopt;
}

} // namespace

QString inputAddress(int index) {
    // The record's groups: X0-X7, X100-X107, X110-X111.
    static constexpr int kGroupBase[] = {0, 100, 110};
    return QStringLiteral("X%1").arg(kGroupBase[index / 8] + index % 8);
}

QString outputAddress(int index) {
    return QStringLiteral("Y%1").arg(index);
}

QString meaningOf(const QString &address, const ConfigFlags &relays, bool on) {
    if (const Relay *relay = relayNamed(address))
        return captionOf(relay->section);
    const auto bit = bitOf(address);
    if (!bit)
        return {};
    const MeaningTable &table = meaningsFor(relays);
    const BitMeaning &meaning = *bit >= 0 ? table.inputs[*bit] : table.outputs[-1 - *bit];
    return on ? meaning.on : meaning.off;
}

QString stateWord(const QString &address, bool on) {
    if (const Relay *relay = relayNamed(address))
        return QStringLiteral("%1 (%2)").arg(on ? QStringLiteral("on") : QStringLiteral("off"),
                                             captionOf(on ? relay->onWords : relay->offWords));
    if (address.startsWith(QLatin1Char('X')))
        return legendState(on ? C::Label7 : C::Label12);
    return legendState(on ? C::Label26 : C::Label27);
}

QStringList relayAddresses() {
    QStringList addresses;
    for (const Relay &relay : kRelays)
        addresses << QLatin1String(relay.address);
    return addresses;
}

bool setRelay(ConfigFlags &relays, const QString &address, bool on) {
    const Relay *relay = relayNamed(address);
    if (relay)
        relays.*relay->flag = on;
    return relay != nullptr;
}

bool isKnownAddress(const QString &address) {
    return bitOf(address) || relayNamed(address) || address == QLatin1String("V") ||
           address == QLatin1String("C");
}

LegendColours legendColours(const QString &address) {
    MonitorState off;
    MonitorState on;
    if (const Relay *relay = relayNamed(address)) {
        on.ConfigFlags.*relay->flag = true;
        off.ConfigFlags.*relay->flag = false;
    } else if (const auto bit = bitOf(address)) {
        if (*bit >= 0)
            on.InputBits[*bit] = true;
        else
            on.OutputBits[-1 - *bit] = true;
    } else {
        return {};
    }
    // The first box whose background follows the address: a relay's ON box comes before its OFF
    // box, and an arrangement the relay changes moves boxes without colouring them.
    std::map<ControlId, BgrColour> before;
    for (const PropertyWrite &w : repaintPanelWrites(off))
        if (w.property == Property::Background)
            before.emplace(w.control, BgrColour(w.number));
    for (const PropertyWrite &w : repaintPanelWrites(on))
        if (w.property == Property::Background) {
            const auto found = before.find(w.control);
            if (found != before.end() && found->second != BgrColour(w.number))
                return {BgrColour(w.number), found->second};
        }
    return {};
}
