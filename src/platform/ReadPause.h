#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <functional>

class QSerialPort;
class QSocketNotifier;

// About how many bytes came in the last pause's length: each read adds its bytes, and what came
// before fades out evenly over one pause. A sender that brought more than a pause should hold is
// read as it comes, even when one read now and then finds little (the program was busy painting).
struct RecentBytes {
    qint64 bytes = 0;
    // `nanosecondsSinceLastRead` negative: there was no read before.
    void add(qint64 read, qint64 nanosecondsSinceLastRead, int pauseMilliseconds);
};

// Holds a serial port's reading off for a while after each read. A controller writes its lines
// one at a time, and every read wakes the whole program, which costs far more than the few bytes
// it brings; no screen can show them faster than it refreshes anyway. While the pause lasts the
// system keeps what arrives, in order, and at its end the owner reads it all at once.
//
// QSerialPort reads as soon as its device is readable and offers no way to wait. Its reading is
// driven by a read notifier, a child of the port, which the pause switches off and on; the port
// itself switches it on again whenever it is read, as it does after its buffer was full. Where
// the port has no such notifier, reading is simply not paced.
class ReadPause {
public:
    // A sender that brings more than this in one pause is read as its bytes arrive: pausing
    // would leave a terminal's input buffer (4 KB on Linux) near full and the sender waiting.
    static constexpr qint64 kMostBytesPerPause = 1024;

    // `ended` runs when a pause is over, with the port listening again.
    ReadPause(QSerialPort &port, std::function<void()> ended);

    // 0, the default, never pauses.
    void setMilliseconds(int milliseconds) { milliseconds_ = milliseconds; }
    // After a read that brought `bytes`: the port stops listening until the pause is over,
    // unless more than kMostBytesPerPause came in the last pause's length.
    void begin(qint64 bytes);
    // The port closes: no pause is left to end.
    void cancel() { timer_.stop(); }
    bool active() const { return timer_.isActive(); }

private:
    QSocketNotifier *readNotifier() const;
    void end();

    QSerialPort &port_;
    std::function<void()> ended_;
    QTimer timer_;
    QElapsedTimer sinceLastRead_;
    RecentBytes recent_;
    int milliseconds_ = 0;
    bool missingNotifierLogged_ = false;
};
