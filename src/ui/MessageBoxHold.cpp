#include "ui/MessageBoxHold.h"

#include "platform/Logging.h"

#include <algorithm>

MessageBoxHold::MessageBoxHold(Event runTick, Event deferTick, qsizetype lineLimit)
    : runTick_(std::move(runTick)), deferTick_(std::move(deferTick)),
      lineLimit_(std::max<qsizetype>(lineLimit, 1)) {}

void MessageBoxHold::boxClosed() {
    if (boxesOpen_ > 0)
        --boxesOpen_;
    if (boxesOpen_ == 0)
        release();
}

bool MessageBoxHold::holdLine(int kind, Event handle) {
    if (!holding())
        return false;
    if (linesHeld_ >= lineLimit_)
        dropOneLine();
    held_.push_back({kind, std::move(handle)});
    ++linesOfKind_[kind];
    ++linesHeld_;
    return true;
}

bool MessageBoxHold::holdEvent(Event handle) {
    if (!holding())
        return false;
    held_.push_back({kNotALine, std::move(handle)});
    return true;
}

bool MessageBoxHold::holdTick() {
    if (!holding())
        return false;
    tickHeld_ = true;
    return true;
}

// The oldest line whose kind has a newer line held; failing that (more kinds than the limit),
// the oldest line.
void MessageBoxHold::dropOneLine() {
    auto isLine = [](const Held &h) { return h.kind != kNotALine; };
    auto victim = std::find_if(held_.begin(), held_.end(), [this, isLine](const Held &h) {
        return isLine(h) && linesOfKind_[h.kind] > 1;
    });
    if (victim == held_.end())
        victim = std::find_if(held_.begin(), held_.end(), isLine);
    if (victim == held_.end())
        return;
    --linesOfKind_[victim->kind];
    --linesHeld_;
    ++droppedLines_;
    ++droppedWhileHeld_;
    held_.erase(victim);
}

// An event run here may open a box of its own: what arrives then is held again and released
// when that box closes, from inside this loop, still in order.
void MessageBoxHold::release() {
    if (droppedWhileHeld_ > 0)
        qCInfo(gearUi) << "while a message box was up" << droppedWhileHeld_
                       << "received lines were dropped, each superseded by a newer one";
    droppedWhileHeld_ = 0;
    while (!held_.empty() && !holding()) {
        Held next = std::move(held_.front());
        held_.pop_front();
        if (next.kind != kNotALine) {
            --linesOfKind_[next.kind];
            --linesHeld_;
        }
        next.handle();
    }
    if (!tickHeld_ || holding())
        return;
    tickHeld_ = false;
    if (inTick_)
        deferTick_();
    else
        runTick_();
}
