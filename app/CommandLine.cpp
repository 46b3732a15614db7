#include "CommandLine.h"

#include "ProgramVersion.h"

#include <QCommandLineParser>

namespace {

const QString kProgramName = QStringLiteral("gear-monitor");

// Options QGuiApplication and QApplication take from the command line themselves. They are
// declared, hidden from the help, so that the parser lets them through.
void allowQtWindowOptions(QCommandLineParser &parser) {
    const QStringList withValue = {
        QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
        QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"),
        QStringLiteral("qwindowtitle"),    QStringLiteral("session"),
        QStringLiteral("display"),         QStringLiteral("geometry"),
        QStringLiteral("style"),           QStringLiteral("stylesheet")};
    const QStringList flags = {QStringLiteral("reverse"), QStringLiteral("widgetcount")};
    for (const QString &name : withValue) {
        QCommandLineOption option(name, QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const QString &name : flags) {
        QCommandLineOption option(name);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

QString helpText(const QCommandLineParser &parser) {
    // The parser names the program after argv[0] only once an application object exists; the
    // answer must not need one.
    QString text = parser.helpText();
    const qsizetype end = text.indexOf(QLatin1Char('\n'));
    return QStringLiteral("Usage: %1 [options]").arg(kProgramName) + text.mid(end);
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Shows the status lines of the landing-gear controller live, as a panel "
                       "of indicators.\nThe serial port and its settings are chosen in the "
                       "window's Comm menu and kept in the settings file."));
    // Not addHelpOption(): its --help-all would promise Qt's options, which this help leaves out.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help and exits."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption record(
        QStringLiteral("record"),
        QStringLiteral("Records every line received, the port opening and closing and the link's "
                       "state to <file>, as they happen."),
        QStringLiteral("file"));
    const QCommandLineOption recordDated(
        QStringLiteral("record-dated"),
        QStringLiteral("Records as --record does, to a file named after the date and time in "
                       "the documents folder."));
    parser.addOptions({record, recordDated});
    allowQtWindowOptions(parser);

    CommandLine result;
    if (!parser.parse(arguments)) {
        result.action = CommandLine::Action::Exit;
        result.exitCode = ExitBadUsage;
        result.standardError = QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n")
                                   .arg(kProgramName, parser.errorText());
    } else if (!parser.positionalArguments().isEmpty()) {
        result.action = CommandLine::Action::Exit;
        result.exitCode = ExitBadUsage;
        result.standardError =
            QStringLiteral("%1: unexpected argument '%2'\nTry '%1 --help' for more information.\n")
                .arg(kProgramName, parser.positionalArguments().constFirst());
    } else if (parser.isSet(record) && parser.isSet(recordDated)) {
        result.action = CommandLine::Action::Exit;
        result.exitCode = ExitBadUsage;
        result.standardError =
            QStringLiteral("%1: --record and --record-dated exclude each other\n")
                .arg(kProgramName);
    } else if (parser.isSet(record) && parser.value(record).isEmpty()) {
        result.action = CommandLine::Action::Exit;
        result.exitCode = ExitBadUsage;
        result.standardError = QStringLiteral("%1: --record needs a file name\n").arg(kProgramName);
    } else if (parser.isSet(help)) {
        result.action = CommandLine::Action::Exit;
        result.standardOutput = helpText(parser);
    } else if (parser.isSet(version)) {
        result.action = CommandLine::Action::Exit;
        result.standardOutput =
            QStringLiteral("%1 %2\n").arg(kProgramName, QLatin1String(programversion::kVersion));
    }
    if (result.action == CommandLine::Action::OpenWindow) {
        result.recordFile = parser.value(record);
        result.recordDated = parser.isSet(recordDated);
    }
    return result;
}

QString datedRecordingPath(const QString &folder, const QDateTime &now, int attempt) {
    const QString again = attempt > 1 ? QStringLiteral("_%1").arg(attempt) : QString();
    return folder + QStringLiteral("/gear-monitor-") +
           now.toString(QStringLiteral("yyyy-MM-dd-HHmmss")) + again + QStringLiteral(".rec");
}

QStringList argumentList(int argc, char *argv[]) {
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list << QString::fromLocal8Bit(argv[i]);
    return list;
}
