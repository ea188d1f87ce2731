#include "FilterMenu.h"

#include "frame/NamedWidgets.h"
#include "frame/TogglesKeepMenuOpen.h"

#include <QMenu>

using modFilter::FilterItem;

FilterMenu::FilterMenu(QMenu *menu)
    : QObject(menu)
{
    // The filter keeps messages out at the input: what is checked is never in the capture.
    addNamedItem(menu, "mnuFilterNote", QStringLiteral("Checked items are not captured"))
        ->setEnabled(false);
    menu->addSeparator();
    QMenu *channels = addNamedMenu(menu, "mnuChannels", QStringLiteral("Channels"));
    QMenu *events = addNamedMenu(menu, "mnuEvents", QStringLiteral("Events"));
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        const auto &info = modFilter::itemInfo(FilterItem(i));
        QMenu *parent = i < 16 ? channels : events;
        QAction *item = addNamedItem(parent, info.objectName, QString::fromLatin1(info.caption));
        item->setCheckable(true);
        // A checkable action toggles its own check mark before it triggers.
        connect(item, &QAction::triggered, this, &FilterMenu::changed);
        m_items[i] = item;
    }
    m_sources = addNamedMenu(menu, "mnuSources", QStringLiteral("Sources"));
    for (QMenu *list : {channels, events, m_sources})
        new TogglesKeepMenuOpen(list);
    QAction *clear = addNamedItem(menu, "mnuClearFilter", QStringLiteral("Clear All Filters"));
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

void FilterMenu::setSources(const QStringList &names)
{
    const QStringList hidden = hiddenSources();
    m_sources->clear();
    for (const QString &name : names) {
        QAction *item = m_sources->addAction(QString(name).replace(u'&', QStringLiteral("&&")));
        item->setData(name);
        item->setCheckable(true);
        item->setChecked(hidden.contains(name));
        connect(item, &QAction::triggered, this, &FilterMenu::changed);
    }
}

QStringList FilterMenu::hiddenSources() const
{
    QStringList hidden;
    for (const QAction *item : m_sources->actions())
        if (item->isChecked())
            hidden << item->data().toString();
    return hidden;
}

void FilterMenu::mnuClearFilter_Click()
{
    setChecks({});
    for (QAction *item : m_sources->actions())
        item->setChecked(false);
    emit changed();
}
