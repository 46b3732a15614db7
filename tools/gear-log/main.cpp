// gear-log: prints what changed during a recorded monitor session, with times.

#include "FollowedFile.h"
#include "PictureFile.h"
#include "Plot.h"
#include "PlotPicture.h"
#include "ProgramVersion.h"
#include "Swings.h"
#include "Timeline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSet>

#include <cmath>
#include <csignal>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <variant>

namespace {

// A swing over its --limit ends with 1 as an unreadable file does: either way the gear is not
// shown to pass.
enum ExitCode { Printed = 0, Unreadable = 1, OverLimit = 1, BadUsage = 2 };

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

// What gear-log does with the rows: print them, or find the swings in them.
struct RowSink {
    std::function<void()> started;                         // the header was read
    std::function<void(const std::vector<Change> &)> rows; // the rows one event gave
    std::function<void(std::int64_t lastMs)> ended;        // the last event's time
};

// The recording, and its follower with --follow.
struct Source {
    std::istream &in;
    FollowedFile *follow = nullptr;
};

// A followed file gives its end only while a line is being written: that line is unfinished,
// neither an event nor damage.
bool ended(const Source &source) {
    return source.follow && source.follow->end() != FollowedFile::End::Reading;
}

// Reads one event at a time, so memory stays flat whatever the file's size, and hands the rows
// to `sink`; what was handed before a damaged line stays handed. Whether any line was received.
bool readRows(const Source &source, const RowSink &sink,
              std::optional<recording::ParseError> &damage) {
    recording::Reader reader(source.in);
    const auto header = reader.header();
    if (ended(source))
        return false; // stopped before the header was written whole
    if (const auto *error = std::get_if<recording::ParseError>(&header))
        damage = *error;
    else
        sink.started();
    Timeline timeline;
    std::vector<Change> rows;
    bool anyLine = false;
    std::int64_t lastMs = 0;
    for (bool more = !damage; more;) {
        rows.clear();
        auto step = reader.next();
        if (ended(source))
            step = std::monostate();
        if (auto *error = std::get_if<recording::ParseError>(&step))
            damage = std::move(*error);
        if (const auto *event = std::get_if<recording::Event>(&step)) {
            anyLine = anyLine || event->kind == recording::EventKind::Line;
            lastMs = event->ms;
            timeline.add(*event, rows);
            if (source.follow)
                source.follow->setPortClosed(event->kind == recording::EventKind::PortClosed);
        } else {
            timeline.finish(rows);
            more = false;
        }
        sink.rows(rows);
    }
    if (!damage)
        sink.ended(lastMs);
    return anyLine;
}

// The damaged line, or a followed file that was truncated, replaced or could not be read; none
// when the recording read to its end.
std::optional<int> reportDamage(const std::string &path, const Source &source,
                                const std::optional<recording::ParseError> &damage) {
    std::cout.flush();
    if (source.follow && !source.follow->why().empty()) {
        std::cerr << "gear-log: " << source.follow->why() << std::endl;
        return source.follow->end() == FollowedFile::End::Unreadable ? Unreadable : BadUsage;
    }
    if (!damage)
        return std::nullopt;
    std::cerr << "gear-log: " << path << ":" << damage->lineNumber << ": " << damage->message
              << std::endl;
    return BadUsage;
}

int printTimeline(const Source &source, const std::string &path, bool csv,
                  const QSet<QString> &only) {
    std::optional<recording::ParseError> damage;
    const RowSink sink{[csv] {
                           if (csv)
                               std::cout << csvHeader().toStdString() << '\n';
                       },
                       [&](const std::vector<Change> &rows) {
                           for (const Change &change : rows)
                               if (wanted(change, only))
                                   printRow(csv ? csvRow(change) : formatChange(change));
                       },
                       [](std::int64_t) {}};
    const bool anyLine = readRows(source, sink, damage);
    if (const auto status = reportDamage(path, source, damage))
        return *status;
    // A session whose port never opened, or stayed silent, leaves a header and little else.
    if (!csv && !anyLine)
        std::cout << "nothing received\n";
    std::cout.flush();
    return Printed;
}

// Prints each swing as it ends: a block (a blank line between blocks) or a CSV row.
int printSwings(const Source &source, const std::string &path, bool csv,
                const SwingLimits &limits) {
    std::optional<recording::ParseError> damage;
    SwingFinder finder;
    std::vector<Swing> done;
    int printed = 0;
    bool anyOver = false;
    const auto print = [&] {
        for (const Swing &swing : done) {
            anyOver = anyOver || limits.over(swing);
            if (csv) {
                printRow(swingCsvRow(swing, limits));
                continue;
            }
            if (printed++ > 0)
                std::cout << '\n';
            for (const QString &line : formatSwing(swing, limits))
                printRow(line);
        }
        done.clear();
    };
    const RowSink sink{[csv] {
                           if (csv)
                               std::cout << swingCsvHeader().toStdString() << '\n';
                       },
                       [&](const std::vector<Change> &rows) {
                           for (const Change &change : rows)
                               finder.add(change, done);
                           print();
                       },
                       [&](std::int64_t lastMs) {
                           finder.finish(lastMs, done);
                           print();
                       }};
    readRows(source, sink, damage);
    if (const auto status = reportDamage(path, source, damage))
        return *status;
    if (!csv && printed == 0)
        std::cout << "no gear swing\n";
    std::cout.flush();
    return anyOver ? OverLimit : Printed;
}

// --limit retract=SECONDS and --limit extend=SECONDS; why not, for a value it cannot use.
std::variant<SwingLimits, QString> swingLimits(const QStringList &values) {
    SwingLimits limits;
    for (const QString &value : values) {
        const QString kind = value.section(QLatin1Char('='), 0, 0);
        std::optional<std::int64_t> *limit = kind == QLatin1String("retract")  ? &limits.retractMs
                                             : kind == QLatin1String("extend") ? &limits.extendMs
                                                                               : nullptr;
        bool ok = false;
        const double seconds = value.section(QLatin1Char('='), 1).toDouble(&ok);
        if (!limit || !ok || !(seconds >= 0.001 && seconds <= 1e7)) // NaN fails too
            return QStringLiteral("--limit: expected retract=SECONDS or extend=SECONDS, from "
                                  "0.001 to 10000000, e.g. retract=6.5");
        *limit = std::llround(seconds * 1000);
    }
    return limits;
}

// The plot's shown span, in milliseconds from the recording's start; none: from the start, or to
// the end.
struct PlotSpan {
    std::optional<std::int64_t> fromMs;
    std::optional<std::int64_t> toMs;
};

// --from or --to: seconds from the recording's start; why not, for a value it cannot use.
std::variant<std::optional<std::int64_t>, QString> plotTime(const QCommandLineParser &parser,
                                                            const QCommandLineOption &option) {
    if (!parser.isSet(option))
        return std::optional<std::int64_t>();
    bool ok = false;
    const double seconds = parser.value(option).toDouble(&ok);
    // A recording's times fit 2^63 ms; NaN fails the test too.
    if (!ok || !(seconds >= 0 && seconds <= 9e15))
        return QStringLiteral("--%1: expected seconds from the recording's start, e.g. 12.5")
            .arg(option.names().constFirst());
    return std::optional<std::int64_t>(std::llround(seconds * 1000));
}

// The rows --only picks for a plot, or every row; why not, for an address with no row.
std::variant<QStringList, QString> plotRows(const QSet<QString> &only) {
    const QStringList all = plotAddresses();
    if (only.isEmpty())
        return all;
    for (const QString &address : only)
        if (!all.contains(address))
            return QStringLiteral("--plot draws inputs, outputs and relays: %1 has no row")
                .arg(address);
    QStringList rows;
    for (const QString &address : all)
        if (only.contains(address))
            rows << address;
    return rows;
}

// The first reading of the recording: its last time, or its first bad line.
std::variant<std::int64_t, recording::ParseError> lastTimeOf(std::istream &in) {
    recording::Reader reader(in);
    if (auto header = reader.header(); auto *error = std::get_if<recording::ParseError>(&header))
        return std::move(*error);
    std::int64_t lastMs = 0;
    for (;;) {
        auto step = reader.next();
        if (auto *error = std::get_if<recording::ParseError>(&step))
            return std::move(*error);
        if (const auto *event = std::get_if<recording::Event>(&step))
            lastMs = event->ms;
        else
            return lastMs;
    }
}

// The shown range, checked against the recording's end; why not, for one outside it.
std::variant<PlotRange, QString> plotRange(const PlotSpan &span, std::int64_t lastMs) {
    const QString end = QStringLiteral(" (the recording ends at %1 s)").arg(secondsText(lastMs));
    if (span.fromMs && *span.fromMs >= std::max<std::int64_t>(lastMs, 1))
        return QStringLiteral("--from is past the recording's end") + end;
    if (span.toMs && *span.toMs > lastMs)
        return QStringLiteral("--to is past the recording's end") + end;
    const std::int64_t from = span.fromMs.value_or(0);
    // A recording of a single moment still gets a second to draw it in.
    const std::int64_t to = span.toMs.value_or(std::max<std::int64_t>(lastMs, from + 1000));
    if (to <= from)
        return QStringLiteral("--from must come before --to");
    return PlotRange{from, to, plotlayout::kTraceWidth};
}

QString plotTitle(const std::string &path, const PlotRange &range) {
    const std::string name =
        QFileInfo(QString::fromLocal8Bit(path)).fileName().toLocal8Bit().toStdString();
    return QStringLiteral("%1, %2 s to %3 s")
        .arg(QString::fromStdString(recording::escapeBytes(name)), secondsText(range.fromMs),
             secondsText(range.toMs));
}

// The second reading: the rows and the swings, merged to the picture's columns as they come.
Plot readPlot(std::istream &in, const PlotRange &range, const QStringList &rows,
              std::optional<recording::ParseError> &damage) {
    PlotBuilder builder(range, rows);
    SwingFinder finder;
    std::vector<Swing> done;
    std::int64_t endMs = 0;
    const auto addSwings = [&] {
        for (const Swing &swing : done)
            builder.add(swing);
        done.clear();
    };
    const RowSink sink{[] {},
                       [&](const std::vector<Change> &changes) {
                           for (const Change &change : changes) {
                               builder.add(change);
                               finder.add(change, done);
                           }
                           addSwings();
                       },
                       [&](std::int64_t lastMs) {
                           finder.finish(lastMs, done);
                           addSwings();
                           endMs = lastMs;
                       }};
    readRows(Source{in}, sink, damage);
    return builder.finish(endMs);
}

// Draws the recording at `path` to `picture`: read once for its end, then again for the rows and
// the swings, so that only the picture's columns are ever held.
int plotRecording(const std::string &path, const QString &picture, const PlotSpan &span,
                  const QStringList &rows) {
    std::string refusal = refusedPicturePath(QFile::encodeName(picture).toStdString(), kPlotMark);
    if (refusal.empty())
        refusal = refusedPlotRecording(path);
    if (!refusal.empty()) {
        std::cerr << "gear-log: " << refusal << std::endl;
        return BadUsage;
    }
    std::ifstream first;
    if (const std::string error = recording::openRecordingFile(path, first); !error.empty()) {
        std::cerr << "gear-log: " << error << std::endl;
        return Unreadable;
    }
    const auto last = lastTimeOf(first);
    if (const auto *damage = std::get_if<recording::ParseError>(&last))
        return *reportDamage(path, Source{first}, *damage);
    const auto range = plotRange(span, std::get<std::int64_t>(last));
    if (const QString *error = std::get_if<QString>(&range)) {
        std::cerr << "gear-log: " << error->toStdString() << std::endl;
        return BadUsage;
    }
    std::ifstream second;
    if (const std::string error = recording::openRecordingFile(path, second); !error.empty()) {
        std::cerr << "gear-log: " << error << std::endl;
        return Unreadable;
    }
    std::optional<recording::ParseError> damage;
    const Plot plot = readPlot(second, std::get<PlotRange>(range), rows, damage);
    if (const auto status = reportDamage(path, Source{second}, damage))
        return *status;
    const QString why =
        writePlotPicture(plot, plotTitle(path, std::get<PlotRange>(range)), picture);
    if (!why.isEmpty()) {
        std::cerr << "gear-log: cannot write " << QFile::encodeName(picture).toStdString() << ": "
                  << why.toStdString() << std::endl;
        return Unreadable;
    }
    return Printed;
}

// Why --plot cannot go with one of `others`, which draw nothing; empty when none is set.
QString plotMisuse(const QCommandLineParser &parser, const QList<QCommandLineOption> &others) {
    for (const QCommandLineOption &other : others)
        if (parser.isSet(other)) {
            const QString name = other.names().constFirst();
            return name == QLatin1String("follow")
                       ? QStringLiteral("--plot draws a finished recording: it cannot --follow")
                       : QStringLiteral("--plot and --%1 exclude each other").arg(name);
        }
    return {};
}

// Whether the command line asks for a plot, looked at before the application exists: a plot's
// text needs fonts, which only a GUI application has, and plain printing runs without one.
bool asksForPlot(int argc, char *argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--")
            return false;
        if (argument == "--plot" || argument.substr(0, 7) == "--plot=")
            return true;
    }
    return false;
}

