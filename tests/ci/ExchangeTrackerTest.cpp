#include "ci/ExchangeTracker.h"

#include "ci/Mcoded7.h"
#include "export/DetailsText.h"
#include "rows/RowDetails.h"
#include "rows/SearchPass.h"
#include "support/StoredRows.h"

#include <gtest/gtest.h>

// Property Exchange bodies as they cross the wire: coded, in chunks, answered by request ID.
namespace {

using Bytes = std::vector<std::uint8_t>;

// "{}" deflated as one stored block in a zlib stream: header 78 01, block 01 0002 FFFD, the
// two bytes, then their Adler-32 (0x017500F9), worked out by hand.
const Bytes zlibBraces {
    0x78, 0x01, 0x01, 0x02, 0x00, 0xFD, 0xFF, 0x7B, 0x7D, 0x01, 0x75, 0x00, 0xF9};

Bytes muid(std::uint32_t value)
{
    return {std::uint8_t(value & 0x7F), std::uint8_t(value >> 7 & 0x7F),
        std::uint8_t(value >> 14 & 0x7F), std::uint8_t(value >> 21 & 0x7F)};
}

// A Property Exchange message of request 3 from `source` to `destination`.
Bytes exchange(std::uint8_t subId, std::uint32_t source, std::uint32_t destination,
    std::string_view header, std::uint16_t chunk, std::uint16_t chunks, const Bytes &body)
{
    Bytes bytes {0xF0, 0x7E, 0x7F, 0x0D, subId, 0x02};
    for (const Bytes &id : {muid(source), muid(destination)})
        bytes.insert(bytes.end(), id.begin(), id.end());
    bytes.insert(
        bytes.end(), {0x03, std::uint8_t(header.size() & 0x7F), std::uint8_t(header.size() >> 7)});
    bytes.insert(bytes.end(), header.begin(), header.end());
    bytes.insert(bytes.end(),
        {std::uint8_t(chunks), 0, std::uint8_t(chunk), 0, std::uint8_t(body.size() & 0x7F),
            std::uint8_t(body.size() >> 7)});
    bytes.insert(bytes.end(), body.begin(), body.end());
    bytes.push_back(0xF7);
    return bytes;
}

constexpr std::uint32_t Asker = 0x0000123, Answerer = 0x0ABCDEF;

// A Get of DeviceInfo, answered in three chunks of `body` as `encoding` codes it.
std::vector<StoredRow> getAndReply(const Bytes &coded, std::string_view encoding, bool lose2)
{
    const std::string header = encoding.empty()
        ? std::string(R"({"status":200})")
        : R"({"status":200,"mutualEncoding":")" + std::string(encoding) + "\"}";
    const std::size_t third = (coded.size() + 2) / 3;
    std::vector<StoredRow> rows {
        {Origin::Sent, exchange(0x34, Asker, Answerer, R"({"resource":"DeviceInfo"})", 1, 1, {})},
        {Origin::Received, {0xF8}}};
    for (std::uint16_t chunk = 1; chunk <= 3; ++chunk) {
        const auto from = coded.begin() + std::min(coded.size(), (chunk - 1) * third);
        const auto to = coded.begin() + std::min(coded.size(), chunk * third);
        if (!(lose2 && chunk == 2))
            rows.push_back({Origin::Received,
                exchange(0x35, Answerer, Asker, chunk == 1 ? header : "", chunk, 3, {from, to})});
    }
    return rows;
}

// The words of the last row, by the grid and by an export's stream, which must agree.
std::string lastWords(const std::vector<StoredRow> &stored)
{
    CaptureStore rows;
    store(rows, stored);
    DetailsText stream(MessageDetails::MiddleC::C4);
    for (std::size_t row = 0; row + 1 < rows.size(); ++row)
        stream.of(rows.at(row));
    const std::string grid = RowDetails::of(rows, rows.size() - 1, {}).toStdString();
    EXPECT_EQ(std::string(stream.of(rows.at(rows.size() - 1))), grid);
    return grid;
}

} // namespace

TEST(Mcoded7, CodesTopBitsAheadOfEachGroupOfSeven)
{
    const struct
    {
        Bytes bytes, coded;
        const char *why;
    } cases[] = {
        {{0x80, 0x01, 0xFF}, {0x50, 0x00, 0x01, 0x7F}, "a short group: bits 6 and 4"},
        {{0, 0, 0, 0, 0, 0, 0x81, 0x82}, {0x01, 0, 0, 0, 0, 0, 0, 0x01, 0x40, 0x02},
            "the seventh byte's top bit is bit 0; the eighth starts a group"},
        {{}, {}, "nothing"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Mcoded7::encode(c.bytes), c.coded) << c.why;
        EXPECT_EQ(Mcoded7::decode(c.coded), c.bytes) << c.why;
    }
    EXPECT_FALSE(Mcoded7::decode(Bytes {0x00, 0x80})) << "a status byte is no code";
    EXPECT_FALSE(Mcoded7::decode(Bytes {0x00, 1, 2, 3, 4, 5, 6, 7, 0x40}))
        << "a group of its top bits only";
}

TEST(ExchangeTracker, PutsChunksBackTogetherOnTheLastOne)
{
    const std::string full = ", request 3, chunk 3 of 3, reply to 'DeviceInfo' complete, ";
    const Bytes braces {'{', '}'};
    const Bytes text {'{', '"', 'n', '"', ':', '1', '}'};
    EXPECT_EQ(lastWords(getAndReply(text, "", false)),
        "MIDI-CI Reply to Get Property Data, CI 1.2, function block, from MUID 0ABCDEF to MUID "
        "0000123"
            + full + "1 byte of data, 25 bytes");
    EXPECT_NE(lastWords(getAndReply(Mcoded7::encode(braces), "Mcoded7", false)).find(full),
        std::string::npos);
    EXPECT_NE(lastWords(getAndReply(Mcoded7::encode(zlibBraces), "zlib+Mcoded7", false)).find(full),
        std::string::npos);
    EXPECT_NE(lastWords(getAndReply(text, "", true)).find("reply to 'DeviceInfo', chunk 2 missing"),
        std::string::npos);
    EXPECT_NE(lastWords(getAndReply(Mcoded7::encode(braces), "zlib+Mcoded7", false))
                  .find("reply to 'DeviceInfo', zlib data damaged"),
        std::string::npos);
}

TEST(ExchangeTracker, HandsOverTheDecodedBody)
{
    ci::ExchangeTracker tracker;
    for (const StoredRow &row : getAndReply(Mcoded7::encode(zlibBraces), "zlib+Mcoded7", false))
        tracker.take(row.bytes);
    EXPECT_EQ(tracker.completedBody(), (Bytes {'{', '}'}));
    EXPECT_EQ(tracker.completedHeader(), R"({"status":200,"mutualEncoding":"zlib+Mcoded7"})");
    // A reply from another device, or to another request, answers no request seen.
    const auto context = tracker.take(exchange(0x35, Answerer + 1, Asker, "{}", 1, 1, {}));
    EXPECT_TRUE(tracker.completedBody().empty());
    ASSERT_TRUE(context);
    EXPECT_EQ(context->resource, "");
}

TEST(ExchangeTracker, FindLooksAtAChunkAsTheGridShowsIt)
{
    CaptureStore rows;
    store(rows, getAndReply(Mcoded7::encode(Bytes {'{', '}'}), "Mcoded7", false));
    EXPECT_EQ(SearchPass::find(RowSearch(QStringLiteral("reply to 'DeviceInfo' complete")), rows, 0,
                  RowSearch::Direction::Forward, MessageDetails::MiddleC::C4),
        rows.size() - 1);
}
