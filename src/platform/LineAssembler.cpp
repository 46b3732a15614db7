#include "platform/LineAssembler.h"

QString LineAssembler::takePartial() {
    const QString text = QString::fromLatin1(partial_);
    partial_.clear();
    return text;
}

QStringList LineAssembler::feed(QByteArrayView bytes) {
    QStringList out;
    while (!bytes.isEmpty()) {
        const qsizetype room = kMaxRun - partial_.size();
        const qsizetype end = bytes.indexOf(terminator_);
        if (end >= 0 && end <= room) {
            partial_.append(bytes.first(end + 1));
            out << takePartial();
            bytes = bytes.sliced(end + 1);
        } else if (end < 0 && bytes.size() <= room) {
            partial_.append(bytes);
            break;
        } else {
            // The run outgrows the limit before a terminator comes: hand out what is held.
            partial_.append(bytes.first(room));
            out << takePartial();
            ++cutRuns_;
            bytes = bytes.sliced(room);
        }
    }
    return out;
}
