#pragma once

#include <QtGlobal>

// What one browser may cost the monitor. A client's unsent data is bounded: while more than
// kMaxUnsentBytes wait for it, it is sent nothing and is owed the whole panel; one that stays
// behind for kMaxBehindSnapshots snapshots (five seconds) is dropped.
inline constexpr qint64 kMaxUnsentBytes = 64 * 1024;
inline constexpr int kMaxBehindSnapshots = 100;
// What a client may send at all: the page sends nothing, so a few kilobytes is already abuse.
inline constexpr qint64 kMaxIncomingBytes = 4 * 1024;
inline constexpr int kMaxMirrorClients = 16;
// Snapshots of the panel are taken at most this often while a client watches.
inline constexpr int kSnapshotMilliseconds = 50;
// A panel that does not change still tells its clients, every two seconds, that the monitor is
// there: the page counts its panel as old when it has heard nothing for a while, as it must
// when a phone's network drops without a word.
inline constexpr int kQuietSnapshots = 2000 / kSnapshotMilliseconds;

enum class Delivery {
    Whole,   // the whole panel: the first message, or after data the client missed
    Changes, // what changed since the last snapshot, if anything did
    Skip,    // nothing this time: too much is still unsent
    Drop,    // behind for too long
};

class ClientPace {
public:
    // What to send this client at a snapshot, `unsent` bytes still waiting for it.
    Delivery next(qint64 unsent) {
        if (unsent > kMaxUnsentBytes) {
            owedWhole_ = true;
            return ++behind_ > kMaxBehindSnapshots ? Delivery::Drop : Delivery::Skip;
        }
        behind_ = 0;
        if (!owedWhole_)
            return Delivery::Changes;
        owedWhole_ = false;
        return Delivery::Whole;
    }

    // Counts what the client sent; false once it has sent more than it ever should.
    bool received(qint64 bytes) {
        incoming_ += bytes;
        return incoming_ <= kMaxIncomingBytes;
    }

private:
    bool owedWhole_ = true;
    int behind_ = 0;
    qint64 incoming_ = 0;
};
