#include "ui/SerialViewScroll.h"

#include <QLabel>
#include <QWidget>

namespace {

// The label's pixels are already where its new text belongs, moved there with the view's
// picture, or they are about to be painted with the area the move uncovers: the new text must not
// repaint the label again. QLabel offers no quiet setter; with updates off for the one call,
// everything but the repaint happens as usual (a screen reader hears of the new text).
void setTextAlreadyOnScreen(QLabel *label, const QString &text) {
    const bool updatesWereOff = label->testAttribute(Qt::WA_UpdatesDisabled);
    label->setAttribute(Qt::WA_UpdatesDisabled, true);
    label->setText(text);
    label->setAttribute(Qt::WA_UpdatesDisabled, updatesWereOff);
}

} // namespace

void SerialViewScroll::show(const SerialViewLines &lines, qint64 pushed) {
    const int pitch = evenPitch();
    const bool movable = pictureCurrent_ && view_->isVisible() && pitch > 0 && pushed > 0 &&
                         pushed < SerialViewLines::kCount;
    pictureCurrent_ = false;
    if (movable)
        scrollUp(lines, int(pushed), pitch);
    else
        setEach(lines);
}

void SerialViewScroll::paintWhole() {
    pictureCurrent_ = false;
    view_->update();
    for (QLabel *label : labels_)
        label->update();
}

void SerialViewScroll::windowPainted(bool exposed) {
    pictureCurrent_ = exposed;
}

// The pixels from one label's top to the next one's, or 0 when the labels are not stacked evenly
// (the twips do not always come out at whole pixels): then moving the picture by whole lines
// would not put each line where its label is.
int SerialViewScroll::evenPitch() const {
    const QRect bottom = labels_[0]->geometry();
    const int pitch = bottom.top() - labels_[1]->geometry().top();
    if (pitch <= 0 || pitch > bottom.height())
        return 0;
    for (int i = 1; i < SerialViewLines::kCount; ++i) {
        if (labels_[i]->geometry() != bottom.translated(0, -i * pitch))
            return 0;
    }
    return pitch;
}

// Every label shows the same look at its own place, and the upper of two overlapping labels is
// drawn over the lower throughout, so the picture of the labels moved up `pushed` lines is the
// picture of the labels holding the lines moved up: only the lines that come in at the bottom
// are new, and Qt paints them as the area the move uncovers (which it paints whole, labels
// included; marking them as well would paint them twice).
void SerialViewScroll::scrollUp(const SerialViewLines &lines, int pushed, int pitch) {
    const QRect bottom = labels_[0]->geometry();
    const QRect area = bottom.united(labels_[SerialViewLines::kCount - 1]->geometry());
    for (int i = 0; i < SerialViewLines::kCount; ++i)
        setTextAlreadyOnScreen(labels_[i], lines.at(i));
    view_->scroll(0, -pushed * pitch, area);
}

void SerialViewScroll::setEach(const SerialViewLines &lines) {
    for (int i = 0; i < SerialViewLines::kCount; ++i)
        labels_[i]->setText(lines.at(i));
}
