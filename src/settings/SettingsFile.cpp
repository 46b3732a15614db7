#include "settings/SettingsFile.h"

#include "settings/FileErrors.h"

#include "link/Recording.h"

#include <QDir>
#include <QStringList>

namespace {

// Positions in a line count only to 32,767: every reader of the format refuses a line whose
// element lies beyond, so this one does too and all of them agree on what a file holds.
constexpr qsizetype kLastPosition = 32767;
// A recording states the settings, so its reader must take the longest text a setting holds.
static_assert(kLastPosition == qsizetype(recording::kLongestSettingText));

QString element(int indent, QLatin1String tag, const QString &value) {
    return QString(indent, QLatin1Char(' ')) + QLatin1Char('<') + tag + QLatin1Char('>') + value +
           QLatin1String("</") + tag + QLatin1Char('>');
}

} // namespace

QString settingsFilePath(const QString &programFolder) {
    return programFolder + QDir::separator() + QLatin1String(kSettingsFileName);
}

QByteArray formatSettingsFile(const PortSettingsRecord &s, const QString &versionCaption,
                              const QDateTime &localTime, const QLocale &locale) {
    // QDateTime::toString would always give English month names; the locale gives the user's.
    const QString time = locale.toString(localTime, QStringLiteral("d MMM yyyy  HH:mm:ss"));
    QStringList lines{
        QStringLiteral("<?xml version=\"1.0\" standalone=\"no\"?>"),
        QStringLiteral("<!--Quorvels Landing Gear Control er Monitor, ") + versionCaption +
            QStringLiteral(" -->"),
        QStringLiteral(" <CONFIGURATION>"),
        element(3, QLatin1String("LOCALTIME"), time),
        QStringLiteral("   <COMM_PORTS>"),
    };
    for (const PortSettingField &e : kPortSettingFields)
        lines << element(6, e.element, s.*e.field);
    lines << QStringLiteral("   </COMM_PORTS>") << QStringLiteral(" </CONFIGURATION>");

    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toLatin1() + "\r\n";
    return bytes;
}

ScanResult scanSettingsLine(const QString &line) {
    // Positions count from 1 and 0 means "not found", as the format's counters always did; each
    // search starts just after the previous position, from the start when that was not found.
    const qsizetype tagStart = line.indexOf(QLatin1Char('<')) + 1;
    if (tagStart >= kLastPosition) // the next search's start would not fit either
        return {ScanResult::Overflow, {}, {}};
    const qsizetype tagEnd = line.indexOf(QLatin1Char('>'), tagStart) + 1;
    const qsizetype valueEnd = line.indexOf(QLatin1String("</"), tagEnd) + 1;
    if (valueEnd > kLastPosition)
        return {ScanResult::Overflow, {}, {}};
    if (tagStart == 0 || tagEnd == 0 || valueEnd == 0)
        return {};
    return {ScanResult::Element, line.mid(tagStart, tagEnd - tagStart - 1),
            line.mid(tagEnd, valueEnd - tagEnd - 1)};
}

bool applySettingsElement(PortSettingsRecord &s, const QString &tag, const QString &value) {
    for (const PortSettingField &e : kPortSettingFields) {
        if (tag == e.element) {
            s.*e.field = value;
            return true;
        }
    }
    return false;
}

QString settingsErrorText(int number) {
    return fileErrorTableText(number).value_or(QStringLiteral("Error Number at Load/Save Files") +
                                               QString::number(number));
}

QString settingsFailureMessage(int number, const QString &path) {
    return settingsErrorText(number) + QStringLiteral("\r\nParameter File Name = ") + path +
           QStringLiteral("\r\n");
}
