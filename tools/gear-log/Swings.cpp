#include "Swings.h"

namespace {

constexpr const char *kLegNames[] = {"right", "left", "nose"};

QString lightName(Swing::Kind kind, bool lockLight) {
    const bool up = (kind == Swing::Kind::Retraction) == lockLight;
    return up ? QStringLiteral("up light") : QStringLiteral("down light");
}

QString after(const std::optional<std::int64_t> &ms) {
    return ms ? secondsText(*ms) : QString();
}

} // namespace

void Swing::RunTime::set(bool on, std::int64_t at) {
    if (on && !running) {
        running = true;
        since = at;
        ++starts;
    } else if (!on && running) {
        running = false;
        ms += at - since;
    }
}

// Adds the time run so far and keeps `running`, which tells it still ran at the end.
void Swing::RunTime::stop(std::int64_t at) {
    if (running)
        ms += at - since;
}

std::optional<std::int64_t> Swing::swingMs() const {
    if (end != End::Finished)
        return std::nullopt;
    std::int64_t last = 0;
    for (const auto &lock : locked)
        last = std::max(last, lock.value_or(0));
    return last;
}

std::optional<std::int64_t> SwingLimits::of(Swing::Kind kind) const {
    return kind == Swing::Kind::Retraction ? retractMs : extendMs;
}

bool SwingLimits::over(const Swing &swing) const {
    const std::optional<std::int64_t> limit = of(swing.kind);
    if (!limit)
        return false;
    if (const auto took = swing.swingMs())
        return *took > *limit;
    return swing.watchedMs > *limit;
}

std::optional<SwingFinder::Signal> SwingFinder::signalOf(const QString &address) {
    static const char *const kAddresses[SignalCount] = {"X0", "X1", "X4",   "X2",   "X3", "X5",
                                                        "X6", "X7", "X100", "X101", "Y0", "Y1",
                                                        "Y2", "Y3", "Y5",   "C1"};
    for (int i = 0; i < SignalCount; ++i)
        if (address == QLatin1String(kAddresses[i]))
            return Signal(i);
    return std::nullopt;
}

// C1 on: Y0 powers the pump and Y1 sets its direction; C1 off: Y0 runs it up and Y1 down.
bool SwingFinder::pumpRuns() const {
    return on_[Y0] || (!on_[C1] && on_[Y1]);
}

bool SwingFinder::noseMotorRuns() const {
    return on_[NoseUpMotor] || on_[NoseDownMotor];
}

bool SwingFinder::allLocked() const {
    for (const auto &lock : open_->locked)
        if (!lock)
            return false;
    return true;
}

void SwingFinder::add(const Change &change, std::vector<Swing> &done) {
    if (change.address.isEmpty()) {
        const bool lost =
            (change.meaning == QLatin1String("link") &&
             (change.to == QLatin1String("stale") || change.to == QLatin1String("failed"))) ||
            (change.meaning == QLatin1String("port") && change.to == QLatin1String("closed"));
        if (lost && open_) {
            open_->lostAs = change.meaning + QLatin1Char(' ') + change.to;
            close(allLocked() ? Swing::End::Finished : Swing::End::LinkLost, change.ms, done);
        }
        return;
    }
    const std::optional<Signal> signal = signalOf(change.address);
    if (!signal || change.shortRecord)
        return;
    const bool was = on_[*signal];
    on_[*signal] = change.to == stateWord(change.address, true);
    const bool moved = !change.from.isNull() && !was && on_[*signal];
    if (moved && (*signal == SwitchUp || *signal == SwitchDown)) {
        start(*signal == SwitchUp ? Swing::Kind::Retraction : Swing::Kind::Extension, change.ms,
              done);
        return;
    }
    if (!open_)
        return;
    follow(*signal, change.ms);
    if (allLocked() && !open_->pump.running && !open_->noseMotor.running)
        close(Swing::End::Finished, change.ms, done);
}

void SwingFinder::finish(std::int64_t lastMs, std::vector<Swing> &done) {
    if (open_)
        close(allLocked() ? Swing::End::Finished : Swing::End::NotFinished, lastMs, done);
}

