#include "link/ReconnectWait.h"

#include <algorithm>

void ReconnectWait::begin() {
    waiting_ = true;
    lastReason_.clear();
}

void ReconnectWait::end() {
    waiting_ = false;
    lastReason_.clear();
}

bool ReconnectWait::tryFailed(const QString &reason) {
    if (!waiting_ || reason == lastReason_)
        return false;
    lastReason_ = reason;
    return true;
}

QList<int> portMenuNumbers(const QList<int> &present, int selected) {
    QList<int> numbers = present;
    if (selected > 0 && !numbers.contains(selected)) {
        const auto at = std::lower_bound(numbers.begin(), numbers.end(), selected);
        numbers.insert(at, selected);
    }
    return numbers;
}
