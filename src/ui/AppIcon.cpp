#include "ui/AppIcon.h"

#include <QPainter>
#include <QPainterPath>

QImage drawAppIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);

    // A navy panel.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 128));
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 5, 5);

    // Three gear-down lights across the top, lit green.
    p.setBrush(QColor(0, 255, 0));
    for (double x : {6.0, 14.0, 22.0})
        p.drawRoundedRect(QRectF(x, 4, 4, 4), 1, 1);

    // The gear leg, its drag brace and the wheel.
    p.setPen(QPen(QColor(224, 224, 224), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 10), QPointF(16, 19));
    p.drawLine(QPointF(16, 12), QPointF(23, 10.5));
    p.setPen(QPen(QColor(20, 20, 20), 1));
    p.setBrush(QColor(64, 64, 64));
    p.drawEllipse(QPointF(16, 23), 6, 6);
    p.setBrush(QColor(255, 255, 0));
    p.drawEllipse(QPointF(16, 23), 2.2, 2.2);
    return image;
}

QIcon builtInAppIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64})
        icon.addPixmap(QPixmap::fromImage(drawAppIcon(size)));
    return icon;
}
