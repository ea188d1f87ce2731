#pragma once

#include "modFilter.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <array>

class QAction;
class QMenu;

// The Filter menu's items: 16 channels, 11 kinds of message, the watched inputs by name (each
// to hide or to solo), and "Clear All Filters". Every click on an item toggles its check mark
// and reports a change.
class FilterMenu : public QObject
{
    Q_OBJECT

public:
    // Fills `menu` (the "F&ilter" menu) with its submenus and items.
    explicit FilterMenu(QMenu *menu);

    modFilter::FilterChecks checks() const;
    void setChecks(const modFilter::FilterChecks &checks);
    bool isChecked(modFilter::FilterItem item) const;
    void setChecked(modFilter::FilterItem item, bool checked);

    // The inputs the Sources submenu offers, each to hide or to solo; a source that stays
    // keeps its check marks.
    void setSources(const QStringList &names);
    // The sources whose traffic is kept out: while one is soloed, every other.
    QStringList hiddenSources() const;
    // Only this source is captured until the solo is lifted (unchecked, or Clear All
    // Filters); hiding the others by hand comes back then. A name not offered is ignored.
    void solo(const QString &name);
    // Empty when no source is soloed.
    QString soloedSource() const;

    // Unchecks every item; the saved settings are not touched.
    void mnuClearFilter_Click();

signals:
    void changed();

private:
    QAction *addSourceItem(QMenu *menu, const QString &name, bool checked);
    void uncheckOtherSolos(const QAction *soloed);
    static QStringList checkedNames(const QList<QAction *> &items);

    std::array<QAction *, modFilter::FilterItemCount> m_items {};
    QMenu *m_sources;
    QList<QAction *> m_hideItems; // in m_sources, one a source
    QMenu *m_soloMenu; // the last item of m_sources
    QList<QAction *> m_soloItems; // in m_soloMenu, one a source; at most one checked
};
