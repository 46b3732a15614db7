// gear-log: prints what changed during a recorded monitor session, with times.

#include "ProgramVersion.h"
#include "Timeline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSet>

#include <fstream>
#include <iostream>
#include <optional>
#include <variant>

namespace {

enum ExitCode { Printed = 0, Unreadable = 1, BadUsage = 2 };

// The addresses --only names, or an empty set for all; why not, for an address it does not know.
std::variant<QSet<QString>, QString> onlyAddresses(const QCommandLineParser &parser,
                                                   const QCommandLineOption &only) {
    QSet<QString> addresses;
    for (const QString &value : parser.values(only))
        for (const QString &address : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            if (!isKnownAddress(address.trimmed()))
                return QStringLiteral("--only: no signal is called '%1%2'")
                    .arg(QString::fromStdString(
                             recording::escapeBytes(address.left(32).toStdString())),
                         address.size() > 32 ? QStringLiteral("...") : QString());
            addresses.insert(address.trimmed());
        }
    if (parser.isSet(only) && addresses.isEmpty())
        return QStringLiteral("--only needs addresses such as X0,X2,Y0");
    return addresses;
}

// With --only, the rows of those signals, and the port and the link, which say when the
// readings were live.
bool wanted(const Change &change, const QSet<QString> &only) {
    if (only.isEmpty())
        return true;
    if (change.address.isEmpty())
        return change.meaning != QLatin1String("ignored line");
    return only.contains(change.address);
}

// Every row is printable ASCII (texts from the recording come escaped), so Latin-1 is exact.
void printRow(const QString &row) {
    const QByteArray bytes = row.toLatin1();
    std::cout.write(bytes.constData(), bytes.size()).put('\n');
}

// Reads and prints one event at a time, so memory stays flat whatever the file's size; what was
// printed before a damaged line stays printed.
int printTimeline(std::istream &in, const std::string &path, bool csv, const QSet<QString> &only) {
    recording::Reader reader(in);
    const auto header = reader.header();
    std::optional<recording::ParseError> damage;
    if (const auto *error = std::get_if<recording::ParseError>(&header))
        damage = *error;
    if (csv && !damage)
        std::cout << csvHeader().toStdString() << '\n';
    Timeline timeline;
    std::vector<Change> rows;
    bool anyLine = false;
    for (bool more = !damage; more;) {
        rows.clear();
        auto step = reader.next();
        if (auto *error = std::get_if<recording::ParseError>(&step))
            damage = std::move(*error);
        if (const auto *event = std::get_if<recording::Event>(&step)) {
            anyLine = anyLine || event->kind == recording::EventKind::Line;
            timeline.add(*event, rows);
        } else {
            timeline.finish(rows);
            more = false;
        }
        for (const Change &change : rows)
            if (wanted(change, only))
                printRow(csv ? csvRow(change) : formatChange(change));
    }
    // A session whose port never opened, or stayed silent, leaves a header and little else.
    if (!csv && !damage && !anyLine)
        std::cout << "nothing received\n";
    std::cout.flush();
    if (damage) {
        std::cerr << "gear-log: " << path << ":" << damage->lineNumber << ": " << damage->message
                  << std::endl;
        return BadUsage;
    }
    return Printed;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    // Nothing here prints through C's stdio, and rows go out by the million.
    std::ios::sync_with_stdio(false);
    QCoreApplication::setApplicationName(QStringLiteral("gear-log"));
    QCoreApplication::setApplicationVersion(QLatin1String(programversion::kVersion));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Prints a recording made by gear-monitor --record: the state at the start (each input, "
        "output and configuration relay with its address and meaning, the firmware version and "
        "the cycle count), then what changed, the port, the link, and the lines the monitor "
        "ignored."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOption({QStringLiteral("csv"), QStringLiteral("Write CSV for a spreadsheet.")});
    const QCommandLineOption only(
        QStringLiteral("only"),
        QStringLiteral("Print only these signals (and the port and the link), e.g. X0,X2,Y0."),
        QStringLiteral("addresses"));
    parser.addOption(only);
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The recording."));
    // Not process(): it ends with status 1 for an unknown option, which here means an unreadable
    // file.
    if (!parser.parse(QCoreApplication::arguments())) {
        std::cerr << "gear-log: " << parser.errorText().toStdString() << " (see --help)"
                  << std::endl;
        return BadUsage;
    }
    if (parser.isSet(help))
        parser.showHelp(Printed);
    if (parser.isSet(version))
        parser.showVersion();
    if (parser.positionalArguments().size() != 1) {
        std::cerr << "gear-log: expected one recording (see --help)" << std::endl;
        return BadUsage;
    }
    const auto selected = onlyAddresses(parser, only);
    if (const QString *error = std::get_if<QString>(&selected)) {
        std::cerr << "gear-log: " << error->toStdString() << " (see --help)" << std::endl;
        return BadUsage;
    }
    const std::string path = parser.positionalArguments().constFirst().toStdString();
    std::ifstream in;
    if (const std::string error = recording::openRecordingFile(path, in); !error.empty()) {
        std::cerr << "gear-log: " << error << std::endl;
        return Unreadable;
    }
    const bool csv = parser.isSet(QStringLiteral("csv"));
    return printTimeline(in, path, csv, std::get<QSet<QString>>(selected));
}
