#include "export/CsvLog.h"

#include "monitor/RowStore.h"

#include <QBuffer>
#include <gtest/gtest.h>

TEST(CsvLog, WritesTheCellsAndTheColumnsAskedFor)
{
    RowStore rows;
    for (const char *row : {"12\t90\t3C\t40\t1\tNOTE ON\t",
             "13\tF0\t\t\t\tSYSTEM EXCLUSIVE\tF0 41 F7 ", "SENT\tC0\t05\t\t\t\t"})
        rows.append(row);
    const CsvLog::ColumnText timeOfDay
        = [](std::size_t row) { return QStringLiteral("10:00:0%1").arg(row); };
    // Each text needs quoting for another reason, the last one in UTF-8.
    const QString details[] = {"Note \"C4\", velocity 64", "two\r\nlines", "Pr\u00FCfung, 5"};
    const CsvLog::ColumnText detailsOf = [&](std::size_t row) { return details[row]; };

    const QByteArray cells = "12,90,3C,40,1,NOTE ON,\r\n"
                             "13,F0,,,,SYSTEM EXCLUSIVE,F0 41 F7 \r\n"
                             "SENT,C0,05,,,,\r\n";
    const QByteArray header = "Timestamp,Status,Data 1,Data 2,Channel,Event,SysEx Data";
    const std::pair<CsvLog::ExtraColumns, QByteArray> cases[] = {
        {{}, header + "\r\n" + cells}, // the seven cells alone
        {{timeOfDay, {}},
            header
                + ",Time of Day\r\n12,90,3C,40,1,NOTE ON,,10:00:00\r\n"
                  "13,F0,,,,SYSTEM EXCLUSIVE,F0 41 F7 ,10:00:01\r\nSENT,C0,05,,,,,10:00:02\r\n"},
        {{{}, detailsOf},
            header
                + ",Details\r\n12,90,3C,40,1,NOTE ON,,\"Note \"\"C4\"\", velocity 64\"\r\n"
                  "13,F0,,,,SYSTEM EXCLUSIVE,F0 41 F7 ,\"two\r\nlines\"\r\n"
                  "SENT,C0,05,,,,,\"Pr\xC3\xBC"
                  "fung, 5\"\r\n"},
    };
    for (const auto &[extra, csv] : cases) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        ASSERT_TRUE(CsvLog::write(rows, extra, out));
        EXPECT_EQ(out.data(), csv);
    }
}
