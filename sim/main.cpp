// gear-sim: plays the landing-gear controller on a serial line for bench tests, demonstrations
// and end-to-end tests of the monitor.

#include "OwnedPortLink.h"
#include "ProgramVersion.h"
#include "Replayer.h"
#include "SerialLine.h"
#include "SimOptions.h"
#include "StopSignals.h"
#include "Transmitter.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <poll.h>

using namespace gearsim;

namespace {

enum ExitCode { Ended = 0, Failed = 1, BadUsage = 2 };

std::variant<SimOptions, QString> parseCommandLine() {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Plays the landing-gear controller on a serial line: sends its status records (V, C, F, "
        "O, I) while the gear goes through up and down cycles.\n"
        "Without --device it creates a pseudo-terminal and prints its path as the first line."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    addSimOptions(parser);
    // Not process(): it ends with status 1 for an unknown option or a missing value, and 1 says
    // the line could not be opened.
    if (!parser.parse(QCoreApplication::arguments()))
        return parser.errorText();
    if (parser.isSet(help))
        parser.showHelp(Ended);
    if (parser.isSet(version))
        parser.showVersion();
    return readSimOptions(parser);
}

SerialLine::Opened openLine(const SimOptions &options) {
    if (options.device.empty())
        return SerialLine::openPseudoTerminal();
    return SerialLine::openDevice(options.device, options.pace.bitsPerSecond);
}

// The first line of standard output names the line, for scripts to read.
void announce(const SerialLine &line, const SimOptions &options) {
    if (line.isPseudoTerminal())
        std::cout << "gear-sim: pseudo-terminal " << line.path() << std::endl;
    else
        std::cout << "gear-sim: serial device " << line.path() << " at "
                  << options.pace.bitsPerSecond << " 8N1" << std::endl;
}

void report(const RunSummary &summary) {
    std::cerr << "gear-sim: ended; frames sent " << summary.framesSent << ", skipped "
              << summary.framesSkipped << ", pieces dropped " << summary.piecesDropped
              << ", cycles completed " << summary.cyclesCompleted << std::endl;
}

// A recording opened for replay, its header read. A regular file is read through once before
// anything is sent, so a damaged file, or one with a time too late to replay at the chosen speed,
// sends nothing; a pipe or a device can be read only once, so it is checked as it is sent.
struct ReplaySource {
    std::ifstream in;
    std::optional<recording::Reader> reader;
};

std::unique_ptr<ReplaySource> openReplay(const std::string &path, double speed) {
    auto source = std::make_unique<ReplaySource>();
    if (const std::string error = recording::openRecordingFile(path, source->in); !error.empty()) {
        std::cerr << "gear-sim: " << error << std::endl;
        return nullptr;
    }
    std::error_code ignored;
    const bool rereadable = std::filesystem::is_regular_file(path, ignored);
    std::optional<recording::ParseError> damage;
    for (int pass = rereadable ? 0 : 1; pass < 2 && !damage; ++pass) {
        source->in.clear();
        source->in.seekg(0);
        source->reader.emplace(source->in);
        const auto header = source->reader->header();
        if (const auto *error = std::get_if<recording::ParseError>(&header))
            damage = *error;
        else if (pass == 0)
            damage = firstUnreplayable(*source->reader, speed);
    }
    if (damage) {
        std::cerr << "gear-sim: " << path << ":" << damage->lineNumber << ": " << damage->message
                  << std::endl;
        return nullptr;
    }
    return source;
}

// Waits `seconds`, or less when asked to stop; false then.
bool pauseFor(double seconds) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(seconds));
    while (!stopRequested()) {
        const auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero())
            return true;
        const auto secs = std::chrono::duration_cast<std::chrono::seconds>(left);
        const timespec span{static_cast<time_t>(secs.count()),
                            static_cast<long>(std::chrono::nanoseconds(left - secs).count())};
        ppoll(nullptr, 0, &span, waitSignalMask());
    }
    return false;
}

// An opened line with the link that names it, if one was asked for.
struct PluggedIn {
    std::unique_ptr<SerialLine> line;
    std::unique_ptr<OwnedPortLink> link;
};

