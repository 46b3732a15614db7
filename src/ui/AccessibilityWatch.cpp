#include "ui/AccessibilityWatch.h"

AccessibilityWatch::AccessibilityWatch(std::function<void(bool)> changed)
    : changed_(std::move(changed)), active_(QAccessible::isActive()) {
    QAccessible::installActivationObserver(this);
}

AccessibilityWatch::~AccessibilityWatch() {
    QAccessible::removeActivationObserver(this);
}

void AccessibilityWatch::accessibilityActiveChanged(bool active) {
    if (active == active_)
        return;
    active_ = active;
    changed_(active);
}
