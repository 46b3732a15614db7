#pragma once

#include <QString>
#include <QStringList>

#include <array>

// The serial data view's twenty lines as plain text, newest first: line 0 is the newest (the
// bottom of the view), line 19 the oldest (the top). Received lines go in here at once, whether
// or not the view is shown; the window copies them into its labels only when someone can see them.
class SerialViewLines {
public:
    static constexpr int kCount = 20;

    // `line` becomes line 0; every other line moves up one and the oldest is dropped.
    void push(const QString &line);
    // Replaces all twenty lines, given top line (19) first, as the link-failed help text comes.
    void replaceAll(const QStringList &topFirst);
    // Line `index`, 0 (newest) to 19 (oldest).
    const QString &at(int index) const;
    // Rises on every change, so a reader can tell that the lines moved since it last looked.
    quint64 changes() const { return changes_; }
    // How many lines were pushed since the count was `changes`, or -1 if the lines were replaced
    // since then: a reader that showed them then can move what it shows up by that many lines.
    qint64 pushesSince(quint64 changes) const;

private:
    std::array<QString, kCount> lines_;
    int newest_ = 0; // slot of line 0
    quint64 changes_ = 0;
    quint64 replacedAt_ = 0; // the count just after the last replaceAll
};
