#include "FilterMenu.h"

#include <QMenu>

using modFilter::FilterItem;

namespace {

QMenu *addSubmenu(QMenu *parent, const char *name, const QString &title)
{
    QMenu *menu = parent->addMenu(title);
    menu->setObjectName(QLatin1String(name));
    return menu;
}

} // namespace

FilterMenu::FilterMenu(QMenu *menu)
    : QObject(menu)
{
    QMenu *channels = addSubmenu(menu, "mnuChannels", QStringLiteral("Channels"));
    QMenu *events = addSubmenu(menu, "mnuEvents", QStringLiteral("Events"));
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        const auto &info = modFilter::itemInfo(FilterItem(i));
        QMenu *parent = i < 16 ? channels : events;
        QAction *item = parent->addAction(QString::fromLatin1(info.caption));
        item->setObjectName(QLatin1String(info.objectName));
        item->setCheckable(true);
        // A checkable action toggles its own check mark before it triggers.
        connect(item, &QAction::triggered, this, &FilterMenu::changed);
        m_items[i] = item;
    }
    QAction *clear = menu->addAction(QStringLiteral("Clear All Filters"));
    clear->setObjectName(QStringLiteral("mnuClearFilter"));
    connect(clear, &QAction::triggered, this, &FilterMenu::mnuClearFilter_Click);
}

modFilter::FilterChecks FilterMenu::checks() const
{
    modFilter::FilterChecks checks;
    for (std::size_t i = 0; i < m_items.size(); ++i)
        checks.set(i, m_items[i]->isChecked());
    return checks;
}

void FilterMenu::setChecks(const modFilter::FilterChecks &checks)
{
    for (std::size_t i = 0; i < m_items.size(); ++i)
        m_items[i]->setChecked(checks.test(i));
}

bool FilterMenu::isChecked(FilterItem item) const
{
    return m_items[std::size_t(item)]->isChecked();
}

void FilterMenu::setChecked(FilterItem item, bool checked)
{
    m_items[std::size_t(item)]->setChecked(checked);
}

void FilterMenu::mnuClearFilter_Click()
{
    setChecks({});
    emit changed();
}
