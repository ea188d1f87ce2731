#include "capture/CaptureDocument.h"
#include "support/StoredRows.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

constexpr std::size_t Chunk = CaptureStore::ChunkRows, All = Chunk * 7 / 2;

// Rows 10 ms apart (143 s in all, a chunk 41 s) of ports a and b: a dump every 1,000th, a
// sent row every 7th, port b restarted in the first and the third chunk, a mark every 2,500th.
CaptureStore mixedRows()
{
    CaptureStore rows;
    rows.sourceNamed("a"), rows.sourceNamed("b");
    const QByteArray dump = "\xF0" + QByteArray(5'000, '\x22') + "\xF7", note = "\x90\x3C\x40";
    for (std::size_t i = 0; i < All; ++i) {
        const std::int64_t stamp = std::int64_t(i) * 10'000;
        if (i == 100 || i == 2 * Chunk + 5)
            rows.startPort(1, stamp - 300);
        rows.append(i % 7 ? Origin::Received : Origin::Sent, CaptureStore::Source(i % 2), stamp,
            i % 1'000 == 999 ? dump : note);
        if (i % 2'500 == 0)
            rows.marks().set(i, QString::number(i));
    }
    return rows;
}

} // namespace

// The stricter limit holds to within a chunk, not while held; every kept row reads as it did,
// its mark and a number taken before name it still, and the memory of those dropped is freed.
TEST(CaptureLimit, TheDocumentDropsTheOldestChunksPastItsLimitInRowsOrMinutes)
{
    const std::pair<CaptureLimit, std::size_t> limitAndDropped[] = {
        {{0, 0}, 0}, // none
        {{Chunk + 1, 0}, 2 * Chunk}, // at least the limit is kept
        {{0, 1}, 2 * Chunk}, // the chunks that reach into the last minute stay
        {{2 * Chunk + 1, 2}, Chunk},
    };
    for (const auto &[limit, dropped] : limitAndDropped) {
        CaptureDocument document;
        QSignalSpy said(&document, &CaptureDocument::oldestDropped);
        document.store() = mixedRows();
        const std::vector<std::string> expected = rowLines(document.rows(), dropped);
        const std::size_t bytes = document.rows().bytesHeld();
        const CaptureDocument::LastingRow last = document.lasting(All - 1);
        document.hold(true);
        document.setLimit(limit);
        EXPECT_EQ(document.rows().size(), All) << "held";
        document.hold(false);
        document.rowsStored();
        EXPECT_EQ(rowLines(document.rows()), expected) << dropped;
        EXPECT_EQ(document.rows().marks().size(), 6 - (dropped + 2'499) / 2'500);
        EXPECT_EQ(document.rows().marks().noteAt(10'000 - dropped), "10000");
        EXPECT_LE(document.rows().bytesHeld() + dropped / Chunk * (Chunk * 12 + 20'000), bytes);
        EXPECT_EQ(said.count(), dropped ? 1 : 0);
        EXPECT_EQ(document.rowNow(last), All - 1 - dropped);
    }
}
