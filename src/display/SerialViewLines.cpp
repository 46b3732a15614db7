#include "display/SerialViewLines.h"

void SerialViewLines::push(const QString &line) {
    // The slot of the oldest line is reused for the newest: nothing is copied.
    newest_ = (newest_ + kCount - 1) % kCount;
    lines_[newest_] = line;
    ++changes_;
}

void SerialViewLines::replaceAll(const QStringList &topFirst) {
    for (int index = 0; index < kCount; ++index) {
        const qsizetype from = kCount - 1 - index;
        lines_[(newest_ + index) % kCount] = from < topFirst.size() ? topFirst.at(from) : QString();
    }
    replacedAt_ = ++changes_;
}

qint64 SerialViewLines::pushesSince(quint64 changes) const {
    if (changes < replacedAt_ || changes > changes_)
        return -1;
    return qint64(changes_ - changes);
}

const QString &SerialViewLines::at(int index) const {
    return lines_[(newest_ + index) % kCount];
}
