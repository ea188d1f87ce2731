#pragma once

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

// Controls, menus and items carry their names as object names, so that tests find them.
template<typename Widget>
Widget *named(Widget *widget, const char *name, QWidget *parent)
{
    widget->setObjectName(QLatin1String(name));
    widget->setParent(parent);
    return widget;
}

inline QLabel *namedLabel(const char *name, const QString &caption, QWidget *parent)
{
    return named(new QLabel(caption), name, parent);
}

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
