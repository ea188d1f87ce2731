#include "export/CsvLog.h"

#include "support/StoredRows.h"

#include <QBuffer>
#include <gtest/gtest.h>

TEST(CsvLog, WritesTheCellsTheTimeOfDayAndTheDetailsQuotedWhereNeeded)
{
    CaptureStore rows;
    store(rows,
        {{Origin::Received, {0x90, 0x3C, 0x40}, 12'000},
            {Origin::Received, {0xF0, 0x41, 0xF7}, 13'000}, {Origin::Sent, {0xC0, 0x05}}});
    // Each text needs quoting for another reason, the last one in UTF-8.
    const QString details[] = {"Note \"C4\", velocity 64", "two\r\nlines", "Pr\u00FCfung, 5"};
    const CsvLog::ExtraColumns extra {
        [](std::size_t row) { return QStringLiteral("10:00:0%1").arg(row); },
        [&](std::size_t row) { return details[row]; }};
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    ASSERT_TRUE(CsvLog::write(rows, extra, out));
    EXPECT_EQ(out.data(),
        "Timestamp,Status,Data 1,Data 2,Channel,Event,SysEx Data,Time of Day,Details\r\n"
        "12,90,3C,40,1,NOTE ON,,10:00:00,\"Note \"\"C4\"\", velocity 64\"\r\n"
        "13,F0,,,,SYSTEM EXCLUSIVE,F0 41 F7 ,10:00:01,\"two\r\nlines\"\r\n"
        "SENT,C0,05,,,,,10:00:02,\"Pr\xC3\xBC"
        "fung, 5\"\r\n");
}
