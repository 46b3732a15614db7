#pragma once

#include "mirror/PanelSnapshot.h"

#include <QFont>
#include <QPoint>
#include <QSize>

#include <optional>
#include <vector>

class Form1;
class QWidget;

// The panel as the window shows it now: every control of the control table, read from its
// widget, so a blinking COMM FAIL or a firmware arrangement that hides boxes comes along.
PanelSnapshot readPanel(const Form1 &window);

// Reads the panel again and again, as the mirror does twenty times a second: a control whose
// widget shows what it showed at the last reading keeps its view, so reading a window where
// little changed formats little.
class PanelReader {
public:
    explicit PanelReader(const Form1 &window);
    const PanelSnapshot &read();

private:
    struct Seen {
        QString text, tip;
        QFont font;
        qint64 palette = 0, background = 0;
        QPoint at;
        QSize size;
        bool visible = false;
        bool operator==(const Seen &) const = default;
        bool sameLook(const Seen &other) const {
            return font == other.font && palette == other.palette && background == other.background;
        }
    };
    static Seen see(const QWidget *w, const QWidget *client);
    static void takePlaceAndText(ControlView &view, const Seen &seen);

    const Form1 &window_;
    std::vector<std::optional<Seen>> seen_;
    PanelSnapshot panel_;
};
