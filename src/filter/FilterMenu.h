#pragma once

#include "modFilter.h"

#include <QObject>
#include <QStringList>
#include <array>

class QAction;
class QMenu;

// The Filter menu's items: 16 channels, 11 kinds of message, the watched inputs by name,
// and "Clear All Filters". Every click on an item toggles its check mark and reports a
// change.
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

    // The inputs the Sources submenu offers; a source that stays keeps its check mark.
    void setSources(const QStringList &names);
    // The sources whose traffic is kept out.
    QStringList hiddenSources() const;

    // Unchecks every item; the saved settings are not touched.
    void mnuClearFilter_Click();

signals:
    void changed();

private:
    std::array<QAction *, modFilter::FilterItemCount> m_items {};
    QMenu *m_sources;
};
