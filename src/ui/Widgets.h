#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QWidget>

#include <vector>

// A captioned frame: the background fills the whole frame, an etched line runs round it through
// the middle of the caption, and the caption sits on that line near the left.
class FrameBox : public QGroupBox {
    Q_OBJECT
public:
    FrameBox(const QString &caption, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// The smallest size a caption is ever drawn at.
inline constexpr double kSmallestCaptionPoints = 6.75;

// `specified`, or the largest size below it in quarter points (not under 6.75 pt) at which `text`
// fits `width` pixels.
QFont fittedFont(const QFont &specified, const QString &text, int width);

// A label that may carry a thin black single-line border; its background fills the whole box.
// A caption wider than its box at the label's font is drawn just small enough to fit, so it is
// shown whole whatever the system's fonts measure; the box keeps its size.
class BoxLabel : public QLabel {
    Q_OBJECT
public:
    BoxLabel(bool bordered, QWidget *parent);

    // The font the caption is drawn at when it fits.
    void setSpecifiedFont(const QFont &font);
    QFont specifiedFont() const { return specified_; }
    void setCaption(const QString &text);
    // The width a caption may take: inside the border, if there is one.
    int captionWidth() const;
    // Lines received from the controller are shown at their font, cut at the box's edge.
    void setFitsCaption(bool fits) { fitsCaption_ = fits; }
    bool bordered() const { return bordered_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void fitCaption();
    void paintFocusFrame();
    bool surelyFits(const QString &caption) const;

    bool bordered_;
    bool fitsCaption_ = true;
    QFont specified_;
    // The advances of the printable ASCII characters at the specified font, measured when first
    // needed.
    mutable std::vector<qreal> asciiAdvances_;
};

// A straight line between two points given in twips within the parent, one pixel wide.
class LineShape : public QWidget {
    Q_OBJECT
public:
    LineShape(int x1, int y1, int x2, int y2, const QColor &colour, double dpi, QWidget *parent);

    int y1() const { return y1_; }
    int y2() const { return y2_; }
    // Moves both end points to the vertical coordinate `twips` (horizontal lines only move so).
    void setVertical(int twips);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void place();

    int x1_, y1_, x2_, y2_;
    QColor colour_;
    double dpi_;
};

// An unfilled rectangle outline.
class RectangleShape : public QWidget {
    Q_OBJECT
public:
    RectangleShape(const QColor &colour, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor colour_;
};
