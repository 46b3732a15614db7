#include "CommandLine.h"
#include "ProgramVersion.h"
#include "platform/QtHost.h"
#include "platform/StopSignals.h"
#include "settings/SettingsFile.h"
#include "ui/Form1.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[]) {
    // Help, version and usage errors are answered before any display is needed.
    const CommandLine commandLine = parseCommandLine(argumentList(argc, argv));
    if (commandLine.action == CommandLine::Action::Exit) {
        std::fputs(qPrintable(commandLine.standardOutput), stdout);
        std::fputs(qPrintable(commandLine.standardError), stderr);
        return commandLine.exitCode;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("gear-monitor"));
    QApplication::setApplicationVersion(QLatin1String(programversion::kVersion));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(GEAR_DESKTOP_ID));
    QApplication::setStyle(QStringLiteral("Fusion"));

    QtHost host{QLatin1String(kSettingsFileName)};
    Form1 window(host);
    host.setDialogParent(&window);
    // Ended from outside, the program closes as if its window were closed.
    StopSignals stopSignals;
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &window, &QWidget::close);
    window.show();
    return app.exec();
}
