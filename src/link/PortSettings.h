#pragma once

#include <QLatin1String>
#include <QString>

#include <array>

// The six port settings as the menus and the settings file hold them: plain texts, compared whole
// and case-sensitively wherever they are read.
struct PortSettingsRecord {
    QString Name;
    QString Speed;
    QString Parity;
    QString DataLength;
    QString FlowControl;
    QString StopBits;
};

// The port setting a group of Comm menu items chooses.
enum class SettingGroup { None, Port, Speed, Parity, FlowControl, DataLength, StopBits };

// One port setting: the Comm menu group that chooses it, the record's field that holds it and
// the settings file's element that keeps it.
struct PortSettingField {
    SettingGroup group;
    QString PortSettingsRecord::*field;
    QLatin1String element;
};

// Every port setting, in the order the settings file writes them.
inline const std::array<PortSettingField, 6> kPortSettingFields{{
    {SettingGroup::Port, &PortSettingsRecord::Name, QLatin1String("LG_PORT_NAME")},
    {SettingGroup::Speed, &PortSettingsRecord::Speed, QLatin1String("LG_PORT_SPEED")},
    {SettingGroup::Parity, &PortSettingsRecord::Parity, QLatin1String("LG_PORT_PARITY")},
    {SettingGroup::DataLength, &PortSettingsRecord::DataLength,
     QLatin1String("LG_PORT_DATA_LENGTH")},
    {SettingGroup::FlowControl, &PortSettingsRecord::FlowControl,
     QLatin1String("LG_PORT_FLOW_CONTROL")},
    {SettingGroup::StopBits, &PortSettingsRecord::StopBits, QLatin1String("LG_PORT_STOP_BITS")},
}};

// The setting a group chooses. Only the six setting groups are asked for; any other group
// (None) stands for the port name.
const PortSettingField &portSettingField(SettingGroup group);

inline QString &settingOf(PortSettingsRecord &settings, SettingGroup group) {
    return settings.*portSettingField(group).field;
}
inline const QString &settingOf(const PortSettingsRecord &settings, SettingGroup group) {
    return settings.*portSettingField(group).field;
}
