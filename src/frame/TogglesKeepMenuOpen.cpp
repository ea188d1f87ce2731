#include "TogglesKeepMenuOpen.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

TogglesKeepMenuOpen::TogglesKeepMenuOpen(QMenu *menu)
    : QObject(menu)
{
    menu->installEventFilter(this);
}

bool TogglesKeepMenuOpen::eventFilter(QObject *watched, QEvent *event)
{
    auto *menu = static_cast<QMenu *>(watched);
    QAction *item = nullptr;
    if (event->type() == QEvent::MouseButtonRelease)
        item = menu->actionAt(static_cast<QMouseEvent *>(event)->position().toPoint());
    else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)
            item = menu->activeAction();
    }
    if (!item || !item->isCheckable() || !item->isEnabled())
        return false;
    item->trigger();
    return true;
}
