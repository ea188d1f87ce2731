#include "grid/DroppedOldestStatus.h"

#include "capture/CaptureDocument.h"
#include "frame/NumberText.h"

#include <QLabel>
#include <QStatusBar>
#include <functional>
#include <gtest/gtest.h>

// Counted until Clear All, back (and more dropped) with its undo.
TEST(DroppedOldestStatus, CountsUntilClearAllAndComesBackWithItsUndo)
{
    constexpr std::size_t Chunk = CaptureStore::ChunkRows;
    CaptureDocument document;
    QStatusBar bar;
    DroppedOldestStatus status(bar, document);
    auto *label = bar.findChild<QLabel *>(QStringLiteral("lblDroppedOldest"));
    const auto fill = [&](std::size_t chunks) {
        for (std::size_t i = 0; i < chunks * Chunk; ++i)
            document.store().append(Origin::Received, 0, 0, std::vector<std::uint8_t> {0xF8});
        document.rowsStored();
    };
    fill(2);
    const CaptureLimit oneChunk {Chunk, 0};
    const std::pair<std::function<void()>, std::uint64_t> steps[] = {
        {[&] { document.setLimit(oneChunk); }, Chunk},
        {[&] { fill(1); }, 2 * Chunk},
        {[&] { document.clear(), fill(1); }, 0},
        {[&] { document.undoClear(); }, 3 * Chunk},
    };
    for (const auto &[act, count] : steps) {
        act();
        EXPECT_EQ(label->isVisibleTo(&bar), count > 0) << count;
        EXPECT_EQ(label->text(), "dropped oldest: " + groupedNumber(qint64(count)));
    }
}
