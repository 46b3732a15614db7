#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

class QSerialPort;
class QSocketNotifier;

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
    // `ended` runs when a pause is over, with the port listening again.
    ReadPause(QSerialPort &port, std::function<void()> ended);

    // 0, the default, never pauses.
    void setMilliseconds(int milliseconds) { milliseconds_ = milliseconds; }
    // After a read that brought bytes: the port stops listening until the pause is over.
    void begin();
    // The port closes: no pause is left to end.
    void cancel() { timer_.stop(); }
    bool active() const { return timer_.isActive(); }

private:
    QSocketNotifier *readNotifier() const;
    void end();

    QSerialPort &port_;
    std::function<void()> ended_;
    QTimer timer_;
    int milliseconds_ = 0;
    bool missingNotifierLogged_ = false;
};