// A leg already at the far lock when the switch moves counts as locked at once, and an other
// light already out as out at once.
void SwingFinder::start(Swing::Kind kind, std::int64_t ms, std::vector<Swing> &done) {
    if (open_)
        close(allLocked() ? Swing::End::Finished : Swing::End::NotFinished, ms, done);
    Swing swing;
    swing.kind = kind;
    swing.startMs = ms;
    const bool up = kind == Swing::Kind::Retraction;
    for (int leg = 0; leg < 3; ++leg) {
        if (on_[up ? RightUp + leg : RightDown + leg])
            swing.locked[leg] = 0;
        if (!on_[up ? RightDown + leg : RightUp + leg])
            swing.released[leg] = 0;
    }
    swing.pump.set(pumpRuns(), ms);
    swing.noseMotor.set(noseMotorRuns(), ms);
    swing.horn.set(on_[Horn], ms);
    open_ = swing;
}

void SwingFinder::follow(Signal signal, std::int64_t ms) {
    Swing &swing = *open_;
    const std::int64_t since = ms - swing.startMs;
    const bool up = swing.kind == Swing::Kind::Retraction;
    for (int leg = 0; leg < 3; ++leg) {
        if (signal == (up ? RightUp : RightDown) + leg && on_[signal] && !swing.locked[leg])
            swing.locked[leg] = since;
        if (signal == (up ? RightDown : RightUp) + leg && !on_[signal] && !swing.released[leg])
            swing.released[leg] = since;
    }
    if (signal == UpPressure || signal == DownPressure) {
        if (swing.pressureChanges < Swing::kPressureKept)
            swing.pressure[swing.pressureChanges] = {since, signal == UpPressure, on_[signal]};
        ++swing.pressureChanges;
    }
    swing.pump.set(pumpRuns(), ms);
    swing.noseMotor.set(noseMotorRuns(), ms);
    swing.horn.set(on_[Horn], ms);
}

void SwingFinder::close(Swing::End end, std::int64_t ms, std::vector<Swing> &done) {
    Swing &swing = *open_;
    swing.end = end;
    swing.watchedMs = ms - swing.startMs;
    for (Swing::RunTime *run : {&swing.pump, &swing.noseMotor, &swing.horn})
        run->stop(ms);
    done.push_back(swing);
    open_.reset();
}

std::vector<Swing> swingsOf(const std::vector<Change> &rows) {
    SwingFinder finder;
    std::vector<Swing> swings;
    for (const Change &row : rows)
        finder.add(row, swings);
    finder.finish(rows.empty() ? 0 : rows.back().ms, swings);
    return swings;
}

QString swingKindWord(Swing::Kind kind) {
    return kind == Swing::Kind::Retraction ? QStringLiteral("retraction")
                                           : QStringLiteral("extension");
}

