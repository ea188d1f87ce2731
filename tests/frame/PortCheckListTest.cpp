#include "frame/PortCheckList.h"

#include <QListWidget>
#include <gtest/gtest.h>
#include <memory>

// A chosen port that is gone stays offered and checked, so that OK never drops it; what the
// user ticks comes back in the order offered.
TEST(PortCheckList, KeepsAChosenPortThatIsGoneAndGivesBackWhatIsTicked)
{
    const PortCheckList list("lstPorts", {"a:in", "b:in", "c:in"}, {"gone:in", "b:in"});
    const std::unique_ptr<QListWidget> owner(list.widget());
    ASSERT_EQ(list.widget()->count(), 4);
    EXPECT_EQ(list.widget()->item(3)->text(), "gone:in");
    EXPECT_EQ(list.checked(), QStringList({"b:in", "gone:in"}));

    list.widget()->item(0)->setCheckState(Qt::Checked);
    list.widget()->item(1)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(list.checked(), QStringList({"a:in", "gone:in"}));
    EXPECT_TRUE(list.isChecked("a:in"));
    EXPECT_FALSE(list.isChecked("never listed"));
}
