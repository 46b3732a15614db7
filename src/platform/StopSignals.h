#pragma once

#include <QObject>

#include <vector>

class QSocketNotifier;

// SIGINT, SIGTERM and SIGHUP (Ctrl+C, a service stop, the terminal going away) become a Qt
// signal delivered in the event loop, so the program can end through its normal close path:
// the port closed and its lock file released, as when the window is closed. The handler only
// writes the signal's number into a pipe; everything else happens in the event loop. A signal
// that was ignored when the program started (nohup) stays ignored.
class StopSignals : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; only one instance may exist at a time. Leaves them in place if the
    // pipe cannot be made (installed() is then false).
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;

    bool installed() const { return notifier_ != nullptr; }

signals:
    void stopRequested(int signalNumber);

private:
    void readPipe();

    QSocketNotifier *notifier_ = nullptr;
    std::vector<int> handled_;
};
