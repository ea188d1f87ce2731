#include "LogVerifier.h"

#include "LogLine.h"

#include <QBuffer>
#include <QIODevice>
#include <algorithm>

using namespace LoadMessages;

namespace {

constexpr std::array<const char *, LogReport::FaultCount> FaultNames
    = {"missing", "duplicated", "reordered", "altered", "unexpected"};
constexpr std::size_t LongestLineShown = 60;

std::string number(std::uint64_t sequence)
{
    return '#' + std::to_string(sequence);
}

// The number and size of the SysEx of ours on a line of the log, with its line end.
std::optional<SysExHeader> sysExOnLine(QByteArrayView line)
{
    if (line.endsWith("\r\n"))
        line.chop(2);
    const auto bytes = readLogLine(std::string_view(line.data(), std::size_t(line.size())));
    return bytes ? sysExHeader(*bytes) : std::nullopt;
}

} // namespace

bool LogReport::passed() const
{
    return std::ranges::all_of(faults, [](std::uint64_t count) { return count == 0; });
}

std::string LogReport::text() const
{
    std::string out = "lines: " + std::to_string(lines) + "\nnumbered: " + std::to_string(numbered)
        + "\nrealtime: " + std::to_string(realTime) + '\n';
    for (std::size_t fault = 0; fault < FaultCount; ++fault)
        out += std::string(FaultNames[fault]) + ": " + std::to_string(faults[fault]) + '\n';
    for (std::size_t fault = 0; fault < FaultCount; ++fault)
        for (const std::string &example : examples[fault])
            out += std::string(FaultNames[fault]) + " example: " + example + '\n';
    return out + "result: " + (passed() ? "pass" : "fail") + '\n';
}

LogVerifier::LogVerifier(Mix mix, std::optional<std::uint64_t> expected, std::uint64_t firstPlace)
    : m_mix(mix)
    , m_expected(expected)
    , m_firstPlace(firstPlace)
{ }

void LogVerifier::addLine(std::string_view line)
{
    ++m_report.lines;
    if (!line.ends_with("\r\n")) {
        takeAltered(line, std::nullopt);
        return;
    }
    line.remove_suffix(2);
    if (const auto bytes = readLogLine(line))
        takeMessage(*bytes, line);
    else
        takeAltered(line, std::nullopt);
}

void LogVerifier::takeMessage(const std::vector<std::uint8_t> &bytes, std::string_view line)
{
    if (bytes.size() == 1 && bytes[0] >= 0xF8) {
        ++m_report.realTime;
        ++m_realTimeSinceHighest[bytes[0] - 0xF8];
    } else if (const auto low = channelNumber(bytes)) {
        const std::uint64_t sequence = unwrapChannelNumber(*low, nextPlace());
        if (kindAt(m_mix, sequence) == Kind::Channel)
            takeNumbered(sequence);
        else
            takeAltered(line, std::nullopt);
    } else {
        takeSysEx(bytes, line);
    }
}

void LogVerifier::takeSysEx(const std::vector<std::uint8_t> &bytes, std::string_view line)
{
    const auto header = sysExHeader(bytes);
    if (!header || kindAt(m_mix, header->sequence) != Kind::SysEx) {
        takeAltered(line, std::nullopt);
        return;
    }
    m_expectedSysEx.resize(header->size);
    writeSysEx(header->sequence, m_expectedSysEx);
    if (bytes == m_expectedSysEx)
        takeNumbered(header->sequence);
    else
        takeAltered(line, header->sequence);
}

// The place of the numbered message expected next.
std::uint64_t LogVerifier::nextPlace() const
{
    return m_highest < 0 ? m_firstPlace : std::uint64_t(m_highest + 1);
}

bool LogVerifier::belongsToRun(std::uint64_t sequence) const
{
    // Without an end to go by, a number too far ahead is taken for a damaged one rather
    // than as the end of a gap: channel messages could not tell such a gap anyway.
    return m_expected ? sequence < *m_expected : sequence < nextPlace() + ChannelNumbers;
}

LogVerifier::Mark LogVerifier::markOf(std::uint64_t sequence) const
{
    return sequence < m_marks.size() ? m_marks[sequence] : NotSeen;
}