namespace {

QString headline(const Swing &swing) {
    QString line = swingKindWord(swing.kind) + QStringLiteral(" at ") + secondsText(swing.startMs) +
                   QStringLiteral(": ");
    switch (swing.end) {
    case Swing::End::Finished:
        return line + secondsText(*swing.swingMs()) + QStringLiteral(" s");
    case Swing::End::LinkLost:
        return line + QStringLiteral("unknown, %1 %2 s after the switch, before every leg locked")
                          .arg(swing.lostAs, secondsText(swing.watchedMs));
    case Swing::End::NotFinished:
        break;
    }
    QStringList never;
    for (int leg = 0; leg < 3; ++leg)
        if (!swing.locked[leg])
            never << QLatin1String(kLegNames[leg]);
    // "nose leg", "left and nose legs", "right, left and nose legs"
    const QString legs = never.size() < 2
                             ? never.join(QString()) + QStringLiteral(" leg")
                             : never.mid(0, never.size() - 1).join(QStringLiteral(", ")) +
                                   QStringLiteral(" and ") + never.last() + QStringLiteral(" legs");
    return line + QStringLiteral("not finished, %1 never locked in %2 s")
                      .arg(legs, secondsText(swing.watchedMs));
}

// "2.000 s", "never", or "unknown" after a link loss.
QString legTime(const Swing &swing, const std::optional<std::int64_t> &ms) {
    if (ms)
        return secondsText(*ms) + QStringLiteral(" s");
    return swing.end == Swing::End::LinkLost ? QStringLiteral("unknown") : QStringLiteral("never");
}

// The words for a pump or motor, or for the horn.
struct RunWords {
    const char *never, *did, *doing;
};
constexpr RunWords kRuns{"did not run", "ran", "running"};
constexpr RunWords kSounds{"silent", "sounded", "sounding"};

QString runText(const Swing::RunTime &run, const RunWords &words) {
    if (run.starts == 0)
        return QLatin1String(words.never);
    QString text = QStringLiteral("%1 %2 s").arg(QLatin1String(words.did), secondsText(run.ms));
    if (run.starts > 1)
        text += QStringLiteral(" in %1 runs").arg(run.starts);
    if (run.running)
        text += QStringLiteral(", still %1 at the swing's end").arg(QLatin1String(words.doing));
    return text;
}

QString pressureText(const Swing &swing) {
    if (swing.pressureChanges == 0)
        return QStringLiteral("no change");
    QStringList parts;
    for (int i = 0; i < std::min(swing.pressureChanges, Swing::kPressureKept); ++i) {
        const Swing::PressureChange &p = swing.pressure[i];
        const QString address = p.upSwitch ? QStringLiteral("X100") : QStringLiteral("X101");
        parts << QStringLiteral("%1 %2 at %3 s")
                     .arg(address, stateWord(address, p.closed), secondsText(p.after));
    }
    if (swing.pressureChanges > Swing::kPressureKept)
        parts << QStringLiteral("%1 more").arg(swing.pressureChanges - Swing::kPressureKept);
    return parts.join(QStringLiteral(", "));
}

} // namespace

QStringList formatSwing(const Swing &swing, const SwingLimits &limits) {
    QStringList lines{headline(swing)};
    for (int leg = 0; leg < 3; ++leg)
        lines << QStringLiteral("  %1 leg: %2 %3, %4 out %5")
                     .arg(QLatin1String(kLegNames[leg]), lightName(swing.kind, true),
                          legTime(swing, swing.locked[leg]), lightName(swing.kind, false),
                          legTime(swing, swing.released[leg]));
    lines << QStringLiteral("  pump: ") + runText(swing.pump, kRuns)
          << QStringLiteral("  nose motor: ") + runText(swing.noseMotor, kRuns)
          << QStringLiteral("  pressure switches: ") + pressureText(swing)
          << QStringLiteral("  horn: ") + runText(swing.horn, kSounds);
    if (const auto limit = limits.of(swing.kind))
        lines << QStringLiteral("  limit %1 s: %2")
                     .arg(secondsText(*limit), limits.over(swing) ? QStringLiteral("OVER")
                                               : swing.swingMs()  ? QStringLiteral("within")
                                                                  : QStringLiteral("not known"));
    return lines;
}

QString swingCsvHeader() {
    return QStringLiteral("start_s,swing,result,swing_s,right_lock_s,left_lock_s,nose_lock_s,"
                          "right_out_s,left_out_s,nose_out_s,pump_s,nose_motor_s,"
                          "pressure_changes,horn_s,limit_s,over_limit");
}

QString swingCsvRow(const Swing &swing, const SwingLimits &limits) {
    static const char *const kResults[] = {"finished", "not finished", "unknown"};
    QStringList fields{secondsText(swing.startMs), swingKindWord(swing.kind),
                       QLatin1String(kResults[int(swing.end)]), after(swing.swingMs())};
    for (const auto &lock : swing.locked)
        fields << after(lock);
    for (const auto &out : swing.released)
        fields << after(out);
    const auto runSeconds = [](const Swing::RunTime &run) {
        return run.starts == 0 ? QString() : secondsText(run.ms);
    };
    const std::optional<std::int64_t> limit = limits.of(swing.kind);
    fields << runSeconds(swing.pump) << runSeconds(swing.noseMotor)
           << QString::number(swing.pressureChanges) << runSeconds(swing.horn) << after(limit)
           << (limit ? (limits.over(swing) ? QStringLiteral("yes") : QStringLiteral("no"))
                     : QString());
    return fields.join(QLatin1Char(','));
}
