#include "ui/Widgets.h"

#include "ui/Twips.h"

#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

#include <algorithm>

FrameBox::FrameBox(const QString &caption, QWidget *parent) : QGroupBox(caption, parent) {
    setAutoFillBackground(true);
}

void FrameBox::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int lineY = metrics.height() / 2;
    const QRect border = rect().adjusted(0, lineY, -2, -2);
    // An etched line: dark, with a light line just inside it.
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(border);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(border.translated(1, 1));
    if (title().isEmpty())
        return;
    const QRect caption(6, 0, metrics.horizontalAdvance(title()) + 4, metrics.height());
    painter.fillRect(caption, palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(caption, Qt::AlignCenter, title());
}

BoxLabel::BoxLabel(bool bordered, QWidget *parent) : QLabel(parent), bordered_(bordered) {
    // Text that comes from outside the program is shown character for character, never as markup.
    setTextFormat(Qt::PlainText);
    setAutoFillBackground(true);
}

QFont fittedFont(const QFont &specified, const QString &text, int width) {
    QFont font = specified;
    for (double points = specified.pointSizeF();
         points > kSmallestCaptionPoints && QFontMetrics(font).horizontalAdvance(text) > width;) {
        points = std::max(kSmallestCaptionPoints, points - 0.25);
        font.setPointSizeF(points);
    }
    return font;
}

void BoxLabel::setSpecifiedFont(const QFont &font) {
    specified_ = font;
    asciiAdvances_.clear();
    fitCaption();
}

// The controller repeats its records: the same caption again changes nothing, so it is neither
// measured nor repainted.
void BoxLabel::setCaption(const QString &text) {
    if (text == this->text())
        return;
    setText(text);
    fitCaption();
}

int BoxLabel::captionWidth() const {
    return contentsRect().width() - (bordered_ ? 2 : 0);
}

void BoxLabel::fitCaption() {
    const QString &caption = text();
    const QFont font = fitsCaption_ && !surelyFits(caption)
                           ? fittedFont(specified_, caption, captionWidth())
                           : specified_;
    if (font != this->font())
        setFont(font);
}

// Measuring a caption shapes its text, which costs more than decoding the record it came in; the
// cycle count changes with every gear cycle. A caption of printable ASCII characters (never drawn
// from another font) fits for sure when the advances of its characters, each with a pixel to spare
// for kerning and rounding, add up to no more than the box's width.
bool BoxLabel::surelyFits(const QString &caption) const {
    constexpr char16_t first = 0x20, last = 0x7e;
    const int width = captionWidth();
    if (caption.size() > width)
        return false;
    if (asciiAdvances_.empty()) {
        const QFontMetricsF metrics(specified_);
        for (char16_t c = first; c <= last; ++c)
            asciiAdvances_.push_back(metrics.horizontalAdvance(QChar(c)));
    }
    qreal total = 0;
    for (const QChar c : caption) {
        if (c.unicode() < first || c.unicode() > last)
            return false;
        total += asciiAdvances_[c.unicode() - first] + 1;
    }
    return total <= width;
}

void BoxLabel::resizeEvent(QResizeEvent *event) {
    QLabel::resizeEvent(event);
    fitCaption();
}

void BoxLabel::paintEvent(QPaintEvent *event) {
    QLabel::paintEvent(event);
    if (hasFocus())
        paintFocusFrame();
    if (!bordered_)
        return;
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

// Only the Tab key gives a box the focus, so the frame appears only once a key is pressed.
void BoxLabel::paintFocusFrame() {
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = rect().adjusted(2, 2, -2, -2);
    option.backgroundColor = palette().color(QPalette::Window);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

LineShape::LineShape(int x1, int y1, int x2, int y2, const QColor &colour, double dpi,
                     QWidget *parent)
    : QWidget(parent), x1_(x1), y1_(y1), x2_(x2), y2_(y2), colour_(colour), dpi_(dpi) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    place();
}

void LineShape::setVertical(int twips) {
    y1_ = y2_ = twips;
    place();
}

void LineShape::place() {
    const int left = twipsToPixels(std::min(x1_, x2_), dpi_);
    const int top = twipsToPixels(std::min(y1_, y2_), dpi_);
    const int right = twipsToPixels(std::max(x1_, x2_), dpi_);
    const int bottom = twipsToPixels(std::max(y1_, y2_), dpi_);
    setGeometry(left, top, right - left + 1, bottom - top + 1);
    update();
}

void LineShape::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setPen(colour_);
    const int x1 = twipsToPixels(x1_, dpi_) - x();
    const int y1 = twipsToPixels(y1_, dpi_) - y();
    const int x2 = twipsToPixels(x2_, dpi_) - x();
    const int y2 = twipsToPixels(y2_, dpi_) - y();
    painter.drawLine(x1, y1, x2, y2);
}

RectangleShape::RectangleShape(const QColor &colour, QWidget *parent)
    : QWidget(parent), colour_(colour) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void RectangleShape::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setPen(colour_);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
