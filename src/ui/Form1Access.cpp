// The panel for a screen reader and for the keyboard: indicator names that say their state, an
// alert as COMM FAIL comes and goes, Tab through the indicators, F10 to the menu bar as Alt.
#include "ui/Form1.h"

#include "ui/AccessibilityWatch.h"
#include "ui/AccessibleNames.h"

#include <QAccessible>
#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>

namespace {

BgrColour bgrOf(const QColor &colour) {
    return BgrColour(std::uint32_t(colour.red()) | std::uint32_t(colour.green()) << 8 |
                     std::uint32_t(colour.blue()) << 16);
}

} // namespace

// The indicators take the focus only from the Tab key, in the panel's reading order; the freeze
// button, when the serial view shows it, comes last. Nothing has the focus until a key gives it.
void Form1::setUpKeyboard() {
    QWidget *previous = nullptr;
    for (ControlId id : indicatorReadingOrder()) {
        QWidget *box = control(id);
        box->setFocusPolicy(Qt::TabFocus);
        if (previous)
            setTabOrder(previous, box);
        previous = box;
    }
    setTabOrder(previous, freezeButton());
    // The window itself holds the focus at start, so activating it gives no box the focus.
    setFocus(Qt::OtherFocusReason);
    // Alt alone puts the menu bar under the keys (the style's own navigation: the arrows move
    // along it, Down opens a menu, Return carries out a command). F10 does the same, as in other
    // desktop programs: it hands the bar the Alt key it listens for.
    auto *menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this, [this] {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
        QCoreApplication::sendEvent(this, &press);
        QCoreApplication::sendEvent(this, &release);
    });
}

void Form1::setUpAccessibility() {
    accessibility_ =
        std::make_unique<AccessibilityWatch>([this](bool on) { followAccessibility(on); });
    followAccessibility(accessibility_->active());
}

// Names cost a string each and, with a screen reader listening, an event: they are kept only
// while assistive technology is active, and all set afresh when it becomes so.
void Form1::followAccessibility(bool active) {
    indicatorsNamed_ = active;
    if (!active)
        return;
    for (ControlId id : indicatorReadingOrder())
        nameIndicator(id);
}

// A new name goes out as a name-changed event. Qt 6.4 sends one for every name set, the same name
// again included, so an unchanged name is left alone.
void Form1::nameIndicator(ControlId id) {
    QWidget *box = control(id);
    // Y4's caption box says what Y4 drives now: the strut valve or the speed brake.
    const QString meaning =
        id == ControlId::Y4_Output ? control(ControlId::Y4_Output_Label)->toolTip() : QString();
    const QString name =
        ::accessibleName(id, bgrOf(box->palette().color(QPalette::Window)), meaning);
    if (name != box->accessibleName())
        box->setAccessibleName(name);
}

// The notice blinks while the link is down; a screen reader hears it once as it comes and once as
// it goes, not at every blink.
void Form1::announceLinkFailure(bool failed) {
    if (failed == linkFailureAnnounced_)
        return;
    linkFailureAnnounced_ = failed;
    if (!indicatorsNamed_)
        return;
    QAccessibleEvent alert(control(ControlId::CommFail), QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}
