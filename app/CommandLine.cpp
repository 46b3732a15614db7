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
    const QCommandLineOption mirror(
        QStringLiteral("mirror"),
        QStringLiteral("Shows the panel live to browsers on the network at <[address:]port> "
                       "(every interface when no address is given), with an access key; "
                       "prints the address to open."),
        QStringLiteral("[address:]port"));
    const QCommandLineOption mirrorKey(
        QStringLiteral("mirror-key"),
        QStringLiteral("Keeps the mirror's access key in <file>, made when missing, so that a "
                       "bookmarked page still opens."),
        QStringLiteral("file"));
    parser.addOptions({record, recordDated, mirror, mirrorKey});
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
    } else if (parser.isSet(mirror) &&
               !parseMirrorEndpoint(parser.value(mirror), result.mirrorAddress,
                                    result.mirrorPort)) {
        result.action = CommandLine::Action::Exit;
        result.exitCode = ExitBadUsage;
        result.standardError =
            QStringLiteral("%1: --mirror needs a port or an IP address and a port (e.g. 8080 or "
                           "192.168.1.20:8080), not '%2'\n")
                .arg(kProgramName, parser.value(mirror));
    } else if (parser.isSet(mirrorKey) &&
               (!parser.isSet(mirror) || parser.value(mirrorKey).isEmpty())) {
        result.action = CommandLine::Action::Exit;
        result.exitCode = ExitBadUsage;
        result.standardError =
            QStringLiteral("%1: --mirror-key needs a file name and --mirror\n").arg(kProgramName);
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
        result.mirror = parser.isSet(mirror);
        result.mirrorKeyFile = parser.value(mirrorKey);
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

bool parseMirrorEndpoint(const QString &text, QHostAddress &address, quint16 &port) {
    address = QHostAddress();
    QString host;
    QString digits = text;
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0) {
        host = text.left(colon);
        digits = text.mid(colon + 1);
        if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
            host = host.mid(1, host.size() - 2);
        else if (host.contains(QLatin1Char(':')))
            return false; // an IPv6 address takes brackets, or its last group reads as the port
        // Only an address: a name could lead anywhere its resolver says.
        if (!address.setAddress(host) || host.contains(QLatin1Char('%')))
            return false;
    }
    if (digits.isEmpty() || digits.size() > 5)
        return false;
    for (QChar c : digits)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    const int number = digits.toInt();
    if (number > 65535)
        return false;
    port = quint16(number);
    return true;
}
