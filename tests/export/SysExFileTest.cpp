#include "export/SysExFile.h"

#include "files/SysExFileFormat.h"
#include "support/Files.h"
#include "support/StoredRows.h"

#include <QBuffer>

namespace {

// Rows as the grid holds them: a received dump, a note, a sent dump, a dump cut short, a
// failed send.
void storeGridRows(CaptureStore &rows)
{
    store(rows,
        {{Origin::Received, {0xF0, 0x41, 0xF7}}, {Origin::Received, {0x90, 0x3C, 0x40}},
            {Origin::Sent, {0xF0, 0x01, 0xF7}}, {Origin::Received, {0xF0, 0x7E, 0x7F}},
            {Origin::SendFailed, {}}});
}

} // namespace

TEST(SysExFile, TakesReceivedDumpsUnlessRowsAreSelected)
{
    CaptureStore rows;
    storeGridRows(rows);
    const std::pair<std::vector<std::size_t>, std::vector<std::size_t>> cases[] = {
        {{}, {0, 3}}, // nothing selected: every received dump, no sent one
        {{1, 2, 3, 9}, {2, 3}}, // the selected dumps, sent ones too; 9 is past the end
        {{1, 4}, {}}, // no dump among the selected rows
    };
    for (const auto &[selected, chosen] : cases)
        EXPECT_EQ(SysExFile::rowsToSave(rows, selected), chosen);
    // The bytes are KnownTrafficTest's; the plural sentence is the window's test.
    EXPECT_EQ(SysExFile::savedSentence({1, 0}, "/d/a.syx"), "Saved 1 SysEx message to /d/a.syx");
}

TEST(SysExFileFormat, ReadsOnlyFilesOfCompleteMessages)
{
    struct Case
    {
        QByteArray file;
        std::vector<QByteArray> messages;
        QString reason;
    };
    const QString inside = ", inside the SysEx message that begins at byte %1, where only data "
                           "bytes (00 to 7F) may come before its F7.";
    const Case cases[] = {
        {bytes({0xF0, 0x01, 0xF7, 0xF0, 0xF7}), {bytes({0xF0, 0x01, 0xF7}), bytes({0xF0, 0xF7})},
            {}}, // back to back, an empty message too
        {{}, {}, "The file is empty."},
        {bytes({0xF0, 0x01, 0xF7, 0x90}), {},
            "Byte 3 is 90, where a SysEx message must begin with F0."},
        {bytes({0xF0, 0xF7, 0x00}), {}, "Byte 2 is 00, where a SysEx message must begin with F0."},
        {bytes({0xF0, 0x01, 0xF8, 0xF7}), {}, "Byte 2 is F8" + inside.arg(0)}, // no real-time
        {bytes({0xF0, 0xF7, 0xF0, 0xF0, 0xF7}), {}, "Byte 3 is F0" + inside.arg(2)},
        {bytes({0xF0, 0x01, 0xF7, 0xF0, 0x02}), {},
            "The file ends inside the SysEx message that begins at byte 3: its F7 is missing."},
    };
    for (const Case &c : cases) {
        const SysExFileFormat::ReadResult read = SysExFileFormat::parse(c.file);
        EXPECT_EQ(read.messages, c.messages) << c.file.toHex(' ').toStdString();
        EXPECT_EQ(read.reason, c.reason) << c.file.toHex(' ').toStdString();
    }
}

// A UMP SysEx7 complete in its packet is the SysEx it carries; one packet of several is not.
TEST(SysExFile, TakesAUmpSysEx7CompleteInOnePacket)
{
    CaptureStore rows;
    rows.appendUmp(Origin::Received, 0, 0, {{0x30037E7F, 0x09000000}, 2}); // complete
    rows.appendUmp(Origin::Received, 0, 0, {{0x31127E7F, 0}, 2}); // a start of several
    EXPECT_EQ(SysExFile::rowsToSave(rows, {}), std::vector<std::size_t> {0});
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    EXPECT_EQ(SysExFile::write(rows, std::vector<std::size_t> {0, 1}, out)->messages, 1u);
    EXPECT_EQ(out.data().toHex(' '), QByteArray("f0 7e 7f 09 f7"));
}