void LogVerifier::takeNumbered(std::uint64_t sequence)
{
    const auto where
        = [&] { return number(sequence) + " (line " + std::to_string(m_report.lines) + ')'; };
    if (!belongsToRun(sequence)) {
        note(LogReport::Unexpected, where() + ", beyond the run");
        return;
    }
    if (markOf(sequence) == Seen) {
        note(LogReport::Duplicated, where());
        return;
    }
    if (sequence >= m_marks.size())
        m_marks.resize(sequence + 1, NotSeen);
    m_marks[sequence] = Seen;
    ++m_report.numbered;
    if (std::int64_t(sequence) < m_highest) {
        note(LogReport::Reordered, where() + " after " + number(std::uint64_t(m_highest)));
        return;
    }
    if (m_highest < 0 && !m_expected) {
        m_checkedFrom = sequence;
        compareRealTime(realTimeHeldFrom(sequence - 1, std::uint64_t(-1)),
            [&] { return "before " + number(sequence); });
    } else {
        checkRealTimeBetween(m_highest, sequence);
    }
    m_highest = std::int64_t(sequence);
}

// An altered line most likely stands for the message it replaced: `standsFor` when its
// number can still be read, else the next numbered message after those so far. That one
// is then not reported missing as well.
void LogVerifier::takeAltered(std::string_view line, std::optional<std::uint64_t> standsFor)
{
    note(LogReport::Altered, lineExample(line));
    if (standsFor) {
        claim(*standsFor);
        return;
    }
    if (m_mix == Mix::RealTime)
        return; // no numbered message to stand for
    auto next = std::max(nextPlace(), std::uint64_t(m_lastClaim + 1));
    while (kindAt(m_mix, next) == Kind::RealTime)
        ++next;
    claim(next);
    m_lastClaim = std::int64_t(next);
}

void LogVerifier::claim(std::uint64_t sequence)
{
    if (!belongsToRun(sequence) || markOf(sequence) != NotSeen)
        return;
    if (sequence >= m_marks.size())
        m_marks.resize(sequence + 1, NotSeen);
    m_marks[sequence] = Claimed;
}

void LogVerifier::checkRealTimeBetween(std::int64_t after, std::uint64_t before)
{
    std::array<std::uint64_t, 8> expected {};
    if (m_mix == Mix::RealTime || m_mix == Mix::Mixed)
        for (auto place = std::uint64_t(after + 1); place < before; ++place)
            if (kindAt(m_mix, place) == Kind::RealTime)
                ++expected[realTimeByte(place) - 0xF8];
    compareRealTime(expected, [&] {
        return after < 0 ? "before " + number(before)
                         : "between " + number(std::uint64_t(after)) + " and " + number(before);
    });
}

// Without an end to go by, the run's real-time bytes after the last numbered message are
// taken as far as the log holds them.
void LogVerifier::checkRealTimeAtEnd()
{
    if (m_expected) {
        checkRealTimeBetween(m_highest, *m_expected);
        return;
    }
    compareRealTime(realTimeHeldFrom(std::uint64_t(m_highest + 1), 1), [this] {
        return m_highest < 0 ? std::string("in the log")
                             : "after " + number(std::uint64_t(m_highest));
    });
}

// The run's real-time bytes from `place` on, a `step` at a time (1, or -1 as unsigned for
// those before it), as many as the log holds since the last numbered message.
std::array<std::uint64_t, 8> LogVerifier::realTimeHeldFrom(
    std::uint64_t place, std::uint64_t step) const
{
    std::uint64_t inLog = 0;
    for (const std::uint64_t count : m_realTimeSinceHighest)
        inLog += count;
    std::array<std::uint64_t, 8> expected {};
    // Going back from place 0 wraps round past the largest number, and stops.
    for (; inLog > 0 && place <= LargestSequence && kindAt(m_mix, place) == Kind::RealTime;
         place += step, --inLog)
        ++expected[realTimeByte(place) - 0xF8];
    return expected;
}

// One example a group and fault, its bytes by value ("2 x F8, 1 x FE between #7 and #9"),
// so that a lost cycle reads as one line.
void LogVerifier::compareRealTime(
    const std::array<std::uint64_t, 8> &expected, const std::function<std::string()> &where)
{
    std::array<std::uint64_t, LogReport::FaultCount> counts {};
    std::array<std::string, LogReport::FaultCount> bytes;
    for (std::size_t value = 0; value < expected.size(); ++value) {
        const std::uint64_t found = std::exchange(m_realTimeSinceHighest[value], 0);
        if (found == expected[value])
            continue;
        const bool missing = found < expected[value];
        const LogReport::Fault fault = missing ? LogReport::Missing : LogReport::Unexpected;
        const std::uint64_t count = missing ? expected[value] - found : found - expected[value];
        counts[fault] += count;
        bytes[fault] += (bytes[fault].empty() ? "" : ", ") + std::to_string(count) + " x "
            + logHex(std::uint8_t(0xF8 + value));
    }
    for (const LogReport::Fault fault : {LogReport::Missing, LogReport::Unexpected})
        if (counts[fault] > 0)
            note(fault, bytes[fault] + ' ' + where(), counts[fault]);
}

