// The serial data view: the last twenty received lines, FREEZE and SHOW/HIDE SERIAL.
#include "ui/Form1.h"

#include "platform/SerialComponent.h"
#include "ui/RepaintThrottle.h"
#include "ui/SerialViewScroll.h"

#include <QLabel>
#include <QPushButton>
#include <QWindow>

// Lines that arrive faster than the eye can follow reach the labels together, the last twenty of
// them, just before a paint of the window, at most kSerialViewMilliseconds after the view's last
// one. The rest of the window is painted at every refresh it changes in, as before; the view's
// lines wait for their turn in between.
void Form1::setUpSerialView() {
    SerialViewScroll::Labels labels{};
    for (int i = 0; i < kSerialViewLines; ++i)
        labels[i] = label(serialLine(i));
    serialViewScroll_ = std::make_unique<SerialViewScroll>(control(ControlId::Frame10), labels);
    throttle_->setBeforePaint([this] {
        // Lines the port has not read yet (its reading pauses between paints) are shown now.
        if (MSPort1)
            MSPort1->readWaiting();
        if (serialViewShown() && serialViewBudget_.wait(throttle_->now()) == 0)
            refreshSerialView();
    });
    throttle_->setAfterPaint([this] {
        const QWindow *window = windowHandle();
        serialViewScroll_->windowPainted(window && window->isExposed());
        // A paint for the rest of the window came before the view's turn: lines still wait.
        serialViewChanged();
    });
}

void Form1::ScrollSerialView(const QString &line) {
    serialLines_.push(line);
    serialViewChanged();
}

// A hidden view's labels wait until it is shown; a shown one is brought up to date at the first
// refresh its paint budget allows, however many lines come in meanwhile.
void Form1::serialViewChanged() {
    if (serialViewShown() && serialLines_.changes() != shownChanges_)
        throttle_->requestRepaint(serialViewBudget_.wait(throttle_->now()));
}

bool Form1::serialViewShown() const {
    return !control(ControlId::Frame10)->isHidden();
}

// A label whose caption stays the same is left alone (QLabel itself ignores an equal text), so
// only moved lines are repainted and announced to a screen reader.
void Form1::refreshSerialView() {
    if (serialLines_.changes() == shownChanges_)
        return;
    const qint64 pushed = serialLines_.pushesSince(shownChanges_);
    shownChanges_ = serialLines_.changes();
    serialViewScroll_->show(serialLines_, pushed);
    serialViewBudget_.spend(throttle_->now());
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
    if (serialViewShown()) {
        view->hide();
        return;
    }
    refreshSerialView();
    view->show();
    view->raise();
    serialViewScroll_->paintWhole();
    state_.SerialViewFrozen = false;
    freezeButton()->setText(QStringLiteral("FREEZE"));
}
