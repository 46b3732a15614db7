// The serial data view: the last twenty received lines, FREEZE and SHOW/HIDE SERIAL.
#include "ui/Form1.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

// One screen refresh at 60 Hz: lines that arrive faster than the eye can follow reach the labels
// together, in one repaint, the last twenty of them.
constexpr int kViewRefreshMilliseconds = 16;

} // namespace

void Form1::setUpSerialView() {
    serialViewTimer_ = new QTimer(this);
    serialViewTimer_->setObjectName(QStringLiteral("SerialViewRefresh"));
    serialViewTimer_->setSingleShot(true);
    serialViewTimer_->setInterval(kViewRefreshMilliseconds);
    connect(serialViewTimer_, &QTimer::timeout, this, &Form1::refreshSerialView);
}

void Form1::ScrollSerialView(const QString &line) {
    serialLines_.push(line);
    serialViewChanged();
}

// A hidden view's labels wait until it is shown; a shown one is brought up to date within one
// screen refresh, however many lines come in meanwhile.
void Form1::serialViewChanged() {
    if (control(ControlId::Frame10)->isHidden() || serialViewTimer_->isActive())
        return;
    serialViewTimer_->start();
}

// A label whose caption stays the same is left alone (QLabel itself ignores an equal text), so
// only moved lines are repainted and announced to a screen reader.
void Form1::refreshSerialView() {
    serialViewTimer_->stop();
    if (serialLines_.changes() == shownChanges_)
        return;
    shownChanges_ = serialLines_.changes();
    for (int i = 0; i < kSerialViewLines; ++i)
        label(serialLine(i))->setText(serialLines_.at(i));
}

void Form1::FreezeButton_Click() {
    state_.SerialViewFrozen = !state_.SerialViewFrozen;
    freezeButton()->setText(state_.SerialViewFrozen ? QStringLiteral("CONTINUE")
                                                    : QStringLiteral("FREEZE"));
}

// Showing the view always unfreezes it; hiding leaves the freeze state as it is. The view comes
// up already showing the last twenty lines.
void Form1::Show_Menu_Click() {
    QWidget *view = control(ControlId::Frame10);
    if (!view->isHidden()) {
        view->hide();
        return;
    }
    refreshSerialView();
    view->show();
    view->raise();
    state_.SerialViewFrozen = false;
    freezeButton()->setText(QStringLiteral("FREEZE"));
}