// The gaps in the numbered messages come first among the examples: they tell most.
void LogVerifier::findMissing()
{
    std::vector<std::string> &examples = m_report.examples[LogReport::Missing];
    const std::vector<std::string> realTimeExamples = std::exchange(examples, {});
    const std::uint64_t end = m_expected.value_or(std::uint64_t(m_highest + 1));
    std::optional<std::pair<std::uint64_t, std::uint64_t>> gap; // first and last missing
    const auto showGap = [&] {
        if (gap && examples.size() < LogReport::ExamplesKept)
            examples.push_back(number(gap->first)
                + (gap->second > gap->first ? " to " + number(gap->second) : ""));
        gap.reset();
    };
    for (std::uint64_t place = m_checkedFrom; place < end; ++place) {
        if (kindAt(m_mix, place) == Kind::RealTime)
            continue;
        if (markOf(place) != NotSeen) {
            showGap();
            continue;
        }
        ++m_report.faults[LogReport::Missing];
        gap = {gap ? gap->first : place, place};
    }
    showGap();
    for (const std::string &example : realTimeExamples)
        if (examples.size() < LogReport::ExamplesKept)
            examples.push_back(example);
}

LogReport LogVerifier::finish()
{
    checkRealTimeAtEnd();
    findMissing();
    if (!m_expected && m_report.lines == 0)
        note(LogReport::Missing, "the log holds no message");
    return std::move(m_report);
}

void LogVerifier::note(LogReport::Fault fault, std::string example, std::uint64_t count)
{
    m_report.faults[fault] += count;
    if (m_report.examples[fault].size() < LogReport::ExamplesKept)
        m_report.examples[fault].push_back(std::move(example));
}

std::string LogVerifier::lineExample(std::string_view line) const
{
    std::string shown(line.substr(0, LongestLineShown));
    std::ranges::replace_if(
        shown, [](char c) { return c == '\r' || c == '\n'; }, ' ');
    if (line.size() > LongestLineShown)
        shown += "...";
    return "line " + std::to_string(m_report.lines) + ": \"" + shown + '"';
}

std::uint64_t placeOfFirstLine(QIODevice &in, Mix mix, std::optional<std::uint64_t> expected)
{
    const qint64 start = in.pos();
    const bool carriesSysEx = mix == Mix::SysEx || mix == Mix::Mixed;
    std::uint64_t lines = 0;
    std::optional<std::uint64_t> place;
    for (; !place && !in.atEnd(); ++lines) {
        const QByteArray line = in.readLine();
        if (const auto header = carriesSysEx ? sysExOnLine(line) : std::nullopt)
            place = header->sequence - std::min(header->sequence, lines);
    }
    in.seek(start);
    const std::uint64_t end = expected.value_or(0);
    return place.value_or(end - std::min(end, lines));
}

LogReport verifyLog(QIODevice &in, Mix mix, std::optional<std::uint64_t> expected)
{
    LogVerifier verifier(
        mix, expected, in.isSequential() ? 0 : placeOfFirstLine(in, mix, expected));
    while (!in.atEnd()) {
        const QByteArray line = in.readLine();
        verifier.addLine(std::string_view(line.constData(), std::size_t(line.size())));
    }
    return verifier.finish();
}

LogReport verifySourceOfLog(
    QIODevice &in, const std::string &source, Mix mix, std::optional<std::uint64_t> expected)
{
    const QByteArray prefix = QByteArray::fromStdString('[' + source + "] ");
    QByteArray lines;
    while (!in.atEnd()) {
        const QByteArray line = in.readLine();
        if (line.startsWith(prefix))
            lines += QByteArrayView(line).sliced(prefix.size());
    }
    QBuffer own(&lines);
    own.open(QIODevice::ReadOnly);
    return verifyLog(own, mix, expected);
}
