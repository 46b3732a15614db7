#pragma once

#include "Timeline.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// One swing of the gear: from the gear switch's move to the last leg locked, and what ran
// meanwhile. Times are milliseconds after the switch moved. A swing holds a few numbers only, so
// a recording of any length is read with flat memory.
struct Swing {
    enum class Kind { Retraction, Extension };
    // Finished: every leg locked with the link up. NotFinished: a leg never locked before the
    // next switch move or the end. LinkLost: the link went stale or failed, or the port closed,
    // before every leg had locked, so what happened after is unknown.
    enum class End { Finished, NotFinished, LinkLost };

    // How long something ran during the swing; `running` when it still ran at the swing's end.
    struct RunTime {
        std::int64_t ms = 0;
        std::int64_t since = 0;
        int starts = 0;
        bool running = false;
        void set(bool on, std::int64_t at);
        void stop(std::int64_t at);
    };
    struct PressureChange {
        std::int64_t after = 0;
        bool upSwitch = false; // X100, else X101
        bool closed = false;
    };
    static constexpr int kPressureKept = 4; // later changes are counted, not kept

    Kind kind = Kind::Retraction;
    std::int64_t startMs = 0;
    End end = End::NotFinished;
    std::int64_t watchedMs = 0; // how long after the switch the swing was seen with the link up
    QString lostAs;             // LinkLost: "link stale", "link failed" or "port closed"
    std::array<std::optional<std::int64_t>, 3> locked{};   // right, left, nose: lock light on
    std::array<std::optional<std::int64_t>, 3> released{}; // the other light out
    RunTime pump, noseMotor, horn;
    std::array<PressureChange, kPressureKept> pressure{};
    int pressureChanges = 0;

    // Switch to the last leg locked; none unless Finished.
    std::optional<std::int64_t> swingMs() const;
};

// The longest a retraction and an extension may take; none: no limit.
struct SwingLimits {
    std::optional<std::int64_t> retractMs;
    std::optional<std::int64_t> extendMs;

    std::optional<std::int64_t> of(Swing::Kind kind) const;
    // Over when it took longer, or was watched past the limit without every leg locked.
    bool over(const Swing &swing) const;
};

// Finds swings in a timeline's rows, fed one row at a time so that a live reader can use it as
// well. A retraction starts when the switch closes to UP (X6), an extension when it closes to
// DOWN (X7). A finished swing ends when, every leg locked, the pump and the nose motor stop; any
// swing ends at the next switch move, at a link loss and at the end. Rows from short records are
// left out: a line cut by noise is not the gear moving.
class SwingFinder {
public:
    // The swings this row ends, appended to `done`.
    void add(const Change &change, std::vector<Swing> &done);
    // The swing still open at the end of the recording, last seen at `lastMs`.
    void finish(std::int64_t lastMs, std::vector<Swing> &done);

private:
    enum Signal {
        RightDown,
        LeftDown,
        NoseDown,
        RightUp,
        LeftUp,
        NoseUp,
        SwitchUp,
        SwitchDown,
        UpPressure,
        DownPressure,
        Y0,
        Y1,
        NoseUpMotor,
        NoseDownMotor,
        Horn,
        C1,
        SignalCount
    };
    static std::optional<Signal> signalOf(const QString &address);
    bool pumpRuns() const;
    bool noseMotorRuns() const;
    void start(Swing::Kind kind, std::int64_t ms, std::vector<Swing> &done);
    void follow(Signal signal, std::int64_t ms);
    void close(Swing::End end, std::int64_t ms, std::vector<Swing> &done);
    bool allLocked() const;

    std::array<bool, SignalCount> on_{};
    std::optional<Swing> open_;
};

// The swings of a whole recording's rows, for tests and small files.
std::vector<Swing> swingsOf(const std::vector<Change> &rows);

// "retraction" or "extension".
QString swingKindWord(Swing::Kind kind);

// A swing as a block of lines for a reader; the limit, when given, marks it over or within.
QStringList formatSwing(const Swing &swing, const SwingLimits &limits);
// One row per swing for a spreadsheet; times in seconds, empty where unknown or never.
QString swingCsvHeader();
QString swingCsvRow(const Swing &swing, const SwingLimits &limits);
