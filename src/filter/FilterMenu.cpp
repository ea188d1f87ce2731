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
    m_soloMenu = addNamedMenu(m_sources, "mnuSolo", QStringLiteral("Solo"));
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
    const QStringList hidden = checkedNames(m_hideItems);
    const QString soloed = soloedSource();
    qDeleteAll(std::exchange(m_hideItems, {}));
    qDeleteAll(std::exchange(m_soloItems, {}));
    for (const QString &name : names) {
        m_hideItems << addSourceItem(m_sources, name, hidden.contains(name));
        m_soloItems << addSourceItem(m_soloMenu, name, !soloed.isEmpty() && name == soloed);
    }
    // The Solo submenu stays after the sources to hide.
    m_sources->removeAction(m_soloMenu->menuAction());
    m_sources->addAction(m_soloMenu->menuAction());
    for (QAction *item : std::as_const(m_soloItems))
        connect(item, &QAction::toggled, this, [this, item](bool checked) {
            if (checked)
                uncheckOtherSolos(item);
        });
}

QAction *FilterMenu::addSourceItem(QMenu *menu, const QString &name, bool checked)
{
    QAction *item = menu->addAction(QString(name).replace(u'&', QStringLiteral("&&")));
    item->setData(name);
    item->setCheckable(true);
    item->setChecked(checked);
    connect(item, &QAction::triggered, this, &FilterMenu::changed);
    return item;
}

void FilterMenu::uncheckOtherSolos(const QAction *soloed)
{
    for (QAction *item : std::as_const(m_soloItems))
        if (item != soloed)
            item->setChecked(false);
}

QStringList FilterMenu::checkedNames(const QList<QAction *> &items)
{
    QStringList names;
    for (const QAction *item : items)
        if (item->isChecked())
            names << item->data().toString();
    return names;
}

QStringList FilterMenu::hiddenSources() const
{
    const QString soloed = soloedSource();
    if (soloed.isEmpty())
        return checkedNames(m_hideItems);
    QStringList others;
    for (const QAction *item : m_hideItems)
        if (item->data().toString() != soloed)
            others << item->data().toString();
    return others;
}

void FilterMenu::solo(const QString &name)
{
    for (QAction *item : std::as_const(m_soloItems)) {
        if (item->data().toString() == name) {
            item->setChecked(true);
            emit changed();
            return;
        }
    }
}

QString FilterMenu::soloedSource() const
{
    return checkedNames(m_soloItems).value(0);
}

void FilterMenu::mnuClearFilter_Click()
{
    setChecks({});
    for (QAction *item : m_hideItems + m_soloItems)
        item->setChecked(false);
    emit changed();
}
