#include "loadgen/LogVerifier.h"

#include "capture/CaptureStore.h"
#include "capture/CaptureWriter.h"
#include "capture/TaskProgress.h"
#include "export/JsonLines.h"
#include "export/TrafficLog.h"
#include "loadgen/LogFormats.h"
#include "loadgen/LogLine.h"

#include <QBuffer>
#include <gtest/gtest.h>
#include <numeric>

using namespace LoadMessages;

namespace {

using Faults = std::array<std::uint64_t, LogReport::FaultCount>; // as LogReport::Fault
constexpr std::size_t SysExSize = 16;

// The log of the messages at `places`, as Lumetra's own rows and log writer make it.
QByteArray logOf(Mix mix, const std::vector<std::uint64_t> &places)
{
    CaptureStore rows;
    std::vector<std::uint8_t> message(SysExSize);
    for (const std::uint64_t place : places) {
        const std::size_t size = writeMessage(mix, place, SysExSize, message);
        rows.append(Origin::Received, 0, 0, std::span(message).first(size));
    }
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    TrafficLog::write(rows, TrafficLog::Rows::IncomingOnly, out);
    return out.data();
}

// `count` places from `first` on: a run, or a capture that began late in one.
std::vector<std::uint64_t> run(std::uint64_t count, std::uint64_t first = 0)
{
    std::vector<std::uint64_t> places(count);
    std::iota(places.begin(), places.end(), first);
    return places;
}

LogReport check(QByteArray log, Mix mix, std::optional<std::uint64_t> expected)
{
    QBuffer in(&log);
    in.open(QIODevice::ReadOnly);
    return verifyLog(in, mix, expected);
}

} // namespace

TEST(LogVerifier, PassesACleanLogAndReportsWhatWentMissingCameTwiceOrOutOfOrder)
{
    struct Case
    {
        Mix mix;
        std::vector<std::uint64_t> places;
        std::optional<std::uint64_t> expected;
        Faults faults; // missing, duplicated, reordered, altered, unexpected
        const char *why;
    };
    const Case cases[] = {
        {Mix::Channel, run(200), 200, {}, "a clean run"},
        {Mix::SysEx, run(200), std::nullopt, {}, "a clean run, no count to go by"},
        {Mix::RealTime, run(200), 200, {}, "a clean run"},
        {Mix::Mixed, run(200), std::nullopt, {}, "a clean run, no count to go by"},
        {Mix::Mixed, {}, 0, {}, "an empty log of an empty run"},
        {Mix::Channel, {0, 1, 2, 4, 5}, 6, {1, 0, 0, 0, 0}, "#3 lost"},
        {Mix::Channel, {0, 1, 2, 3, 3, 4}, 5, {0, 1, 0, 0, 0}, "#3 twice"},
        {Mix::Channel, {0, 1, 3, 2, 4}, 5, {0, 0, 1, 0, 0}, "#2 and #3 swapped"},
        {Mix::Channel, {0, 1, 2}, 5, {2, 0, 0, 0, 0}, "the end of the run lost"},
        {Mix::Channel, {0, 1, 2, 3}, 3, {0, 0, 0, 0, 1}, "one more than the run sent"},
        {Mix::SysEx, {0, 2, 1, 2}, 3, {0, 1, 1, 0, 0}, "SysEx are numbered too"},
        {Mix::Mixed, {0, 1, 2, 3, 4, 5, 6, 8, 9}, 10, {1, 0, 0, 0, 0},
            "the real-time byte #7 lost"},
        {Mix::Mixed, {0, 1, 2, 3, 4, 5, 6, 8, 7, 9}, 10, {1, 0, 0, 0, 1},
            "the real-time byte #7 moved past #8"},
        {Mix::Mixed, {0, 1, 2, 3, 4, 5, 7, 7, 8, 9}, 10, {1, 0, 0, 0, 1},
            "#6 lost, and the real-time byte after it came twice"},
        {Mix::RealTime, {0, 1, 2, 3, 5}, 6, {1, 0, 0, 0, 0}, "a real-time byte lost from many"},
        {Mix::Channel, {}, std::nullopt, {1, 0, 0, 0, 0}, "an empty log, and no count to go by"},
        {Mix::Mixed, {}, 16, {16, 0, 0, 0, 0}, "15 numbered messages and a real-time byte lost"},
        {Mix::Channel, run(200, 500), std::nullopt, {}, "a capture that began late"},
        {Mix::Mixed, run(300, ChannelNumbers + 15), std::nullopt, {},
            "begun late, after the channel numbers wrapped; a real-time byte first"},
        {Mix::Mixed, run(300, 3 * ChannelNumbers - 100), std::nullopt, {}, "across a wrap"},
        {Mix::Channel, run(200, ChannelNumbers + 5), ChannelNumbers + 205,
            {ChannelNumbers + 5, 0, 0, 0, 0}, "the run's first messages not captured"},
    };
    for (const Case &c : cases) {
        const LogReport report = check(logOf(c.mix, c.places), c.mix, c.expected);
        EXPECT_EQ(report.faults, c.faults) << c.why << '\n' << report.text();
        EXPECT_EQ(report.passed(), c.faults == Faults {}) << c.why;
        EXPECT_TRUE(!report.passed() || report.numbered + report.realTime == c.places.size())
            << c.why << ": every message counted";
    }
}

