#pragma once

#include <QAccessible>

#include <functional>

// Tells its owner when assistive technology starts or stops listening, for as long as it lives.
class AccessibilityWatch : public QAccessible::ActivationObserver {
public:
    explicit AccessibilityWatch(std::function<void(bool)> changed);
    ~AccessibilityWatch() override;
    AccessibilityWatch(const AccessibilityWatch &) = delete;
    AccessibilityWatch &operator=(const AccessibilityWatch &) = delete;

    bool active() const { return active_; }
    void accessibilityActiveChanged(bool active) override;

private:
    std::function<void(bool)> changed_;
    bool active_;
};
