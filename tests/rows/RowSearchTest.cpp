#include "rows/RowCells.h"
#include "rows/RowDetails.h"
#include "rows/SearchPass.h"
#include "support/StoredRows.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <vector>

namespace {

// Every row's text made whole and looked at in turn: what the search must agree with.
std::optional<std::size_t> findByReading(const CaptureStore &store, const RowSearch &search,
    std::size_t from, RowSearch::Details details, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t row = (from + i) % count;
        const QString words = details ? RowDetails::of(store, row, *details).toUpper() : QString();
        if (search.matchesUpper(RowCells::row(store, row))
            || search.matchesUpper(words.toStdString())
            || search.kinds().matches(store.at(row).bytes))
            return row;
    }
    return std::nullopt;
}

} // namespace

TEST(RowSearch, FindsRowsAsTheGridShowsThemForwardBackwardAndRound)
{
    CaptureStore rows;
    store(rows,
        {{Origin::Received, {0x90, 0x3C, 0x40}, 1'000},
            {Origin::Received, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}, 2'000},
            {Origin::Received, {0x80, 0x3C, 0x00}, 3'000}, {Origin::Sent, {0x90, 0x3D, 0x40}},
            {Origin::Received, {0xF8}, 5'000}, {Origin::Received, {0x91, 0x0C, 0x12}, 123'000}});
    using Direction = RowSearch::Direction;
    const struct
    {
        const char *text;
        std::size_t from;
        Direction direction;
        std::optional<std::size_t> row;
        const char *why;
    } cases[] = {
        {"note on", 0, Direction::Forward, 0, "letter case does not matter"},
        {"F0 7E", 0, Direction::Forward, 1, "within a byte list"},
        {"90 3c", 1, Direction::Forward, 0, "across two cells, and round past the end"},
        {"90 3d", 1, Direction::Forward, 3, "a blank matches the gap between cells"},
        {"3C", 1, Direction::Forward, 2, "the next one, from the row given"},
        {"3C", 4, Direction::Backward, 2, "backward"},
        {"3C", 1, Direction::Backward, 0, "backward, from the row given"},
        {"SENT", 2, Direction::Backward, 3, "backward round past the start"},
        {"  f8 ", 0, Direction::Forward, 4, "blanks around the text do not count"},
        {"7F 09 01 F7 3", 0, Direction::Forward, std::nullopt, "never across two rows"},
        {"23 91 0c", 0, Direction::Forward, 5, "from the end of a time stamp into the bytes"},
        {"12", 0, Direction::Forward, 5, "within a time stamp or a data byte"},
        {"3 91", 0, Direction::Forward, 5, "a stamp's last digit, then the status"},
        {"1 91", 0, Direction::Forward, std::nullopt, "a stamp that ends otherwise"},
        {"xyz", 2, Direction::Forward, std::nullopt, "not found"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(SearchPass::find(RowSearch(c.text), rows, c.from, c.direction), c.row) << c.why;
}

// What a search learns of statuses and messages never changes what it finds: random texts cut
// from random rows and details, among the rows the grid shows, against reading every row.
TEST(RowSearch, FindsWhatReadingEveryRowFinds)
{
    QRandomGenerator random(20261206);
    CaptureStore store;
    const std::uint8_t statuses[] = {0x80, 0x90, 0x9F, 0xA0, 0xB0, 0xB5, 0xC0, 0xD0, 0xE0, 0xF1,
        0xF2, 0xF3, 0xF6, 0xF7, 0xF8, 0xFE, 0x3C};
    const Ump::Packet umpPackets[] = {{{0x40953C00, 0xFFFF0000}, 2}, // MIDI 2.0 Note On
        {{0xD0100000, 0x05F5E100, 0, 0}, 4}, {{0x30037E7F, 0x09000000}, 2}};
    for (int i = 0; i < 3000; ++i) {
        if (i % 53 == 0) {
            store.appendUmp(Origin::Received, 0, std::int64_t(random.bounded(100'000'000)),
                umpPackets[random.bounded(int(std::size(umpPackets)))]);
            continue;
        }
        const std::uint8_t status = statuses[random.bounded(int(std::size(statuses)))];
        std::vector<std::uint8_t> bytes {status};
        const int data = status < 0x80 ? 0 : int(random.bounded(3));
        for (int d = 0; d < data; ++d)
            bytes.push_back(std::uint8_t(random.bounded(0x80)));
        // Controllers that earlier ones complete, often enough to meet their partners.
        constexpr std::uint8_t joined[] = {0, 1, 6, 32, 33, 38, 96, 98, 99, 100, 101, 120};
        if (bytes.size() == 3 && status >> 4 == 0xB && i % 2)
            bytes[1] = joined[random.bounded(int(std::size(joined)))];
        if (i % 97 == 0)
            bytes = {0xF0, 0x7E, 0x7F, 0x06, std::uint8_t(random.bounded(0x80)), 0xF7};
        const Origin origin
            = i % 41 == 0 ? Origin::Sent : (i % 89 == 0 ? Origin::SendFailed : Origin::Received);
        store.append(origin, 0, std::int64_t(random.bounded(100'000'000)),
            origin == Origin::SendFailed ? std::vector<std::uint8_t> {} : bytes);
    }
    for (int probe = 0; probe < 400; ++probe) {
        const std::size_t row = random.bounded(int(store.size()));
        const auto middleC
            = probe % 8 < 4 ? MessageDetails::MiddleC::C4 : MessageDetails::MiddleC::C3;
        const RowSearch::Details details = probe % 2 ? RowSearch::Details(middleC) : std::nullopt;
        const QString text = probe % 4 == 1 ? RowDetails::of(store, row, middleC)
                                            : QString::fromStdString(RowCells::row(store, row))
                                                  .replace(QLatin1Char('\t'), QLatin1Char(' '));
        if (text.trimmed().isEmpty())
            continue;
        const qsizetype start = random.bounded(int(text.size()));
        const RowSearch search(text.mid(start, 1 + random.bounded(12)));
        if (search.isEmpty())
            continue;
        const std::size_t count = 1 + random.bounded(int(store.size()));
        const std::size_t from = random.bounded(int(count));
        EXPECT_EQ(
            SearchPass::find(search, store, from, RowSearch::Direction::Forward, details, count),
            findByReading(store, search, from, details, count))
            << text.mid(start).toStdString();
    }
}

// The words people type for a kind find its rows whatever the cells say, and sent ones too;
// only the whole text names a kind.
TEST(RowSearch, FindsTheKindsOfMessagesByTheirUsualNames)
{
    CaptureStore rows;
    store(rows,
        {{Origin::Received, {0x90, 0x3C, 0x00}}, {Origin::Received, {0xB0, 0x78, 0x00}},
            {Origin::Received, {0xB0, 0x07, 0x64}}, {Origin::Sent, {0x91, 0x3C, 0x40}},
            {Origin::Received, {0xF0, 0x41, 0xF7}}, {Origin::Received, {0xE0, 0x00, 0x40}},
            {Origin::Received, {0xD0, 0x10}}, {Origin::Received, {0xF8}},
            {Origin::Sent, {0xC0, 0x05}}});
    const std::pair<const char *, std::optional<std::size_t>> cases[] = {
        {"note off", 0}, // a note on of velocity 0
        {"channel mode", 1}, // CC 120, which the event column calls a control change
        {"cc", 1}, {"Note On", 3}, // sent: its row names no kind
        {"sysex", 4}, {"pitch bend", 5}, {"aftertouch", 6}, {"clock", 7}, {"program", 8},
        {"sysex 41", std::nullopt}, // a kind and more is text like any other
    };
    for (const auto &[text, row] : cases)
        EXPECT_EQ(SearchPass::find(RowSearch(text), rows, 0, RowSearch::Direction::Forward), row)
            << text;
    store(rows,
        {{Origin::Received, {0xB0, 101, 0}}, {Origin::Received, {0xB0, 100, 0}},
            {Origin::Received, {0xB0, 6, 2}}});
    EXPECT_EQ(SearchPass::find(RowSearch("sensitivity = 2"), rows, 0, RowSearch::Direction::Forward,
                  MessageDetails::MiddleC::C4),
        11)
        << "details read with the rows before";
}

// A pass that counts says where the row found stands among all the matches, however its
// stretches fall.
TEST(SearchPass, CountsTheMatchesAndTellsWhereTheRowFoundStands)
{
    CaptureStore rows;
    for (int row = 0; row < 10; ++row)
        store(rows,
            {{Origin::Received,
                row % 3 == 1 ? std::vector<std::uint8_t> {0xC0, 0x05}
                             : std::vector<std::uint8_t> {0xF8}}});
    // Program changes at rows 1, 4 and 7.
    using Place = SearchPass::Place;
    constexpr auto Forward = RowSearch::Direction::Forward;
    constexpr auto Backward = RowSearch::Direction::Backward;
    const struct
    {
        std::size_t from;
        RowSearch::Direction direction;
        std::size_t row;
        Place place;
    } cases[] = {
        {0, Forward, 1, {1, 3}}, {5, Forward, 7, {3, 3}}, {8, Forward, 1, {1, 3}}, // round the end
        {4, Forward, 4, {2, 3}}, // the row it starts from counts
        {5, Backward, 4, {2, 3}}, {0, Backward, 7, {3, 3}}, // round the start
    };
    const RowSearch search("pc");
    for (const auto &c : cases) {
        for (const std::size_t stretch : {std::size_t(1), std::size_t(3), std::size_t(100)}) {
            SearchPass pass(
                search, rows, c.from, c.direction, {}, rows.size(), SearchPass::Counting::Yes);
            while (pass.step(stretch) == SearchPass::State::Going) { }
            ASSERT_EQ(pass.state(), SearchPass::State::Found) << c.from;
            EXPECT_EQ(pass.found(), c.row) << c.from << " by " << stretch;
            EXPECT_EQ(pass.place(), c.place) << c.from << " by " << stretch;
        }
    }
    SearchPass uncounted(search, rows, 8, Forward, {}, rows.size());
    uncounted.step(100);
    EXPECT_EQ(uncounted.place(), (Place {0, 0})) << "no count unless asked";
}
