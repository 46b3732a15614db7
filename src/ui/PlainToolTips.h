#pragma once

#include <QObject>

// Shows the tooltips of a menu's items as the text they hold. A tooltip is otherwise taken for
// rich text whenever it looks like markup, so a device path or link target holding "<img ...>"
// or "<font size=7>" would be drawn as such (and the image loaded from disk).
class PlainToolTips : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
