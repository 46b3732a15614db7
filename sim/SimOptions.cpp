#include "SimOptions.h"

#include <QCommandLineParser>

#include <cmath>
#include <optional>

namespace gearsim {

namespace {

constexpr double kDefaultSlowLegSeconds = 3;
constexpr int kLongestLegFrames = 400'000;

struct OptionError {
    QString text;
};

QString bad(const QString &option, const QString &why) {
    return QStringLiteral("--%1: %2").arg(option, why);
}

// A whole number in [low, high]; throws OptionError otherwise.
qlonglong wholeNumber(const QCommandLineParser &parser, const QString &name, qlonglong low,
                      qlonglong high) {
    bool ok = false;
    const qlonglong value = parser.value(name).toLongLong(&ok);
    if (!ok || value < low || value > high)
        throw OptionError{
            bad(name, QStringLiteral("expected a whole number from %1 to %2").arg(low).arg(high))};
    return value;
}

// Seconds, fractions allowed; at least `low` and at most ten million (about four months).
double seconds(const QCommandLineParser &parser, const QString &name, double low) {
    bool ok = false;
    const double value = parser.value(name).toDouble(&ok);
    if (!ok || !(value >= low && value <= 1e7)) // NaN fails too
        throw OptionError{bad(name, QStringLiteral("expected seconds, at least %1").arg(low))};
    return value;
}

void readLine(const QCommandLineParser &parser, SimOptions &options) {
    options.device = parser.value(QStringLiteral("device")).toStdString();
    options.pace.bitsPerSecond =
        static_cast<int>(wholeNumber(parser, QStringLiteral("baud"), 50, 4'000'000));
    if (parser.isSet(QStringLiteral("link-dir")) != parser.isSet(QStringLiteral("port")))
        throw OptionError{QStringLiteral("--link-dir and --port go together")};
    if (parser.isSet(QStringLiteral("link-dir"))) {
        if (!options.device.empty())
            throw OptionError{
                QStringLiteral("--link-dir links the pseudo-terminal; link a --device yourself")};
        options.linkDir = parser.value(QStringLiteral("link-dir")).toStdString();
        options.port = static_cast<int>(wholeNumber(parser, QStringLiteral("port"), 1, 255));
    }
}

void readController(const QCommandLineParser &parser, SimOptions &options) {
    const auto config = parseConfigFlags(parser.value(QStringLiteral("config")).toStdString());
    if (!config)
        throw OptionError{bad(QStringLiteral("config"),
                              QStringLiteral("expected five flags 0 or 1, e.g. 11100"))};
    options.config = *config;
    const QString firmware = parser.value(QStringLiteral("firmware"));
    if (firmware.contains(QLatin1Char('\r')) || firmware.contains(QLatin1Char('\n')))
        throw OptionError{bad(QStringLiteral("firmware"), QStringLiteral("must be one line"))};
    options.firmwareVersion = firmware.toStdString();
    bool ok = false;
    options.startCount = parser.value(QStringLiteral("start-count")).toULongLong(&ok);
    if (!ok)
        throw OptionError{
            bad(QStringLiteral("start-count"), QStringLiteral("expected a whole number"))};
}

// Only a pseudo-terminal can be pulled out and plugged back by the simulator itself.
void readReplug(const QCommandLineParser &parser, SimOptions &options) {
    if (!parser.isSet(QStringLiteral("replug-after")) &&
        !parser.isSet(QStringLiteral("replug-for")))
        return;
    if (!options.device.empty())
        throw OptionError{QStringLiteral("--replug-after and --replug-for need the "
                                         "pseudo-terminal; pull a --device out yourself")};
    options.replug.after = seconds(parser, QStringLiteral("replug-after"), 0.1);
    options.replug.gone = seconds(parser, QStringLiteral("replug-for"), 0);
}

void readTiming(const QCommandLineParser &parser, SimOptions &options) {
    options.pace.fast = parser.isSet(QStringLiteral("fast"));
    if (options.pace.fast && parser.isSet(QStringLiteral("frame-ms")))
        throw OptionError{QStringLiteral("--fast and --frame-ms exclude each other")};
    options.pace.frameMs =
        static_cast<int>(wholeNumber(parser, QStringLiteral("frame-ms"), 10, 60'000));
    const bool silent =
        parser.isSet(QStringLiteral("silent-after")) || parser.isSet(QStringLiteral("silent-for"));
    if (silent) {
        options.timeline.silentAfter = seconds(parser, QStringLiteral("silent-after"), 0);
        options.timeline.silentFor = seconds(parser, QStringLiteral("silent-for"), 0.001);
    }
    if (parser.isSet(QStringLiteral("duration")))
        options.timeline.duration = seconds(parser, QStringLiteral("duration"), 0.001);
    readReplug(parser, options);
    options.garbage = parser.isSet(QStringLiteral("garbage"));
    options.verbose = parser.isSet(QStringLiteral("verbose"));
}

std::optional<Leg> legNamed(const QString &name) {
    if (name == QLatin1String("right"))
        return Leg::Right;
    if (name == QLatin1String("left"))
        return Leg::Left;
    if (name == QLatin1String("nose"))
        return Leg::Nose;
    return std::nullopt;
}

Leg legOption(const QString &option, const QString &name) {
    const std::optional<Leg> leg = legNamed(name);
    if (!leg)
        throw OptionError{bad(option, QStringLiteral("expected right, left or nose"))};
    return *leg;
}

// A slow leg takes its delay longer than usual both ways, rounded up to whole frames.
void readSlowLeg(const QString &value, SimOptions &options) {
    const QString option = QStringLiteral("slow-leg");
    const qsizetype colon = value.indexOf(QLatin1Char(':'));
    const Leg leg = legOption(option, value.left(colon));
    double delay = kDefaultSlowLegSeconds;
    if (colon >= 0) {
        bool ok = false;
        delay = value.mid(colon + 1).toDouble(&ok);
        if (!ok || !(delay > 0 && delay <= 3600)) // NaN fails too
            throw OptionError{bad(option, QStringLiteral("expected seconds above 0, at most 3600 "
                                                         "after the leg, e.g. left:2.5"))};
    }
    const auto extra = static_cast<int>(std::ceil(delay * 1000 / options.pace.frameMs));
    // Repeated for one leg the delays add up; an hour at the shortest frame at most in all.
    if (options.legs.frames(leg) > kLongestLegFrames - extra)
        throw OptionError{bad(option, QStringLiteral("at most 3600 seconds for one leg in all"))};
    options.legs.frames(leg) += extra;
}

void readLegs(const QCommandLineParser &parser, SimOptions &options) {
    for (const QString &value : parser.values(QStringLiteral("slow-leg")))
        readSlowLeg(value, options);
    for (const QString &value : parser.values(QStringLiteral("stuck-leg")))
        options.legs.isStuck(legOption(QStringLiteral("stuck-leg"), value)) = true;
    if (!options.replayFile.empty() &&
        (parser.isSet(QStringLiteral("slow-leg")) || parser.isSet(QStringLiteral("stuck-leg"))))
        throw OptionError{QStringLiteral("--slow-leg and --stuck-leg change the gear cycle, "
                                         "which --replay does not play")};
}

void readReplay(const QCommandLineParser &parser, SimOptions &options) {
    options.replayFile = parser.value(QStringLiteral("replay")).toStdString();
    if (!parser.isSet(QStringLiteral("speed")))
        return;
    if (options.replayFile.empty())
        throw OptionError{QStringLiteral("--speed goes with --replay")};
    bool ok = false;
    options.replaySpeed = parser.value(QStringLiteral("speed")).toDouble(&ok);
    if (!ok || !(options.replaySpeed >= 0.01 && options.replaySpeed <= 100'000))
        throw OptionError{bad(QStringLiteral("speed"), QStringLiteral("expected 0.01 to 100000"))};
}

} // namespace

void addSimOptions(QCommandLineParser &parser) {
    const auto text = [](const char *s) { return QString::fromLatin1(s); };
    parser.addOptions({
        {text("device"),
         text("Open this serial device (e.g. /dev/ttyUSB0) as raw 8N1 instead of creating a "
              "pseudo-terminal."),
         text("path")},
        {text("baud"),
         text("Line speed in bits per second, default 9600: set on --device; paces --fast."),
         text("speed"), text("9600")},
        {text("link-dir"),
         text("Link the pseudo-terminal as <folder>/comN (N from --port) so the monitor in that "
              "folder lists it as ComN; the link is removed on exit."),
         text("folder")},
        {text("port"), text("The N of the comN link, 1 to 255."), text("N")},
        {text("config"),
         text("Configuration relays C0 C1 C73 C121 C122 as five flags, default 11100."),
         text("flags"), text("11100")},
        {text("firmware"), text("Firmware version text for the V: record, default SIM-1.0."),
         text("text"), text("SIM-1.0")},
        {text("start-count"), text("Gear cycle count to start from, default 0."), text("count"),
         text("0")},
        {text("frame-ms"),
         text("Frame period, default 500: each frame sends all five records spread over it."),
         text("ms"), text("500")},
        {text("fast"), text("Send frames back to back, as fast as the line speed allows.")},
        {text("garbage"),
         text("Mix malformed lines in: unknown prefixes, short records, noise bytes and "
              "overlong lines without CR.")},
        {text("silent-after"),
         text("Fall silent after this many seconds (default 20 when --silent-for is given)."),
         text("seconds"), text("20")},
        {text("silent-for"),
         text("Stay silent this many seconds, then resume (default 10 when --silent-after is "
              "given)."),
         text("seconds"), text("10")},
        {text("replug-after"),
         text("Vanish like a pulled USB adapter after this many seconds (default 20 when "
              "--replug-for is given): the pseudo-terminal hangs up and the comN link goes; "
              "then come back on a new pseudo-terminal under the same link, and again after "
              "as many seconds."),
         text("seconds"), text("20")},
        {text("replug-for"),
         text("Stay unplugged this many seconds (default 3 when --replug-after is given)."),
         text("seconds"), text("3")},
        {text("duration"), text("End by itself after this many seconds."), text("seconds")},
        {text("slow-leg"),
         text("Make this leg (right, left or nose) reach its lock later than usual, up and "
              "down, by SECONDS (default 3), rounded up to whole frames; the pump runs until it "
              "has. May be given for more than one leg."),
         text("leg[:seconds]")},
        {text("stuck-leg"),
         text("Make this leg (right, left or nose) never reach its up lock: its up light never "
              "comes on, the others build the pressure, and it comes down and locks as usual. "
              "May be given for more than one leg."),
         text("leg")},
        {text("verbose"), text("Echo every line sent on standard error.")},
        {text("replay"),
         text("Send the lines of a recording made by gear-monitor --record, with their recorded "
              "timing, instead of playing the gear cycle; ends after the last line."),
         text("file")},
        {text("speed"), text("Replay this many times faster than recorded, default 1."),
         text("factor"), text("1")},
    });
}

std::variant<SimOptions, QString> readSimOptions(const QCommandLineParser &parser) {
    if (!parser.positionalArguments().isEmpty())
        return QStringLiteral("unexpected argument: %1").arg(parser.positionalArguments().first());
    SimOptions options;
    try {
        readLine(parser, options);
        readController(parser, options);
        readTiming(parser, options);
        readReplay(parser, options);
        readLegs(parser, options);
    } catch (const OptionError &error) {
        return error.text;
    }
    return options;
}

} // namespace gearsim
