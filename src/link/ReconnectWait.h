#pragma once

#include <QList>
#include <QString>

// A port that was open and whose device went away (unplugged, hung up) is waited for: the window
// tries to open it again, with the same settings, at most once a second until it opens or the
// user chooses otherwise. Only the waiting is decided here; the window does the opening.
class ReconnectWait {
public:
    // How often a try is made while waiting, and never more often.
    static constexpr int kTryIntervalMs = 1000;

    // The open port's device went away.
    void begin();
    // The user chose (RESET PORT, a menu choice, closing the window), or the port opened again.
    void end();
    bool waiting() const { return waiting_; }

    // A try failed with `reason`; the wait goes on. True when the reason differs from the last
    // one logged, so a log shows each change of reason once rather than one line a second.
    bool tryFailed(const QString &reason);
    // A try opened the port: the wait is over.
    void tryOpened() { end(); }

private:
    bool waiting_ = false;
    QString lastReason_;
};

// The port numbers the Port menu lists: the ports present, plus the selected port while it is
// absent (an adapter pulled out stays the user's choice), in ascending order. `selected` 0 or
// less selects none.
QList<int> portMenuNumbers(const QList<int> &present, int selected);