QtMessageHandler startHandler = nullptr;

// While the platform starts, it looks up the user's folders and warns about a runtime folder that
// a picture never uses: such warnings stay off gear-log's standard error, which scripts read.
void quietStart(QtMsgType type, const QMessageLogContext &context, const QString &message) {
    if (message.startsWith(QLatin1String("QStandardPaths: ")))
        return;
    if (startHandler)
        startHandler(type, context, message);
    else
        std::cerr << qFormatLogMessage(type, context, message).toLocal8Bit().constData()
                  << std::endl;
}

// A GUI application, whose fonts a picture's text needs, drawing offscreen unless the user chose
// a platform, so that a plot needs no display.
std::unique_ptr<QCoreApplication> plottingApplication(int &argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    startHandler = qInstallMessageHandler(quietStart);
    auto app = std::make_unique<QGuiApplication>(argc, argv);
    qInstallMessageHandler(startHandler);
    return app;
}

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) {
    stopRequested = 1;
}

// Ctrl+C and SIGTERM end --follow as the end of the file would: what was read is printed. Not
// SA_RESTART, so a wait ends at once.
void stopOnSignals() {
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM})
        sigaction(signal, &action, nullptr);
}

} // namespace

int main(int argc, char *argv[]) {
    const std::unique_ptr<QCoreApplication> app =
        asksForPlot(argc, argv) ? plottingApplication(argc, argv)
                                : std::make_unique<QCoreApplication>(argc, argv);
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
        QStringLiteral("Print only these signals (and the port and the link), e.g. X0,X2,Y0; "
                       "with --plot, draw only their rows."),
        QStringLiteral("addresses"));
    parser.addOption(only);
    const QCommandLineOption cycles(
        QStringLiteral("cycles"),
        QStringLiteral("Print each gear swing instead: when the switch moved, each leg's time to "
                       "its lock light and to the other light out, the swing time, the pump, the "
                       "nose motor, the pressure switches and the horn."));
    parser.addOption(cycles);
    const QCommandLineOption limit(
        QStringLiteral("limit"),
        QStringLiteral("With --cycles: the longest a retraction or an extension may take, "
                       "retract=SECONDS or extend=SECONDS; a swing over it is marked and the exit "
                       "status is 1."),
        QStringLiteral("swing=seconds"));
    parser.addOption(limit);
    const QCommandLineOption follow(
        QStringLiteral("follow"),
        QStringLiteral("Read the recording while gear-monitor --record writes it, printing each "
                       "change or swing as it comes; end on Ctrl+C, or when the port closed and "
                       "nothing more came for 2 s."));
    parser.addOption(follow);
    const QCommandLineOption plot(
        QStringLiteral("plot"),
        QStringLiteral("Draw the recording to a picture instead, a .svg or a .png: a row for each "
                       "input, output and relay, the link's stale and failed spans shaded, each "
                       "swing marked with its time. Replaces only a picture gear-log made."),
        QStringLiteral("picture"));
    parser.addOption(plot);
    const QCommandLineOption from(QStringLiteral("from"),
                                  QStringLiteral("With --plot: start the picture this many "
                                                 "seconds after the recording's start."),
                                  QStringLiteral("seconds"));
    parser.addOption(from);
    const QCommandLineOption to(
        QStringLiteral("to"),
        QStringLiteral("With --plot: end the picture this many seconds after the recording's "
                       "start."),
        QStringLiteral("seconds"));
    parser.addOption(to);
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
    const auto limits = swingLimits(parser.values(limit));
    QString misuse;
    if (const QString *error = std::get_if<QString>(&limits))
        misuse = *error;
    else if (parser.isSet(limit) && !parser.isSet(cycles))
        misuse = QStringLiteral("--limit goes with --cycles");
    else if (parser.isSet(only) && parser.isSet(cycles))
        misuse = QStringLiteral("--only and --cycles exclude each other");
    else if ((parser.isSet(from) || parser.isSet(to)) && !parser.isSet(plot))
        misuse = QStringLiteral("--from and --to go with --plot");
    else if (parser.isSet(plot))
        misuse =
            plotMisuse(parser, {follow, cycles, limit, QCommandLineOption(QStringLiteral("csv"))});
    const auto fromMs = plotTime(parser, from);
    const auto toMs = plotTime(parser, to);
    const auto rows = plotRows(std::get<QSet<QString>>(selected));
    for (const auto *error : {std::get_if<QString>(&fromMs), std::get_if<QString>(&toMs),
                              parser.isSet(plot) ? std::get_if<QString>(&rows) : nullptr})
        if (misuse.isEmpty() && error)
            misuse = *error;
    if (!misuse.isEmpty()) {
        std::cerr << "gear-log: " << misuse.toStdString() << " (see --help)" << std::endl;
        return BadUsage;
    }
    const std::string path = parser.positionalArguments().constFirst().toStdString();
    if (parser.isSet(plot))
        return plotRecording(path, parser.value(plot),
                             {std::get<std::optional<std::int64_t>>(fromMs),
                              std::get<std::optional<std::int64_t>>(toMs)},
                             std::get<QStringList>(rows));
    std::ifstream file;
    FollowedFile followed(stopRequested, {});
    std::istream followedIn(&followed);
    std::string error;
    if (parser.isSet(follow)) {
        stopOnSignals();
        error = followed.open(path);
        followed.onWait([] { std::cout.flush(); });
    } else {
        error = recording::openRecordingFile(path, file);
    }
    if (!error.empty()) {
        std::cerr << "gear-log: " << error << std::endl;
        return Unreadable;
    }
    const Source source = parser.isSet(follow) ? Source{followedIn, &followed} : Source{file};
    const bool csv = parser.isSet(QStringLiteral("csv"));
    if (parser.isSet(cycles))
        return printSwings(source, path, csv, std::get<SwingLimits>(limits));
    return printTimeline(source, path, csv, std::get<QSet<QString>>(selected));
}