// Opens the line, announces it and links it; nothing (after saying why) when that fails.
std::optional<PluggedIn> plugIn(const SimOptions &options) {
    SerialLine::Opened opened = openLine(options);
    if (!opened.line) {
        std::cerr << "gear-sim: " << opened.error << std::endl;
        return std::nullopt;
    }
    announce(*opened.line, options);
    PluggedIn plugged{std::move(opened.line), nullptr};
    if (!options.linkDir.empty()) {
        OwnedPortLink::Made made =
            OwnedPortLink::create(options.linkDir, options.port, plugged.line->path());
        if (!made.link) {
            std::cerr << "gear-sim: " << made.error << std::endl;
            return std::nullopt;
        }
        plugged.link = std::move(made.link);
        std::cout << "gear-sim: linked " << plugged.link->path() << " -> " << plugged.line->path()
                  << std::endl;
    }
    if (plugged.line->isPseudoTerminal())
        std::cerr << "gear-sim: waiting for a reader" << std::endl;
    return plugged;
}

// Sends the recorded lines once, with their timing.
int replay(const SimOptions &options, recording::Reader &recorded) {
    const std::optional<PluggedIn> plugged = plugIn(options);
    if (!plugged)
        return Failed;
    const ReplaySummary replayed =
        Replayer(*plugged->line, recorded, options.replaySpeed, std::cerr).run();
    std::cerr << "gear-sim: replay ended; lines sent " << replayed.linesSent << ", dropped "
              << replayed.linesDropped << std::endl;
    if (!replayed.error.empty()) {
        std::cerr << "gear-sim: " << replayed.error << std::endl;
        return Failed;
    }
    return Ended;
}

// Opens the line, links it and sends on it; with a replug plan, pulls it out and plugs a new one
// in under the same link until the run ends. The gear cycle and the run's clock go on across.
int runPluggedIn(const SimOptions &options, RunSummary &summary) {
    std::optional<Transmitter::Clock::time_point> runStart;
    GearCycle cycle(options.config, options.startCount, options.legs);
    for (;;) {
        std::optional<PluggedIn> plugged = plugIn(options);
        if (!plugged)
            return Failed;
        Transmitter transmitter(*plugged->line, options, std::cerr);
        if (runStart)
            transmitter.resume(*runStart, cycle, summary);
        runStart = transmitter.runStart();
        const double now =
            std::chrono::duration<double>(Transmitter::Clock::now() - *runStart).count();
        summary = transmitter.unplugAt(options.replug.unplugAt(now)).run();
        cycle = transmitter.cycle();
        if (!summary.unplugged)
            return Ended;
        // As when an adapter is pulled: the link goes and the reader sees a hang-up.
        plugged.reset();
        std::cerr << "gear-sim: unplugged for " << options.replug.gone << " s" << std::endl;
        if (!pauseFor(options.replug.gone))
            return Ended;
    }
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("gear-sim"));
    QCoreApplication::setApplicationVersion(QLatin1String(programversion::kVersion));
    const auto parsed = parseCommandLine();
    if (const QString *error = std::get_if<QString>(&parsed)) {
        std::cerr << "gear-sim: " << error->toStdString() << " (see --help)" << std::endl;
        return BadUsage;
    }
    const SimOptions &options = std::get<SimOptions>(parsed);

    std::unique_ptr<ReplaySource> recorded;
    if (!options.replayFile.empty()) {
        recorded = openReplay(options.replayFile, options.replaySpeed);
        if (!recorded)
            return BadUsage;
    }

    installStopSignals();
    // A script that read the first line and closed the pipe must not kill us before the link is
    // removed.
    signal(SIGPIPE, SIG_IGN);
    if (recorded)
        return replay(options, *recorded->reader);
    RunSummary summary;
    const int status = runPluggedIn(options, summary);
    if (status != Ended)
        return status;
    report(summary);
    if (!summary.error.empty()) {
        std::cerr << "gear-sim: " << summary.error << std::endl;
        return Failed;
    }
    return Ended;
}
