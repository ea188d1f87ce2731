#include "frame/modFormSize.h"

#include "support/LoopbackWindow.h"

#include <QHeaderView>
#include <gtest/gtest.h>

namespace {

QRect placeOf(const modFormSize::Layout &layout, std::string_view name)
{
    for (const auto &placement : layout.controls)
        if (name == placement.objectName)
            return placement.twips;
    ADD_FAILURE() << "no control " << name;
    return {};
}

} // namespace

TEST(FormSize, NoGrowthOrShrinkingGivesTheDesignedLayout)
{
    for (auto [dW, dH] : {std::pair<std::int64_t, std::int64_t> {0, 0}, {-900, -300}, {-5, 0}}) {
        const modFormSize::Layout layout = modFormSize::layoutFor(dW, dH);
        ASSERT_EQ(layout.controls.size(), modFormSize::designedLayout().size());
        for (std::size_t i = 0; i < layout.controls.size(); ++i)
            EXPECT_EQ(layout.controls[i].twips, modFormSize::designedLayout()[i].twips)
                << layout.controls[i].objectName;
        EXPECT_EQ(layout.sysExColumnWidth, 4350);
    }
}

TEST(FormSize, GrowthGoesToTheGridAndMovesWhatIsBelowAndRight)
{
    const modFormSize::Layout layout = modFormSize::layoutFor(750, 1500);
    EXPECT_EQ(placeOf(layout, "btnSend").top(), 7260);
    EXPECT_EQ(placeOf(layout, "btnClear").left(), 12150);
    EXPECT_EQ(placeOf(layout, "grdMIDIIn").size(), QSize(13125, 4635));
    EXPECT_EQ(layout.sysExColumnWidth, 5100);
    EXPECT_EQ(placeOf(layout, "txtBoxSend"), QRect(120, 5700, 8535, 1215));
    EXPECT_EQ(placeOf(layout, "ComboMidiIn"), QRect(120, 360, 4215, 315));
    EXPECT_EQ(placeOf(layout, "lblGridInstructions").topLeft(), QPoint(9270, 5340));
}

TEST(FormSize, GrowthBeyondSixteenBitsStillLaysOut)
{
    const modFormSize::Layout layout = modFormSize::layoutFor(40000, 33000);
    EXPECT_EQ(placeOf(layout, "grdMIDIIn").size(), QSize(52375, 36135));
    EXPECT_EQ(placeOf(layout, "btnClear").topLeft(), QPoint(51400, 38760));
    EXPECT_EQ(layout.sysExColumnWidth, 44350);
}

TEST(FormSize, TwipsPerPixelFollowTheScreen)
{
    EXPECT_EQ(modFormSize::twipsPerPixel(96), 15);
    EXPECT_EQ(modFormSize::twipsPerPixel(192), 8); // 7.5 rounds up
    EXPECT_EQ(modFormSize::twipsPerPixel(144), 10);
    EXPECT_EQ(modFormSize::toPixels(QRect(120, 720, 12375, 3135), 15, 15), QRect(8, 48, 825, 209));
}

TEST(FormSize, TheWindowKeepsItsLoadSizeAsItsMinimumAndLaysOutWhenResized)
{
    LoopbackWindow w;
    const QSize atLoad = w.window->size();
    EXPECT_EQ(w.window->minimumSize(), atLoad);
    w.window->resize(atLoad / 2);
    EXPECT_EQ(w.window->size(), atLoad) << "cannot shrink below its size at load";

    // The offscreen screen is narrower than the window: only the height can grow here.
    const QSize screen = w.window->screen()->size();
    EXPECT_EQ(w.window->maximumSize(), screen.expandedTo(atLoad));
    w.window->resize(atLoad + QSize(50, 100));
    QCoreApplication::processEvents();
    const int twips = modFormSize::twipsPerPixel(w.window->screen()->logicalDotsPerInchX());
    const int grownWidth = w.window->width() - atLoad.width();
    EXPECT_EQ(w.grid()->width(), (12375 + grownWidth * twips) / twips);
    EXPECT_EQ(w.grid()->horizontalHeader()->sectionSize(6), (4350 + grownWidth * twips) / twips);
    EXPECT_EQ(w.grid()->height(), (3135 + 100 * twips) / twips);
    EXPECT_EQ(w.find<QWidget>("btnSend")->y(), (5760 + 100 * twips) / twips);
}
