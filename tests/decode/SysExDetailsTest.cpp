#include "decode/SysExDetails.h"

#include "decode/DetailWords.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

QString describe(std::span<const std::uint8_t> bytes, std::size_t byteCount)
{
    DetailWords words;
    SysExDetails::describe(words, bytes, byteCount);
    return words.take();
}

} // namespace

// The grid reads only the first bytes of a long dump: whatever its start holds, the words
// say the whole size and never judge an end they did not see, and the words of the header
// stay those of the whole message once the start holds the header.
TEST(SysExDetails, TheStartOfADumpIsReadAsTheDumpWithoutJudgingItsEnd)
{
    const std::vector<std::vector<std::uint8_t>> dumps = {
        {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7},
        {0xF0, 0x00, 0x20, 0x29, 0x02, 0x0C, 0x0E, 0x01, 0xF7}, // a three-byte ID
        {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}, {0xF0, 0x7F, 0x7F, 0x04, 0x01, 0x00, 0x7F, 0xF7},
        {0xF0, 0x43, 0x10, 0x90, 0x00}, // a stray status byte, and no end
    };
    for (const std::vector<std::uint8_t> &dump : dumps) {
        const QString whole = describe(dump, dump.size());
        const QString size = QStringLiteral(", %1 bytes").arg(dump.size());
        const QString header = whole.left(whole.indexOf(size));
        for (std::size_t shown = 1; shown < dump.size(); ++shown) {
            const QString start = describe(std::span(dump).first(shown), dump.size());
            EXPECT_TRUE(start.endsWith(size)) << start.toStdString();
            if (shown == dump.size() - 1) {
                EXPECT_EQ(start, header + size) << "all but the end: " << start.toStdString();
            }
        }
    }
    EXPECT_TRUE(describe(dumps[4], dumps[4].size()).contains("stray status byte 90"));
    EXPECT_TRUE(describe(dumps[4], dumps[4].size()).endsWith("cut short (no F7 at the end)"));
}
