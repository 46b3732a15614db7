// gear-log: prints what changed during a recorded monitor session, with times.

#include "ProgramVersion.h"
#include "Timeline.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("gear-log"));
    QCoreApplication::setApplicationVersion(QLatin1String(programversion::kVersion));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Prints what changed in a recording made by gear-monitor --record: each input, output "
        "and configuration relay with its address and meaning, the firmware version, the cycle "
        "count, the port, the link, and the lines the monitor ignored."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOption({QStringLiteral("csv"), QStringLiteral("Write CSV for a spreadsheet.")});
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The recording."));
    // Not process(): it ends with status 1 for an unknown option, which here means an unreadable
    // file.
    if (!parser.parse(QCoreApplication::arguments())) {
        std::cerr << "gear-log: " << parser.errorText().toStdString() << " (see --help)"
                  << std::endl;
        return 2;
    }
    if (parser.isSet(help))
        parser.showHelp(0);
    if (parser.isSet(version))
        parser.showVersion();
    if (parser.positionalArguments().size() != 1) {
        std::cerr << "gear-log: expected one recording (see --help)" << std::endl;
        return 2;
    }
    const std::string path = parser.positionalArguments().constFirst().toStdString();
    std::ifstream in(path, std::ios::binary);
    std::error_code ignored;
    // A folder opens like a file on Linux and reads as an empty one.
    if (!in || std::filesystem::is_directory(path, ignored)) {
        std::cerr << "gear-log: cannot read " << path << std::endl;
        return 1;
    }
    const auto read = recording::readRecording(in);
    if (const auto *error = std::get_if<recording::ParseError>(&read)) {
        std::cerr << "gear-log: " << path << ":" << error->lineNumber << ": " << error->message
                  << std::endl;
        return 2;
    }
    const bool csv = parser.isSet(QStringLiteral("csv"));
    if (csv)
        std::cout << csvHeader().toStdString() << '\n';
    const auto &recorded = std::get<recording::Recording>(read);
    for (const Change &change : timelineOf(recorded))
        std::cout << (csv ? csvRow(change) : formatChange(change)).toStdString() << '\n';
    // A session whose port never opened, or stayed silent, leaves a header and little else.
    const bool anyLine =
        std::any_of(recorded.events.begin(), recorded.events.end(),
                    [](const recording::Event &e) { return e.kind == recording::EventKind::Line; });
    if (!csv && !anyLine)
        std::cout << "nothing received\n";
    return 0;
}