TEST(LogVerifier, NamesTheFirstFaultsWithTheirNumbersAndLines)
{
    const LogReport report = check(logOf(Mix::Channel, {0, 1, 3, 3, 2, 7}), Mix::Channel, 8);
    const std::array<std::vector<std::string>, LogReport::FaultCount> examples
        = {{{"#4 to #6"}, {"#3 (line 4)"}, {"#2 (line 5) after #3"}, {}, {}}};
    EXPECT_EQ(report.examples, examples);
}

TEST(LogVerifier, PlacesALogThatBeganLateInTheRightRoundOfChannelNumbers)
{
    const std::uint64_t first = 2 * ChannelNumbers + 5;
    for (const Mix mix : {Mix::Channel, Mix::Mixed}) {
        std::vector<std::uint64_t> places = run(200, first);
        places.erase(places.begin() + 100);
        const LogReport report = check(logOf(mix, places), mix, first + 200);
        const std::vector<std::string> &missing = report.examples[LogReport::Missing];
        EXPECT_EQ(std::vector(
                      missing.begin(), missing.begin() + std::min<std::size_t>(2, missing.size())),
            (std::vector<std::string> {"#0 to #2097156", "#2097257"}))
            << "the numbered messages first\n"
            << report.text();
    }
}

TEST(LogVerifier, AnAlteredLineIsReportedAsSuchAndNotAlsoAsMissing)
{
    std::vector<std::uint8_t> sysEx(SysExSize);
    writeSysEx(31, sysEx);
    const QByteArray sysExLine = QByteArray::fromStdString(logLineOf(sysEx));
    const std::pair<QByteArray, const char *> cases[] = {
        {"90 00 02\r\n", "a Note On where #2 was"},
        {"80 00 82\r\n", "a data byte above 7F"},
        {"80 00 \r\n", "a data byte lost"},
        {"80 00 02\n", "the CR lost"},
        {"80 00 02 \r\n", "a space added"},
        {"  \r\n", "the line of a failed send"},
        {"F0 7D 00 00 00 00 02 00 10 F7 \r\n", "a SysEx where a channel message belongs"},
        {QByteArray(sysExLine).replace("F7 ", "F7 F7 ") + "\r\n", "a SysEx with a byte added"},
        {QByteArray(sysExLine).replace(" 2A ", " 2E ") + "\r\n", "a SysEx with a byte altered"},
        {QByteArray(sysExLine).replace(" 2A ", " ") + "\r\n", "a SysEx with a byte lost"},
    };
    for (const auto &[line, why] : cases) {
        // #2 replaced in a channel run; #31 (a SysEx) in a mixed one
        const bool inMixed = line.startsWith("F0 7D 00 00 00 00 1F");
        const Mix mix = inMixed ? Mix::Mixed : Mix::Channel;
        QByteArray log = logOf(mix, run(40));
        const qsizetype lineNumber = inMixed ? 31 : 2;
        qsizetype start = 0;
        for (qsizetype i = 0; i < lineNumber; ++i)
            start = log.indexOf("\r\n", start) + 2;
        log.replace(start, log.indexOf("\r\n", start) + 2 - start, line);
        const LogReport report = check(log, mix, 40);
        EXPECT_EQ(report.faults, (Faults {0, 0, 0, 1, 0})) << why << '\n' << report.text();
    }
}

