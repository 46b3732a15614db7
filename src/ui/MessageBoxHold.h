#pragma once

#include <QtGlobal>

#include <deque>
#include <functional>
#include <unordered_map>

// While a message box is up, its nested event loop would deliver received lines, a lost link and
// ticks into the middle of the handler that showed the box. They wait here instead and run in
// the order they came once the last box is dismissed; a tick that fell due meanwhile runs once,
// after them. A lost link waits in line with the lines, so lines received before it cannot
// outweigh it.
//
// What is held stays bounded however long a box stays up. Past the line limit the oldest held
// line of a kind that also has a newer line held is dropped (each kind of record rewrites what
// the one before it set). The newest line of every kind and every other event are kept, and the
// limit is far above the twenty lines the serial view shows, so once the box is gone the window
// shows what it would have shown had nothing been dropped.
class MessageBoxHold {
public:
    using Event = std::function<void()>;
    static constexpr qsizetype kLineLimit = 256;

    // `runTick` runs a held tick at once; `deferTick` has it run from the event loop, for a box
    // that was opened by the tick itself.
    MessageBoxHold(Event runTick, Event deferTick, qsizetype lineLimit = kLineLimit);

    bool holding() const { return boxesOpen_ > 0; }
    void boxOpened() { ++boxesOpen_; }
    // Once the last box is gone, runs what was held.
    void boxClosed();

    // Each returns false when no box is up: the caller handles the event itself, now.
    bool holdLine(int kind, Event handle);
    bool holdEvent(Event handle);
    bool holdTick();

    // Marks a tick as running for the scope's lifetime.
    class TickScope {
    public:
        explicit TickScope(MessageBoxHold &hold) : hold_(hold), outer_(hold.inTick_) {
            hold_.inTick_ = true;
        }
        ~TickScope() { hold_.inTick_ = outer_; }
        TickScope(const TickScope &) = delete;
        TickScope &operator=(const TickScope &) = delete;

    private:
        MessageBoxHold &hold_;
        bool outer_;
    };

    qsizetype heldCount() const { return qsizetype(held_.size()); }
    // Lines dropped since the hold was made.
    qint64 droppedLines() const { return droppedLines_; }

private:
    static constexpr int kNotALine = -1;
    struct Held {
        int kind;
        Event handle;
    };

    void dropOneLine();
    void release();

    Event runTick_;
    Event deferTick_;
    qsizetype lineLimit_;
    int boxesOpen_ = 0;
    bool tickHeld_ = false;
    bool inTick_ = false;
    std::deque<Held> held_;
    std::unordered_map<int, qsizetype> linesOfKind_;
    qsizetype linesHeld_ = 0;
    qint64 droppedLines_ = 0;
    qint64 droppedWhileHeld_ = 0;
};
