#pragma once

#include <QByteArray>
#include <QString>

// A key kept across runs, so that a bookmarked page still opens. The file holds the 32 hex
// digits and a line end. When it is missing it is made, readable by its owner only; when it is
// there it must be a regular file (not a link, folder, FIFO or device), readable by its owner
// alone, holding a key and nothing else.
struct KeyFileResult {
    QByteArray key;    // empty when refused
    QString refusal;   // why, when refused
    bool made = false; // the file was made by this run
};

KeyFileResult keyFromFile(const QString &path);

// A key file larger than this is not read at all.
inline constexpr qint64 kMaxKeyFileBytes = 64;
