#include "capture/InputFeeds.h"

#include "capture/CaptureDocument.h"
#include "support/LoopbackPorts.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

// A file shown in place of the rows replaces the store under the feeds: the input's traffic
// goes on as a source named in the new rows, counted from its own port start, and the count
// of what it brought runs on.
TEST(InputFeeds, AnInputGoesOnUnderItsNameInTheRowsThatReplacedItsOwn)
{
    LoopbackPorts loop;
    CaptureDocument document;
    InputFeeds feeds(document.store());
    const QString name = loop.input.chosenDeviceName();
    feeds.portStarted(loop.input, name);
    const auto sendAndDrain = [&](std::uint8_t key) {
        sendMessage(loop.output, {0x90, key, 0x40});
        QCoreApplication::processEvents();
        feeds.drain(false, {std::chrono::hours(1), 1});
    };
    sendAndDrain(0x3C);

    CaptureStore file;
    file.sourceNamed(QStringLiteral("from the file"));
    file.append(Origin::Received, 0, 0, std::vector<std::uint8_t> {0xF8});
    document.showCapture(std::move(file), 0);
    feeds.storeReplaced();
    sendAndDrain(0x3D);

    const CaptureStore &rows = document.rows();
    ASSERT_EQ(rows.size(), 3u) << "the file's row, the live row kept after it, and the new one";
    const CapturedMessage live = rows.at(2);
    EXPECT_EQ(rows.sourceName(live.source), name);
    EXPECT_NE(live.source, rows.at(0).source) << "not the file's source";
    EXPECT_EQ(live.bytes[1], 0x3D);
    EXPECT_LT(*rows.portUs(2), 60'000'000) << "counted from the port's start, not the file's";
    ASSERT_EQ(feeds.sourceCounts().size(), 1u);
    EXPECT_EQ(feeds.sourceCounts()[0].received, 2u);

    feeds.forget(loop.input);
    EXPECT_TRUE(feeds.sourceCounts().empty());
    sendAndDrain(0x3E);
    EXPECT_EQ(rows.size(), 3u) << "a forgotten input's traffic is not taken";
}
