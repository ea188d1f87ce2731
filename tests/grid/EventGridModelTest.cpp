#include "grid/EventGridModel.h"

#include "grid/KindColours.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

// Rows reach the view as one block above the empty row when committed. The model follows
// every change of the document: a clear empties it, the undo puts the rows back before the
// ones since (which still wait for their commit), a file replaces them.
TEST(EventGridModel, ShowsCommittedRowsAndFollowsTheDocumentThroughClearUndoAndAFileShown)
{
    CaptureDocument document;
    EventGridModel model(document);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy gone(&document, &CaptureDocument::clearedRowsGone);

    EXPECT_EQ(model.rowCount(), 1) << "only the empty last row";
    const std::uint8_t on[] = {0x90, 0x3C, 0x40};
    const std::uint8_t off[] = {0x80, 0x3C, 0x40};
    document.store().append(Origin::Received, 0, 1'000, on);
    document.store().append(Origin::Received, 0, 2'000, off);
    EXPECT_EQ(model.rowCount(), 1) << "not shown before the commit";
    EXPECT_EQ(model.gridRowCount(), 4) << "but counted in the grid's own numbering";
    EXPECT_TRUE(model.commit());
    EXPECT_EQ(model.rowCount(), 3) << "and the empty last row";
    EXPECT_EQ(model.shownRows(), 3u);
    EXPECT_FALSE(model.commit()) << "nothing new";

    document.clear();
    EXPECT_EQ(model.rowCount(), 1);
    document.addSent({Origin::Sent, QByteArray("\xC0\x05")});
    EXPECT_EQ(model.waitingRows(), 1u) << "the sent row waits for a commit";
    ASSERT_TRUE(document.undoClear());
    EXPECT_EQ(model.rowCount(), 3) << "the two rows back, the sent one still waiting";
    EXPECT_EQ(document.rows().size(), 3u);
    EXPECT_EQ(document.rows().at(2).origin, Origin::Sent) << "after the rows put back";
    EXPECT_FALSE(document.undoClear()) << "once only";

    document.clear();
    CaptureStore file;
    file.append(Origin::Received, *file.sourceNamed("file"), 5'000, on);
    document.hold(true);
    EXPECT_FALSE(document.undoClear()) << "not while another thread reads the rows";
    document.hold(false);
    EXPECT_EQ(document.showCapture(std::move(file), 0), 0u);
    EXPECT_EQ(gone.count(), 1) << "a file shown ends the chance to undo";
    EXPECT_FALSE(document.undoClear());
    EXPECT_EQ(model.rowCount(), 2) << "the file's row, shown at once";
    EXPECT_EQ(model.gridCellText(1, 0), "5");
}

// Two inputs whose ports started 13 s apart, fed at the same moment: the time views read
// one clock, while the Timestamp cell keeps counting from each row's own port start.
TEST(EventGridModel, TimeViewsShareOneClockForEverySource)
{
    CaptureDocument document;
    EventGridModel model(document);
    CaptureStore &rows = document.store();
    rows.setWallClockAtStart(0); // times of day on whole milliseconds of the stamps
    const CaptureStore::Source early = *rows.sourceNamed("early");
    const CaptureStore::Source late = *rows.sourceNamed("late");
    rows.startPort(early, 0);
    rows.startPort(late, 13'034'147);
    struct Case
    {
        Origin origin;
        CaptureStore::Source source;
        std::int64_t stampUs;
        const char *seconds, *delta, *storedCell;
    };
    const Case cases[] = {
        {Origin::Received, early, 7, "0.000007", "+0", "0"}, // leading zeros kept
        {Origin::Received, late, 23'035'258, "23.035258", "+23035", "10001"},
        {Origin::Received, early, 23'035'258, "23.035258", "+0", "23035"}, // the same moment
        // No stamp of a port, but a moment: the word, then the time.
        {Origin::Sent, late, 23'040'000, "SENT 23.040000", "SENT +5", "SENT"},
        {Origin::SendFailed, late, 23'041'000, "SEND ERR 23.041000", "SEND ERR +6", "SEND ERR"},
        {Origin::Received, late, 23'047'258, "23.047258", "+12", "10013"}, // from early's row
    };
    const std::uint8_t clock[] = {0xF8};
    for (const Case &row : cases)
        rows.append(row.origin, row.source, row.stampUs, clock);
    model.commit();
    for (const auto &[time, cell] : {std::pair(ViewSettings::Time::SinceStart, &Case::storedCell),
             std::pair(ViewSettings::Time::Seconds, &Case::seconds),
             std::pair(ViewSettings::Time::Delta, &Case::delta)}) {
        model.setViewSettings({time, false, {}});
        for (std::size_t row = 0; row < std::size(cases); ++row)
            EXPECT_EQ(model.index(int(row), 0).data().toString(), cases[row].*cell)
                << "view " << int(time) << ", row " << row;
    }
    EXPECT_EQ(model.gridCellText(2, 0), "10001") << "in the Delta view, the stored cell stays";
    EXPECT_EQ(model.timeOfDay(1), model.timeOfDay(2));
    model.setViewSettings({ViewSettings::Time::TimeOfDay, false, {}});
    const QString sent = model.index(3, 0).data().toString();
    EXPECT_TRUE(sent.startsWith("SENT ") && sent.endsWith(".040")) << sent.toStdString();
    EXPECT_EQ(sent.size(), model.timeOfDay(0).size() + 5);
}

// The Group column, after Source, reads a UMP row's group and leaves every other row's cell
// empty; a UMP row takes the tint of the nearest MIDI 1.0 kind.
TEST(EventGridModel, AGroupColumnShowsTheGroupOfUmpRows)
{
    CaptureDocument document;
    EventGridModel model(document);
    const struct
    {
        Ump::Packet packet;
        const char *group;
        KindColours::Kind kind;
    } rows[] = {
        {{{0x4C953C00, 0xFFFF0000}, 2}, "13", KindColours::Kind::Note}, // MIDI 2.0 Note On
        {{{0x42250000, 0x12345678}, 2}, "3", KindColours::Kind::Controller}, // RPN
        {{{0x3F037E7F, 0x09000000}, 2}, "16", KindColours::Kind::SysEx}, // SysEx7
        {{{0xF0000101, 0x1F, 0, 0}, 4}, "", KindColours::Kind::SystemCommon}, // Stream
        {{{0x00200000}, 1}, "", KindColours::Kind::RealTime}, // Utility: JR Clock
    };
    for (const auto &row : rows)
        document.store().appendUmp(Origin::Received, 0, 0, row.packet);
    const std::uint8_t note[] = {0x90, 0x3C, 0x40};
    document.store().append(Origin::Received, 0, 0, note);
    model.commit();
    model.setViewSettings({ViewSettings::Time::SinceStart, false, {}, true, true});
    ASSERT_EQ(model.groupColumn(), model.sourceColumn() + 1);
    EXPECT_EQ(
        model.headerData(model.groupColumn(), Qt::Horizontal, Qt::DisplayRole).toString(), "Group");
    for (std::size_t row = 0; row <= std::size(rows); ++row) {
        const bool ump = row < std::size(rows);
        EXPECT_EQ(model.index(int(row), model.groupColumn()).data().toString(),
            ump ? rows[row].group : "");
        if (ump) {
            EXPECT_EQ(KindColours::kindOf(model.store().at(row)), rows[row].kind) << row;
        }
    }
}
