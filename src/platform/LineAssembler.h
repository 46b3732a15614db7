#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

// Gathers received bytes into lines. A line ends with the terminator, which stays on it. Each
// byte becomes one character (Latin-1), so noise at the wrong speed still yields text. A run
// longer than kMaxRun bytes without a terminator is handed out as it stands, so whatever the
// line carries, no more than kMaxRun bytes are ever held.
class LineAssembler {
public:
    static constexpr qsizetype kMaxRun = 4096;

    explicit LineAssembler(char terminator = '\r') : terminator_(terminator) {}

    void setTerminator(char terminator) { terminator_ = terminator; }

    // The lines (and over-long runs) that these bytes complete, in arrival order.
    QStringList feed(QByteArrayView bytes);
    // Forgets a partly received line, e.g. when the port closes.
    void reset() { partial_.clear(); }
    qsizetype heldBytes() const { return partial_.size(); }
    // How many over-long runs have been cut so far.
    qsizetype cutRuns() const { return cutRuns_; }

private:
    QString takePartial();

    char terminator_;
    QByteArray partial_;
    qsizetype cutRuns_ = 0;
};