// Two runs of 100 interleaved as two inputs store them; the second lost message 42.
void twoInputs(CaptureStore &rows)
{
    const CaptureStore::Source sources[] = {*rows.sourceNamed("A"), *rows.sourceNamed("B [2]")};
    std::vector<std::uint8_t> message(SysExSize);
    for (std::uint64_t place = 0; place < 100; ++place) {
        for (const CaptureStore::Source source : sources) {
            if (source == sources[1] && place == 42)
                continue;
            const std::size_t size = writeMessage(Mix::Mixed, place, SysExSize, message);
            rows.append(Origin::Received, source, 0, std::span(message).first(size));
        }
    }
}

// Each source of a log of two inputs is checked on its own lines.
TEST(LogVerifier, ChecksOneSourceOfALogOfSeveralInputs)
{
    CaptureStore rows;
    twoInputs(rows);
    QBuffer log;
    log.open(QIODevice::ReadWrite);
    TrafficLog::write(rows, TrafficLog::Rows::IncomingOnly, log);
    const auto verify = [&](const std::string &source) {
        log.seek(0);
        return verifySourceOfLog(log, source, Mix::Mixed, 100);
    };
    EXPECT_TRUE(verify("A").passed()) << verify("A").text();
    const LogReport second = verify("B [2]");
    EXPECT_EQ(second.faults[LogReport::Missing], 1u) << second.text();
    EXPECT_EQ(second.numbered + second.realTime, 99u);
    EXPECT_FALSE(verify("C").passed()) << "a source with no line holds nothing of the run";
}

// What `lumetra capture` writes as JSON Lines or a capture file is checked as its log is.
TEST(LogVerifier, ReadsJsonLinesAndCaptureFilesAsLogs)
{
    CaptureStore rows;
    twoInputs(rows);
    for (const bool json : {true, false}) {
        QBuffer file;
        file.open(QIODevice::ReadWrite);
        TaskProgress progress;
        ASSERT_TRUE(json ? JsonLines::Writer(MessageDetails::MiddleC::C4).writeRows(rows, 0, file)
                         : CaptureWriter::write(rows, file, progress));
        if (json) // a line the check cannot read as a message
            file.write(R"({"source":"A","stamp_us":0,"bytes":"90 3","kind":"","details":""})"
                       "\n");
        file.seek(0);
        LogFormats::AsLog asLog = LogFormats::asTrafficLog(file, true);
        ASSERT_TRUE(asLog.reason.isEmpty()) << asLog.reason.toStdString();
        QBuffer log(&asLog.log);
        log.open(QIODevice::ReadOnly);
        const auto verify = [&](const std::string &source) {
            log.seek(0);
            return verifySourceOfLog(log, source, Mix::Mixed, 100);
        };
        const LogReport first = verify("A");
        EXPECT_EQ(first.faults[LogReport::Altered], json ? 1u : 0u) << first.text();
        EXPECT_EQ(first.numbered + first.realTime, 100u) << first.text();
        EXPECT_EQ(verify("B [2]").faults[LogReport::Missing], 1u) << verify("B [2]").text();
    }
}
