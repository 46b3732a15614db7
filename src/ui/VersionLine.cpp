#include "ui/VersionLine.h"

#include "ProgramVersion.h"

#include <QDate>
#include <QLocale>

namespace {

// The controller firmware this version of the monitor decodes.
const QString kControllerVersion = QStringLiteral("2.2.0");

} // namespace

QString versionLine() {
    const QDate released =
        QDate::fromString(QLatin1String(programversion::kReleaseDate), Qt::ISODate);
    // The release day always reads the same, say "28 FEB 2010", whatever the user's language.
    const QString day = QLocale::c().toString(released, QStringLiteral("d MMM yyyy")).toUpper();
    return QStringLiteral("Version %1  (%2)  -  Supports Controller version %3")
        .arg(QLatin1String(programversion::kVersion), day, kControllerVersion);
}
