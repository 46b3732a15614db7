#include "ui/PlainToolTips.h"

#include <QAction>
#include <QHelpEvent>
#include <QMenu>
#include <QTextDocument>
#include <QToolTip>

bool PlainToolTips::eventFilter(QObject *watched, QEvent *event) {
    auto *menu = qobject_cast<QMenu *>(watched);
    if (!menu || event->type() != QEvent::ToolTip || !menu->toolTipsVisible())
        return false;
    const auto *help = static_cast<QHelpEvent *>(event);
    const QAction *item = menu->actionAt(help->pos());
    if (!item || item->toolTip().isEmpty())
        return false;
    // Escaped and wrapped in a paragraph that keeps spaces as they are: always rich text, so the
    // text inside is never read as markup, and "&amp;" is never shown for "&".
    QToolTip::showText(help->globalPos(),
                       Qt::convertFromPlainText(item->toolTip(), Qt::WhiteSpacePre), menu);
    return true;
}
