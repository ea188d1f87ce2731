#pragma once

#include <QAction>
#include <QMenu>
#include <QMenuBar>

// Menus and items carry their names as object names, so that tests find them.
inline QMenu *addNamedMenu(QMenuBar *bar, const char *name, const QString &title)
{
    QMenu *menu = bar->addMenu(title);
    menu->setObjectName(QLatin1String(name));
    return menu;
}

inline QMenu *addNamedMenu(QMenu *parent, const char *name, const QString &title)
{
    QMenu *menu = parent->addMenu(title);
    menu->setObjectName(QLatin1String(name));
    return menu;
}

inline QAction *addNamedItem(QMenu *menu, const char *name, const QString &caption)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}
