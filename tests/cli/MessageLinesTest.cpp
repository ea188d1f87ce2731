#include "cli/MessageLines.h"

#include "support/StoredRows.h"

#include <QBuffer>
#include <gtest/gtest.h>

// Columns stay put whatever the source, the kind or the size of the message.
TEST(MessageLines, OneMessageALineInColumns)
{
    CaptureStore rows;
    ASSERT_EQ(rows.sourceNamed("JACK: synth:out"), 0);
    ASSERT_EQ(rows.sourceNamed("Pads"), 1);
    store(rows,
        {
            {Origin::Received, {0x90, 0x3C, 0x7F}, 1'520, 0},
            {Origin::Received, {0xB1, 0x07, 0x64}, 2'000'000, 1},
            {Origin::Received, {0xF8}, 12'345'678, 0},
            {Origin::Received, {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}, 12'400'000, 1},
            {Origin::Received, {0xF0, 0x7D, 1, 2, 3, 4, 5, 6, 7, 8, 0xF7}, 13'000'000, 1},
        });
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    MessageLines lines(MessageDetails::MiddleC::C4);
    ASSERT_TRUE(lines.writeRows(rows, 0, out));
    EXPECT_EQ(out.data().toStdString(),
        "   0.001520  JACK: synth:out  90 3C 7F  NOTE ON              1  C4 velocity 127\n"
        "   2.000000  Pads             B1 07 64  CONTROL CHANGE       2  CC 7 Volume: 100\n"
        "  12.345678  JACK: synth:out  F8        SYSTEM REAL TIME        Timing Clock\n"
        "  12.400000  Pads             F0 7E 7F 06 01 F7  SYSTEM EXCLUSIVE        Universal "
        "Non-Real-Time, all devices, Identity Request, 6 bytes\n"
        // A long dump shows its first bytes and its size; its columns move, and keep a gap.
        "  13.000000  Pads             F0 7D 01 02 03 04 05 06 \u2026 11 bytes  SYSTEM EXCLUSIVE "
        "       Manufacturer ID 7D (Non-commercial), 11 bytes\n");
}
