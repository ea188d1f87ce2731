#pragma once

#include "looptest/LoadMessages.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QIODevice;

// What the check of a traffic log found.
struct LogReport
{
    enum Fault : std::uint8_t {
        Missing, // a message of the run that is not in the log
        Duplicated, // a numbered message that came again
        Reordered, // a numbered message that came after one with a higher number
        Altered, // a line that is not the message of the run it stands for
        Unexpected, // a message the run did not send: beyond its end, or a real-time byte
                    // between numbered messages that had none
        FaultCount
    };
    static constexpr std::size_t ExamplesKept = 5;

    std::uint64_t lines = 0;
    std::uint64_t numbered = 0; // numbered messages found, each counted once
    std::uint64_t realTime = 0;
    std::array<std::uint64_t, FaultCount> faults {};
    std::array<std::vector<std::string>, FaultCount> examples; // the first few of each

    bool passed() const;
    // One "key: value" a line, the verdict last.
    std::string text() const;
};

// Checks, line by line, that a traffic log holds exactly the messages of a load run, in
// order. Numbered messages are checked one by one; real-time bytes carry no number, so they
// are counted, by value, between each two numbered messages, and against the run's end.
class LogVerifier
{
public:
    // With `expected`, the log must hold exactly the first `expected` messages of the run;
    // without, those from its first numbered message up to the highest number it holds (and
    // at least one message): a capture may begin late in a run. A channel message carries
    // only the low bits of its number, so the first one is taken as the nearest to
    // `firstPlace`, where the log is thought to begin (see placeOfFirstLine).
    LogVerifier(
        LoadMessages::Mix mix, std::optional<std::uint64_t> expected, std::uint64_t firstPlace = 0);

    // A line with its CR LF.
    void addLine(std::string_view line);
    LogReport finish();

private:
    enum Mark : std::uint8_t { NotSeen, Seen, Claimed };

    void takeMessage(const std::vector<std::uint8_t> &bytes, std::string_view line);
    void takeSysEx(const std::vector<std::uint8_t> &bytes, std::string_view line);
    void takeNumbered(std::uint64_t sequence);
    void takeAltered(std::string_view line, std::optional<std::uint64_t> standsFor);
    void claim(std::uint64_t sequence);
    std::uint64_t nextPlace() const;
    bool belongsToRun(std::uint64_t sequence) const;
    Mark markOf(std::uint64_t sequence) const;
    void checkRealTimeBetween(std::int64_t after, std::uint64_t before);
    void checkRealTimeAtEnd();
    std::array<std::uint64_t, 8> realTimeHeldFrom(std::uint64_t place, std::uint64_t step) const;
    void compareRealTime(
        const std::array<std::uint64_t, 8> &expected, const std::function<std::string()> &where);
    void findMissing();
    void note(LogReport::Fault fault, std::string example, std::uint64_t count = 1);
    std::string lineExample(std::string_view line) const;

    const LoadMessages::Mix m_mix;
    const std::optional<std::uint64_t> m_expected;
    const std::uint64_t m_firstPlace;
    std::uint64_t m_checkedFrom = 0; // where missing messages are looked for
    LogReport m_report;
    std::vector<Mark> m_marks; // by sequence number
    std::int64_t m_highest = -1; // the highest numbered message so far
    std::int64_t m_lastClaim = -1;
    std::array<std::uint64_t, 8> m_realTimeSinceHighest {}; // F8 to FF
    std::vector<std::uint8_t> m_expectedSysEx;
};

// Where the first line of the log that `in` reads stands in the run, as near as the log
// tells: the first SysEx carries its whole number; else a log checked against a count is
// taken to end where the run ended. Leaves `in` where it was.
std::uint64_t placeOfFirstLine(
    QIODevice &in, LoadMessages::Mix mix, std::optional<std::uint64_t> expected);

// Checks the whole log that `in` reads.
LogReport verifyLog(
    QIODevice &in, LoadMessages::Mix mix, std::optional<std::uint64_t> expected = std::nullopt);
// Checks the lines of one source in a log of several inputs, each of which begins with its
// source in brackets ("[NAME] 90 3C 40").
LogReport verifySourceOfLog(QIODevice &in, const std::string &source, LoadMessages::Mix mix,
    std::optional<std::uint64_t> expected = std::nullopt);
