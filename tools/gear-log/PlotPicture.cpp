#include "PlotPicture.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <cmath>

using namespace plotlayout;

namespace {

QColor colourOf(BgrColour c) {
    return QColor(Colour::red(c), Colour::green(c), Colour::blue(c));
}

// Light enough that the traces read through them, in print as on screen.
QColor shadeColour(Shade::Kind kind) {
    switch (kind) {
    case Shade::Kind::Stale:
        return QColor(0xff, 0xe9, 0x9a);
    case Shade::Kind::Failed:
        return QColor(0xff, 0xbc, 0xbc);
    case Shade::Kind::PortClosed:
        break;
    }
    return QColor(0xd4, 0xd4, 0xd4);
}

const QColor kInk(0x20, 0x20, 0x20);
const QColor kGrid(0xe4, 0xe4, 0xe4);
const QColor kSwingInk(0x1a, 0x3c, 0x8c);

// "12.500" as "12.5", "12.000" as "12".
QString secondsLabel(std::int64_t ms) {
    QString text = secondsText(ms);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

// A 1, 2 or 5 times a power of ten milliseconds that puts the axis' labels at least `apart`
// pixels apart.
std::int64_t tickStep(const PlotRange &range, int apart) {
    const long double span = static_cast<long double>(range.toMs - range.fromMs);
    for (std::int64_t power = 1;; power *= 10) {
        for (const int factor : {1, 2, 5})
            if (power <= INT64_MAX / factor &&
                static_cast<long double>(power) * factor * range.width / span >= apart)
                return power * factor;
        if (power > INT64_MAX / 10)
            break;
    }
    return INT64_MAX;
}

void paintAxis(QPainter &p, const PlotRange &range, int rows) {
    const int bottom = rowTop(rows);
    // The last time's label is as long as any: far enough apart that no two labels meet.
    const int apart =
        std::max(110, p.fontMetrics().horizontalAdvance(secondsLabel(range.toMs)) + 40);
    const std::int64_t step = tickStep(range, apart);
    std::int64_t tick = range.fromMs / step * step;
    if (tick < range.fromMs)
        tick += step;
    p.setPen(kInk);
    p.drawLine(kTraceLeft, bottom, kTraceLeft + kTraceWidth, bottom);
    p.drawText(QRect(kMargin, bottom + 8, kLabelWidth - 10, kTextPixels + 8),
               Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("time in seconds"));
    for (; tick <= range.toMs; tick += step) {
        const int x = kTraceLeft + int(std::lround(range.column(tick)));
        p.setPen(kGrid);
        p.drawLine(x, kRowsTop, x, bottom - 1);
        p.setPen(kInk);
        p.drawLine(x, bottom, x, bottom + 6);
        // Centred under its tick, but within the picture: the last label may be long.
        const QString label = secondsLabel(tick);
        const int width = p.fontMetrics().horizontalAdvance(label) + 4;
        QRect box(x - width / 2, bottom + 8, width, kTextPixels + 8);
        if (box.right() > kWidth - 2)
            box.moveRight(kWidth - 2);
        p.drawText(box, Qt::AlignCenter, label);
        if (tick > INT64_MAX - step)
            break;
    }
}

void paintRow(QPainter &p, const TraceRow &row, int index) {
    const int top = rowTop(index);
    QFont bold = p.font();
    bold.setBold(true);
    const QFontMetrics boldMetrics(bold);
    const QRect label(kMargin, top, kLabelWidth - 12, kRowHeight);
    p.setPen(kInk);
    p.setFont(bold);
    p.drawText(label, Qt::AlignLeft | Qt::AlignVCenter, row.address);
    const int meaningLeft = kMargin + boldMetrics.horizontalAdvance(QStringLiteral("X100 "));
    QFont plain = bold;
    plain.setBold(false);
    p.setFont(plain);
    const QString meaning =
        QFontMetrics(plain).elidedText(row.meaning, Qt::ElideRight, label.right() - meaningLeft);
    p.drawText(QRect(meaningLeft, top, label.right() - meaningLeft, kRowHeight),
               Qt::AlignLeft | Qt::AlignVCenter, meaning);
    p.fillRect(kTraceLeft, top + kRowHeight - 1, kTraceWidth, 1, kGrid);
    const QColor on = colourOf(row.colours.on);
    const QColor off = colourOf(row.colours.off);
    for (const PixelRun &run : row.runs) {
        const int x = kTraceLeft + run.from;
        const int w = run.to - run.from;
        if (run.level == Level::Off) {
            p.fillRect(x, top + kLowTop, w, kBandBottom - kLowTop, off);
            continue;
        }
        p.fillRect(x, top + kHighTop, w, kBandBottom - kHighTop, on);
        // An edge in ink, so that a light colour (yellow) still reads on white paper.
        p.fillRect(x, top + kHighTop, w, 1, kInk);
    }
}

// Each mark a bracket over the rows, its text above when it fits before the next mark.
void paintSwings(QPainter &p, const std::vector<SwingMark> &marks, int rows) {
    const int line = kRowsTop - 12;
    const QFontMetrics metrics(p.font());
    for (std::size_t i = 0; i < marks.size(); ++i) {
        const SwingMark &mark = marks[i];
        const int left = kTraceLeft + mark.from;
        const int right = kTraceLeft + mark.to - 1;
        p.setPen(kSwingInk);
        p.drawLine(left, line, right, line);
        p.drawLine(left, line - 6, left, line + 6);
        p.drawLine(right, line - 6, right, line + 6);
        p.setPen(QPen(kSwingInk, 1, Qt::DotLine));
        p.drawLine(left, kRowsTop, left, rowTop(rows) - 1);
        p.drawLine(right, kRowsTop, right, rowTop(rows) - 1);
        const int room =
            (i + 1 < marks.size() ? kTraceLeft + marks[i + 1].from : kWidth - kMargin) - left - 8;
        if (metrics.horizontalAdvance(mark.text) <= room) {
            p.setPen(kSwingInk);
            p.drawText(QRect(left, line - 10 - kTextPixels - 6, room, kTextPixels + 6),
                       Qt::AlignLeft | Qt::AlignVCenter, mark.text);
        }
    }
}

void paintLegend(QPainter &p) {
    const QFontMetrics metrics(p.font());
    int x = kWidth - kMargin;
    for (const auto &[kind, words] :
         {std::pair{Shade::Kind::PortClosed, QStringLiteral("port closed")},
          std::pair{Shade::Kind::Failed, QStringLiteral("link failed")},
          std::pair{Shade::Kind::Stale, QStringLiteral("link stale")}}) {
        x -= metrics.horizontalAdvance(words);
        p.setPen(kInk);
        p.drawText(QRect(x, 8, metrics.horizontalAdvance(words) + 2, kTextPixels + 8),
                   Qt::AlignLeft | Qt::AlignVCenter, words);
        x -= 28;
        p.fillRect(x, 12, 22, kTextPixels, shadeColour(kind));
        x -= 24;
    }
}

void paintPlot(QPainter &p, const Plot &plot, const QString &title) {
    const int rows = int(plot.rows.size());
    p.fillRect(0, 0, kWidth, height(rows), Qt::white);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(kTextPixels);
    p.setFont(font);
    p.setPen(kInk);
    p.drawText(QRect(kMargin, 8, kWidth / 2, kTextPixels + 8), Qt::AlignLeft | Qt::AlignVCenter,
               QFontMetrics(font).elidedText(title, Qt::ElideMiddle, kWidth / 2));
    paintLegend(p);
    for (const Shade &shade : plot.shades)
        p.fillRect(kTraceLeft + shade.from, kRowsTop, shade.to - shade.from, rows * kRowHeight,
                   shadeColour(shade.kind));
    paintAxis(p, plot.range, rows);
    for (int i = 0; i < rows; ++i)
        paintRow(p, plot.rows[std::size_t(i)], i);
    paintSwings(p, plot.swings, rows);
}

// The picture's bytes, made in memory: a few megabytes at most, whatever the recording.
QByteArray pictureBytes(const Plot &plot, const QString &title, bool svg) {
    const int pictureHeight = height(int(plot.rows.size()));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (svg) {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(QSize(kWidth, pictureHeight));
        generator.setViewBox(QRect(0, 0, kWidth, pictureHeight));
        generator.setResolution(kDotsPerInch);
        // The generator writes its title as it is given: a recording's name may hold markup.
        generator.setTitle(title.toHtmlEscaped());
        generator.setDescription(QLatin1String(kPlotMark));
        QPainter painter(&generator);
        paintPlot(painter, plot, title);
        painter.end();
        return buffer.data();
    }
    QImage image(kWidth, pictureHeight, QImage::Format_RGB32);
    const int dotsPerMetre = int(std::lround(kDotsPerInch / 0.0254));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    image.setText(QStringLiteral("Software"), QLatin1String(kPlotMark));
    image.setText(QStringLiteral("Title"), title);
    QPainter painter(&image);
    paintPlot(painter, plot, title);
    painter.end();
    QImageWriter writer(&buffer, "png");
    return writer.write(image) ? buffer.data() : QByteArray();
}

} // namespace

QString writePlotPicture(const Plot &plot, const QString &title, const QString &path) {
    const QByteArray bytes =
        pictureBytes(plot, title, path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive));
    if (bytes.isEmpty())
        return QStringLiteral("the picture could not be drawn");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // A full disk can take part of a write without an error: the count is what tells.
    if (file.write(bytes) != bytes.size() || !file.flush() ||
        file.error() != QFileDevice::NoError) {
        const QString why = file.errorString();
        file.cancelWriting();
        return why.isEmpty() ? QStringLiteral("the disk took only part of it") : why;
    }
    return file.commit() ? QString() : file.errorString();
}
