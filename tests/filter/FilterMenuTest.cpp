#include "filter/FilterMenu.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <functional>
#include <gtest/gtest.h>

namespace {

QAction *itemOf(const QMenu &menu, const QString &name)
{
    for (QAction *item : menu.actions())
        if (item->data().toString() == name)
            return item;
    return nullptr;
}

} // namespace

// Soloing keeps every source out but one, whether picked in Sources > Solo or asked for (an
// Alt+click on a Source cell); lifting it brings back what was hidden by hand.
TEST(FilterMenu, ASoloKeepsEveryOtherSourceOutUntilItIsLifted)
{
    QMenu filter;
    FilterMenu menu(&filter);
    QSignalSpy changed(&menu, &FilterMenu::changed);
    menu.setSources({"A", "B", "C"});
    QMenu *sources = filter.findChild<QMenu *>("mnuSources");
    QMenu *solo = filter.findChild<QMenu *>("mnuSolo");
    ASSERT_TRUE(sources && solo);
    itemOf(*sources, "C")->trigger(); // hidden by hand
    EXPECT_EQ(menu.hiddenSources(), QStringList {"C"});
    const QStringList four {"A", "B", "C", "D"};

    const struct
    {
        const char *step;
        std::function<void()> act;
        QString soloed;
        QStringList hidden;
        int changes = 1;
    } steps[] = {
        {"solo A from the menu", [&] { itemOf(*solo, "A")->trigger(); }, "A", {"B", "C"}},
        {"solo B asked for", [&] { menu.solo("B"); }, "B", {"A", "C"}}, // one solo at a time
        {"a name not offered", [&] { menu.solo("Z"); }, "B", {"A", "C"}, 0},
        // the window applies the sources it sets itself
        {"a source comes", [&] { menu.setSources(four); }, "B", {"A", "C", "D"}, 0},
        {"lifted", [&] { itemOf(*solo, "B")->trigger(); }, "", {"C"}},
        {"solo again", [&] { menu.solo("D"); }, "D", {"A", "B", "C"}},
        {"Clear All Filters", [&] { menu.mnuClearFilter_Click(); }, "", {}},
    };
    for (const auto &s : steps) {
        changed.clear();
        s.act();
        EXPECT_EQ(menu.soloedSource(), s.soloed) << s.step;
        EXPECT_EQ(menu.hiddenSources(), s.hidden) << s.step;
        EXPECT_EQ(changed.count(), s.changes) << s.step;
    }
    EXPECT_EQ(sources->actions().last(), solo->menuAction()) << "Solo stays last";
}
