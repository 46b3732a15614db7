#pragma once

#include "display/SerialViewLines.h"

#include <QtGlobal>

#include <array>

class QLabel;
class QWidget;

// Brings the serial view's twenty labels up to date with its lines. When the lines were only
// pushed up by a few new ones since the labels were last painted, the view's pixels are moved up
// by that many lines and only the new lines at the bottom are painted: a refresh draws one or two
// lines of text instead of twenty. Moving pixels is sound only when the window's picture holds
// the labels as they stand and the labels are evenly spaced; otherwise every changed label is
// repainted as usual.
class SerialViewScroll {
public:
    using Labels = std::array<QLabel *, SerialViewLines::kCount>;

    // `labels`, newest (bottom) first, are children of `view`, all of one size and look.
    SerialViewScroll(QWidget *view, const Labels &labels) : view_(view), labels_(labels) {}

    // Shows `lines`; `pushed` is SerialViewLines::pushesSince the lines were last shown.
    void show(const SerialViewLines &lines, qint64 pushed);
    // Has the next paint draw the whole view, lines and all: Qt draws a child it has just shown
    // only a little later, from the event loop, and the window's picture of the view must be
    // whole before its lines can be moved.
    void paintWhole();
    // The window has just been painted; `exposed`: onto the screen, so its picture holds the
    // labels as they stand.
    void windowPainted(bool exposed);

private:
    int evenPitch() const;
    void scrollUp(const SerialViewLines &lines, int pushed, int pitch);
    void setEach(const SerialViewLines &lines);

    QWidget *view_;
    Labels labels_;
    bool pictureCurrent_ = false;
};
