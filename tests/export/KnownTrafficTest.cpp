#include "capture/CaptureReader.h"
#include "capture/CaptureWriter.h"
#include "capture/TaskProgress.h"
#include "export/CsvLog.h"
#include "export/MidiFile.h"
#include "export/SysExFile.h"
#include "export/TrafficLog.h"
#include "grid/EventGridModel.h"
#include "imports/FileImport.h"
#include "midi/MidiMessage.h"
#include "rows/RowCells.h"
#include "support/Files.h"
#include "support/StoredRows.h"

#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <ctime>

// Every kind of row through the grid and every export, against the files an earlier version
// wrote of the same traffic (tests/data/known-traffic): what users and their tools read must
// not change by a byte. A capture file of them reopens as the same grid.
namespace {

constexpr std::int64_t CaptureStartUs = 1'767'225'600'123'000; // 2026-01-01 00:00:00.123 UTC

// The stamp of a message `ms` after its port started at `portStartUs`, with a part of a
// millisecond that the cells must not round up.
std::int64_t at(std::int64_t portStartUs, std::int64_t ms)
{
    return portStartUs + ms * 1000 + 500;
}

std::vector<std::uint8_t> longDump()
{
    std::vector<std::uint8_t> dump {0xF0, 0x7D};
    for (int i = 0; i < 297; ++i)
        dump.push_back(std::uint8_t(i % 128));
    dump.push_back(0xF7);
    return dump;
}

// `unsent`: the bytes of the failed send, which no export but the capture file holds.
void storeKnownTraffic(CaptureStore &rows, const std::vector<std::uint8_t> &unsent = {})
{
    rows.setWallClockAtStart(CaptureStartUs);
    rows.sourceNamed("Lumetra Loopback");
    rows.startPort(0, 0);
    constexpr Origin In = Origin::Received, Out = Origin::Sent;
    store(rows,
        {{In, {0x90, 0x3C, 0x40}, at(0, 0)}, {In, {0x80, 0x3C, 0x00}, at(0, 5)},
            {In, {0x90, 0x3C, 0x00}, at(0, 5)}, {In, {0xB0, 0x07, 0x64}, at(0, 12)},
            {In, {0xB0, 0x79, 0x00}, at(0, 12)}, {In, {0xB0, 0x7B, 0x00}, at(0, 13)},
            {In, {0xC5, 0x0A}, at(0, 20)}, {In, {0xD3, 0x40}, at(0, 21)},
            {In, {0xE0, 0x00, 0x40}, at(0, 22)}, {In, {0xA1, 0x3C, 0x20}, at(0, 23)},
            {In, {0xF1, 0x23}, at(0, 30)}, {In, {0xF2, 0x10, 0x00}, at(0, 31)},
            {In, {0xF3, 0x05}, at(0, 32)}, {In, {0xF6}, at(0, 33)}, {In, {0xF8}, at(0, 34)},
            {In, {0xFE}, at(0, 35)}, {In, {0xFA}, at(0, 36)}, {In, {0x3C}, at(0, 40)},
            {In, {0x90, 0x3C}, at(0, 41)}, {In, {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}, at(0, 50)},
            {In, {0xF0, 0x41, 0x10, 0x42}, at(0, 51)}, {In, {0xF7}, at(0, 52)},
            {In, longDump(), at(0, 60)}, {Out, {0x90, 0x3C, 0x7F}, at(0, 60)},
            {Out, {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}, at(0, 60)},
            {Origin::SendFailed, unsent, at(0, 60)}, {Out, {0xC0, 0x05}, at(0, 61)},
            {In, {0x91, 0x3D, 0x41}, at(0, 61)}});
    // The input switched a second into the capture: its stamps start again.
    constexpr std::int64_t Restart = 1'000'000;
    rows.startPort(0, Restart);
    store(rows,
        {{In, {0x90, 0x40, 0x7F}, at(Restart, 3)},
            {In, {0xF0, 0x43, 0x12, 0x00, 0xF7}, at(Restart, 4)},
            {In, {0x80, 0x40, 0x40}, at(Restart, 3'000'000'000)}, // past 2^31 ms
            {In, {0xFF}, at(Restart, 3'000'000'001)},
            {In, {0x9F, 0x00, 0x7F}, at(Restart, 3'000'000'001)}});
}

// The grid as a person reads it, in every form of the time column and both middle Cs, then
// its stored cells.
QByteArray gridText(EventGridModel &model)
{
    QByteArray text;
    for (const auto time : {ViewSettings::Time::SinceStart, ViewSettings::Time::TimeOfDay,
             ViewSettings::Time::Delta}) {
        for (const auto middleC : {MessageDetails::MiddleC::C4, MessageDetails::MiddleC::C3}) {
            model.setViewSettings({time, true, middleC});
            for (int row = 0; row < model.rowCount() - 1; ++row) {
                QStringList cells;
                for (int column = 0; column < model.columnCount(); ++column)
                    cells << model.index(row, column).data().toString();
                text += (cells.join('|') + '\n').toUtf8();
            }
        }
    }
    for (int row = 1; row < model.gridRowCount() - 1; ++row) {
        QStringList cells;
        for (int column = 0; column < EventGridModel::ColumnCount; ++column)
            cells << model.gridCellText(row, column);
        text += (cells.join('\t') + '\n').toUtf8();
    }
    return text;
}

QString knownPath(const char *name)
{
    return QStringLiteral(LUMETRA_TEST_DATA "/known-traffic/") + name;
}

// The stored cells of each row, joined by tabs, as the file `name` opens.
std::vector<std::string> openedCells(const char *name)
{
    TaskProgress progress;
    const CaptureReader::Loaded opened = FileImport::load(knownPath(name), progress);
    EXPECT_EQ(opened.reason.toStdString(), "");
    std::vector<std::string> cells;
    for (std::size_t row = 0; opened.rows && row < opened.rows->size(); ++row) {
        cells.push_back(RowCells::row(*opened.rows, row));
        EXPECT_EQ(opened.rows->sourceName(opened.rows->at(row).source), name);
    }
    return cells;
}

} // namespace

// A failed send that keeps its bytes exports as one that kept none, as earlier versions
// stored it; only the capture file holds them, and the Details column says what they were.
struct FailedSend
{
    std::vector<std::uint8_t> unsent;
    const char *detailsC4;
    const char *detailsC3;
};

class KnownTrafficExports : public testing::TestWithParam<FailedSend>
{ };

INSTANTIATE_TEST_SUITE_P(FailedSend, KnownTrafficExports,
    testing::Values(FailedSend {{}, "", ""},
        FailedSend {{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7},
            "Not sent: Universal Non-Real-Time, all devices, Identity Request, 6 bytes",
            "Not sent: Universal Non-Real-Time, all devices, Identity Request, 6 bytes"},
        FailedSend {{0x90, 0x3C, 0x7F}, "Not sent: C4 velocity 127", "Not sent: C3 velocity 127"}));

// The known grid with the failed send's Details as `failed` reads them: the grid shows each
// time form with middle C as C4, then as C3.
QByteArray knownGrid(const FailedSend &failed)
{
    QList<QByteArray> lines = readFile(knownPath("grid.txt")).split('\n');
    int shown = 0;
    for (QByteArray &line : lines)
        if (line.startsWith("SEND ERR") && line.endsWith("|||||||"))
            line += shown++ % 2 == 0 ? failed.detailsC4 : failed.detailsC3;
    return lines.join('\n');
}

TEST_P(KnownTrafficExports, TheGridAndEveryExportStayByteForByteWhatTheyWere)
{
    // The time of day is the local time: the known files were written in UTC.
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "UTC");
    tzset();
    const std::vector<std::uint8_t> &unsent = GetParam().unsent;
    CaptureDocument document;
    EventGridModel model(document);
    storeKnownTraffic(document.store(), unsent);
    model.commit();
    EXPECT_EQ(gridText(model).toStdString(), knownGrid(GetParam()).toStdString());

    model.setViewSettings({});
    const CaptureStore &rows = model.store();
    QTemporaryDir folder;
    const auto path = [&](const char *name) { return folder.filePath(name); };
    const std::vector<std::size_t> selected {3, 20, 24};
    TaskProgress progress;
    const QString errors[] = {
        TrafficLog::save(rows, TrafficLog::Rows::IncomingOnly, path("in.txt")),
        TrafficLog::save(rows, TrafficLog::Rows::All, path("inout.txt")),
        CsvLog::save(rows, MessageDetails::MiddleC::C4, path("grid.csv")),
        MidiFile::save(rows, path("received.mid")).error,
        SysExFile::save(rows, SysExFile::rowsToSave(rows, {}), path("received.syx")).error,
        SysExFile::save(rows, SysExFile::rowsToSave(rows, selected), path("selected.syx")).error,
        CaptureWriter::save(rows, path("capture.lmc"), progress),
    };
    for (const QString &error : errors)
        ASSERT_EQ(error, QString());
    for (const char *file : {"in.txt", "inout.txt", "grid.csv", "received.mid", "received.syx",
             "selected.syx", "capture.lmc"}) {
        if (unsent.empty() || file != std::string_view("capture.lmc")) {
            EXPECT_EQ(readFile(path(file)).toStdString(), readFile(knownPath(file)).toStdString())
                << file;
        }
    }

    CaptureReader::Loaded reopened = FileImport::load(folder.filePath("capture.lmc"), progress);
    ASSERT_TRUE(reopened.rows) << reopened.reason.toStdString();
    for (std::size_t row = 0; row < reopened.rows->size(); ++row) {
        const CapturedMessage message = reopened.rows->at(row);
        if (message.origin == Origin::SendFailed) {
            EXPECT_TRUE(std::ranges::equal(message.unsent, unsent)) << "the capture keeps them";
            EXPECT_TRUE(message.bytes.empty());
        }
    }
    CaptureDocument reopenedDocument;
    EventGridModel reopenedGrid(reopenedDocument);
    reopenedDocument.showCapture(std::move(*reopened.rows), 0);
    EXPECT_EQ(gridText(reopenedGrid).toStdString(), knownGrid(GetParam()).toStdString());

    zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone);
    tzset();
}

// Each log and file saved of the traffic opens again as the rows it holds: the logs with
// stamps and the CSV as the grid was, the rest as their received rows from 0 on.
TEST(KnownTraffic, EachFileSavedOpensAgainAsTheRowsItHolds)
{
    CaptureStore rows;
    storeKnownTraffic(rows);
    std::vector<std::string> grid, incoming, dumps, midi;
    // What the MIDI file plays: whole channel messages and SysEx, on one time line, the
    // restarted input on without a gap; 3e9 ms later the cell wraps, as 32 bits.
    const char *midiMs[] = {"0", "5", "5", "12", "12", "13", "20", "21", "22", "23", "50", "60",
        "61", "61", "62", "-1294967238", "-1294967237"};
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const std::string cells = RowCells::row(rows, row);
        grid.push_back(cells);
        const CapturedMessage message = rows.at(row);
        if (message.origin != Origin::Received) {
            if (message.origin == Origin::SendFailed)
                incoming.push_back(cells); // the log of incoming rows keeps it
            continue;
        }
        const std::string fromZero = cells.substr(cells.find('\t'));
        incoming.push_back("0" + fromZero);
        if (message.isSysEx())
            dumps.push_back(incoming.back());
        const bool whole = message.isSysEx() ? message.bytes.back() == 0xF7
                                             : isChannelStatus(message.bytes[0])
                && int(message.bytes.size()) == messageLength(message.bytes[0]);
        if (whole)
            midi.push_back(midiMs[midi.size()] + fromZero);
    }
    EXPECT_EQ(openedCells("inout.txt"), grid);
    EXPECT_EQ(openedCells("grid.csv"), grid);
    TaskProgress progress;
    const CaptureReader::Loaded csv = FileImport::load(knownPath("grid.csv"), progress);
    for (std::size_t row = 0; csv.rows && row < rows.size(); ++row)
        EXPECT_EQ(csv.rows->at(row).stampUs, rows.at(row).stampUs) << "to the microsecond";
    EXPECT_EQ(openedCells("in.txt"), incoming);
    EXPECT_EQ(openedCells("received.syx"), dumps);
    EXPECT_EQ(openedCells("received.mid"), midi);
}
