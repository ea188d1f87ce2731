#include "capture/CaptureStore.h"
#include "capture/TaskProgress.h"
#include "export/CsvLog.h"
#include "export/MidiFile.h"
#include "export/TrafficLog.h"
#include "imports/FileImport.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace {

QByteArray written(const std::function<bool(QIODevice &)> &write)
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    EXPECT_TRUE(write(out));
    return out.data();
}

// The bytes of a literal that holds zeros.
template<std::size_t N>
QByteArray raw(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

} // namespace

// Traffic of two inputs and a sent row: the CSV says each row's source; the MIDI file puts
// each input's traffic on a track named after it, on one clock.
TEST(SeveralSources, TheCsvNamesEachRowsSourceAndTheMidiFileHasATrackForEach)
{
    CaptureStore rows;
    const CaptureStore::Source keys = *rows.sourceNamed("Keys, left");
    const CaptureStore::Source synth = *rows.sourceNamed("Synth");
    const CaptureStore::Source out = *rows.sourceNamed("Out");
    rows.append(Origin::Received, keys, 1'000, std::vector<std::uint8_t> {0x90, 0x3C, 0x40});
    rows.append(Origin::Received, synth, 3'000, std::vector<std::uint8_t> {0xF0, 0x7D, 0xF7});
    rows.append(Origin::Sent, out, 3'500, std::vector<std::uint8_t> {0xC0, 0x01});
    rows.append(Origin::Received, keys, 6'000, std::vector<std::uint8_t> {0x80, 0x3C, 0x00});

    const QByteArray csvFile = written([&](QIODevice &device) {
        return CsvLog::write(rows, MessageDetails::MiddleC::C4, device);
    });
    const QList<QByteArray> csv = csvFile.split('\n');
    ASSERT_EQ(csv.size(), 6);
    EXPECT_TRUE(csv[0].endsWith(",Details,Capture Microseconds,Source\r"));
    EXPECT_TRUE(csv[1].endsWith(",\"Keys, left\"\r")) << csv[1].toStdString();
    EXPECT_TRUE(csv[2].endsWith(",Synth\r"));
    EXPECT_TRUE(csv[3].endsWith(",Out\r"));
    // Opened again, each row is of a source named after the file and its input.
    const QByteArray log = written(
        [&](QIODevice &device) { return TrafficLog::write(rows, TrafficLog::Rows::All, device); });
    for (const QByteArray &file : {csvFile, log}) {
        TaskProgress progress;
        const CaptureReader::Loaded opened = FileImport::read(file, "two", progress);
        ASSERT_TRUE(opened.rows) << opened.reason.toStdString();
        QStringList sources;
        for (std::size_t row = 0; row < opened.rows->size(); ++row)
            sources << opened.rows->sourceName(opened.rows->at(row).source);
        EXPECT_EQ(
            sources, QStringList({"two: Keys, left", "two: Synth", "two: Out", "two: Keys, left"}));
    }

    const QByteArray midi
        = written([&](QIODevice &device) { return MidiFile::write(rows, device).has_value(); });
    EXPECT_TRUE(midi.startsWith(raw("MThd\0\0\0\x06\0\x01\0\x02"))) << "format 1, two tracks";
    const QByteArray keysTrack = raw("\0\xFF\x51\x03\x07\xA1\x20\0\xFF\x03\x0A"
                                     "Keys, left\0\x90\x3C\x40\x05\x80\x3C\0\0\xFF\x2F\0");
    const QByteArray synthTrack = raw("\0\xFF\x03\x05Synth\x02\xF0\x02\x7D\xF7\0\xFF\x2F\0");
    EXPECT_TRUE(midi.contains(keysTrack)) << "the first track sets the tempo; ms since the "
                                             "first row";
    EXPECT_TRUE(midi.contains(synthTrack)) << "2 ms after the first row, on the same clock";
}
