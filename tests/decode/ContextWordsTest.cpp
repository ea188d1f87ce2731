#include "export/DetailsText.h"
#include "rows/RowDetails.h"
#include "support/StoredRows.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

// Words that read a row with the controllers before it on its channel: as the grid looks back
// from the row, and as an export notes the rows it passes, which must agree on every row.
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr Origin In = Origin::Received;

StoredRow cc(std::uint8_t number, std::uint8_t value, std::uint8_t channel = 0)
{
    return {In, {std::uint8_t(0xB0 | channel), number, value}};
}

std::vector<StoredRow> rpn(std::uint8_t msb, std::uint8_t lsb, std::vector<StoredRow> then)
{
    std::vector<StoredRow> rows {cc(101, msb), cc(100, lsb)};
    rows.insert(rows.end(), then.begin(), then.end());
    return rows;
}

// The words of every row, by the grid and by a stream, which must be the same.
std::vector<std::string> wordsOf(const CaptureStore &rows)
{
    DetailsText stream(MessageDetails::MiddleC::C4);
    std::vector<std::string> words;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        words.push_back(RowDetails::of(rows, row, MessageDetails::MiddleC::C4).toStdString());
        EXPECT_EQ(std::string(stream.of(rows.at(row))), words.back()) << "row " << row;
    }
    return words;
}

} // namespace

TEST(ContextWords, ReadsSequencesOnTheRowThatCompletesThem)
{
    std::vector<StoredRow> farApart {cc(1, 64)};
    farApart.resize(ChannelMemory::LookBack + 1, {In, {0xF8}});
    farApart.push_back(cc(33, 0));
    const struct
    {
        std::vector<StoredRow> rows;
        std::string lastWords;
        const char *why;
    } cases[] = {
        {rpn(0, 0, {cc(6, 2)}), "RPN 0 Pitch Bend Sensitivity = 2 semitones", "data entry MSB"},
        {rpn(0, 0, {cc(6, 2), cc(38, 50)}), "RPN 0 Pitch Bend Sensitivity = 2 semitones 50 cents",
            "then its LSB"},
        {rpn(0, 1, {cc(6, 0x50)}), "RPN 1 Channel Fine Tuning = +25 cents", "around 2000"},
        {rpn(0, 2, {cc(6, 0x3E)}), "RPN 2 Channel Coarse Tuning = -2 semitones", "around 40"},
        {rpn(0, 6, {cc(6, 15)}), "RPN 6 MPE Configuration = 15 channels", "a zone"},
        {rpn(0, 0, {cc(96, 0)}), "RPN 0 Pitch Bend Sensitivity, increment", "increment"},
        {rpn(0, 0, {cc(97, 0)}), "RPN 0 Pitch Bend Sensitivity, decrement", "decrement"},
        {rpn(0x3D, 0, {cc(6, 1), cc(38, 2)}), "RPN 61/0 (7808) = 1/2 (130)", "unnamed"},
        {{cc(99, 1), cc(98, 8), cc(6, 64)}, "NRPN 1/8 (136) = 64", "non-registered"},
        {{cc(99, 1), cc(98, 8), cc(38, 5)}, "NRPN 1/8 (136) LSB = 5", "LSB without MSB"},
        {{cc(99, 1), cc(98, 8), cc(6, 64), cc(98, 9), cc(38, 5)}, "NRPN 1/9 (137) LSB = 5",
            "an MSB sent for another parameter"},
        {rpn(0, 0, {cc(99, 1), cc(98, 8), cc(6, 3)}), "NRPN 1/8 (136) = 3", "the last chosen"},
        {rpn(0, 0, {cc(6, 3, 1)}), "CC 6 Data Entry MSB: 3", "another channel chose none"},
        {rpn(127, 127, {}), "RPN Null", "null parameter"},
        {rpn(127, 127, {cc(6, 3)}), "CC 6 Data Entry MSB: 3", "data entry after the null"},
        {{cc(1, 64), cc(33, 0)}, "Modulation 14-bit = 8192", "14-bit pair"},
        {{cc(3, 1), cc(35, 2)}, "CC 3 14-bit = 130", "an undefined controller's pair"},
        {{cc(1, 64), cc(33, 0, 2)}, "CC 33 Modulation LSB: 0", "another channel"},
        {{cc(1, 64), {In, {0xB0, 33, 0}, 0, 1}}, "CC 33 Modulation LSB: 0", "another source"},
        {{{Origin::Sent, {0xB0, 1, 64}}, cc(33, 0)}, "CC 33 Modulation LSB: 0", "sent, not in"},
        {farApart, "CC 33 Modulation LSB: 0", "beyond the look back"},
        {{cc(0, 1), cc(32, 0), {In, {0xC0, 4}}}, "Program 5 (raw 4), bank 1/0", "bank select"},
        {{cc(0, 2), {In, {0xC0, 4}}}, "Program 5 (raw 4), bank 2/-", "MSB alone"},
    };
    for (const auto &c : cases) {
        CaptureStore rows;
        store(rows, c.rows);
        EXPECT_EQ(wordsOf(rows).back(), c.lastWords) << c.why;
    }
}

// A long mixed stream, the stream's words against the grid's on every row.
TEST(ContextWords, AStreamReadsEveryRowAsTheGridDoes)
{
    CaptureStore rows;
    QRandomGenerator random(20261207);
    const std::uint8_t numbers[] = {0, 1, 6, 32, 33, 38, 96, 98, 99, 100, 101, 7};
    for (std::uint32_t i = 0; i < 5000; ++i) {
        const std::uint8_t channel = std::uint8_t(random.bounded(2));
        const std::uint8_t value = random.bounded(2) ? 127 : std::uint8_t(random.bounded(128));
        const Bytes bytes = random.bounded(8) == 0
            ? Bytes {std::uint8_t(0xC0 | channel), value}
            : Bytes {std::uint8_t(0xB0 | channel), numbers[random.bounded(int(std::size(numbers)))],
                value};
        rows.append(random.bounded(10) == 0 ? Origin::Sent : In,
            CaptureStore::Source(random.bounded(2)), i, bytes);
    }
    std::string all;
    for (const std::string &words : wordsOf(rows))
        all += words + '\n';
    for (const char *joined : {"\nRPN ", "\nNRPN ", " 14-bit = ", ", bank "})
        EXPECT_NE(all.find(joined), std::string::npos) << joined << " never read";
}
