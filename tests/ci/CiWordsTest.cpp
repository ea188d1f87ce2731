#include "ci/CiWords.h"

#include "ci/CiParser.h"
#include "decode/MessageDetails.h"

#include <gtest/gtest.h>

// The bytes of each case are laid out by hand after the field tables of Capability Inquiry;
// the words expected are the values those fields hold, read by a person.
namespace {

using Bytes = std::vector<std::uint8_t>;

// Source MUID 0123456 (56 68 48 00, 7 bits a byte, low first) to broadcast, to a function
// block, in CI 1.2 unless told.
Bytes ciMessage(std::uint8_t subId, Bytes payload, std::uint8_t version = 0x02)
{
    Bytes bytes {
        0xF0, 0x7E, 0x7F, 0x0D, subId, version, 0x56, 0x68, 0x48, 0x00, 0x7F, 0x7F, 0x7F, 0x7F};
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    bytes.push_back(0xF7);
    return bytes;
}

std::string head(std::string_view name)
{
    return "MIDI-CI " + std::string(name) + ", CI 1.2, function block, from MUID 0123456 to "
        + "broadcast";
}

struct Case
{
    Bytes bytes;
    std::string words; // after the header's
    const char *why;
};

void expectWords(std::initializer_list<Case> cases)
{
    for (const Case &c : cases) {
        const std::string size = ", " + std::to_string(c.bytes.size()) + " bytes";
        const std::string name(ci::nameOf(c.bytes[4]));
        EXPECT_EQ(MessageDetails::describe(c.bytes).toStdString(), head(name) + c.words + size)
            << c.why;
    }
}

// Identity: manufacturer 00 20 33, family 0x0102 (02 02), model 0x3FFF (7F 7F), version
// 1.2.3.4, categories 0C, max SysEx 0x200 (00 04 00 00).
const Bytes identity {
    0x00, 0x20, 0x33, 0x02, 0x02, 0x7F, 0x7F, 1, 2, 3, 4, 0x0C, 0x00, 0x04, 0x00, 0x00};
const std::string identityWords = ", ID 00 20 33 Access Music Electronics, family 0102 (258), "
                                  "model 3FFF (16383), version 01 02 03 04 (1.2.3.4), "
                                  "categories 0C (profiles, property exchange), max SysEx 512 "
                                  "bytes";

Bytes plus(Bytes bytes, Bytes more)
{
    bytes.insert(bytes.end(), more.begin(), more.end());
    return bytes;
}

} // namespace

TEST(CiWords, ReadsTheHeaderOfEveryMessage)
{
    const Bytes channel {
        0xF0, 0x7E, 0x03, 0x0D, 0x20, 0x01, 0x7F, 0x7F, 0x7F, 0x7F, 0x01, 0x00, 0x00, 0x00, 0xF7};
    EXPECT_EQ(MessageDetails::describe(channel).toStdString(),
        "MIDI-CI Profile Inquiry, CI 1.1, channel 4, from broadcast to MUID 0000001, 15 bytes");
    const Bytes unknown = ciMessage(0x5A, {});
    EXPECT_EQ(MessageDetails::describe(unknown).toStdString(), head("sub-ID 5A") + ", 15 bytes");
}

TEST(CiWords, ReadsDiscoveryAndManagement)
{
    expectWords({
        {ciMessage(0x70, plus(identity, {0x05})), identityWords + ", output path 05",
            "discovery of CI 1.2 carries the output path"},
        {ciMessage(0x71, plus(identity, {0x05, 0x7F})),
            identityWords + ", output path 05, function block 7F", "its reply, the block too"},
        {ciMessage(0x72, {0x00}), ", status 00 (product instance ID)", "endpoint inquiry"},
        {ciMessage(0x73, {0x00, 0x03, 0x00, 'A', 'B', 'C'}),
            ", status 00 (product instance ID) 'ABC'", "endpoint reply, 14-bit length"},
        {ciMessage(0x7E, {0x7F, 0x7F, 0x7F, 0x7F}), ", target broadcast", "invalidate"},
        {ciMessage(0x7D, {0x34, 0x00, 0x00, 1, 2, 3, 4, 5, 0x02, 0x00, 'o', 'k'}),
            ", to Inquiry: Get Property Data, status 00, status data 00, details 01 02 03 04 "
            "05, 'ok'",
            "ACK with its text"},
        {ciMessage(0x7F, {0x35, 0x21, 0x00, 0, 0, 0, 0, 0, 0x00, 0x00}),
            ", to Reply to Get Property Data, status 21 (chunks out of sequence), status data "
            "00, details 00 00 00 00 00",
            "NAK of CI 1.2 with a status"},
    });
    const Bytes v11 = ciMessage(0x7F, {}, 0x01);
    EXPECT_EQ(MessageDetails::describe(v11).toStdString(),
        "MIDI-CI NAK, CI 1.1, function block, from MUID 0123456 to broadcast, 15 bytes")
        << "a NAK of CI 1.1 carries nothing";
}

TEST(CiWords, ReadsProtocolNegotiationAndProfiles)
{
    const Bytes midi2 {0x02, 0x00, 0x00, 0x00, 0x00}, midi1 {0x01, 0x00, 0x00, 0x00, 0x00};
    const Bytes profile {0x7E, 0x00, 0x01, 0x01, 0x01};
    expectWords({
        {ciMessage(0x10, plus(plus({0x10, 0x02}, midi2), midi1)),
            ", authority 10, MIDI 2.0 or MIDI 1.0", "two protocols offered"},
        {ciMessage(0x11, plus({0x20, 0x01}, midi1)), ", authority 20, MIDI 1.0", "its reply"},
        {ciMessage(0x12, plus({0x10}, midi2)), ", authority 10, MIDI 2.0", "one protocol set"},
        {ciMessage(0x14, plus({0x20}, Bytes(48, 0x01))), ", authority 20", "the test back"},
        {ciMessage(0x13, plus({0x10}, Bytes(48, 0x00))), ", authority 10", "48 bytes of test"},
        {ciMessage(0x15, {0x10}), ", authority 10", "confirmation"},
        {ciMessage(0x21, plus(plus({0x01, 0x00}, profile), {0x00, 0x00})),
            ", enabled 7E 00 01 01 01, disabled none", "one enabled, none disabled"},
        {ciMessage(0x22, plus(profile, {0x10, 0x00})), ", profile 7E 00 01 01 01, 16 channels",
            "set on with a channel count"},
        {ciMessage(0x23, plus(profile, {0x00, 0x00})), ", profile 7E 00 01 01 01",
            "set off, reserved bytes"},
        {ciMessage(0x24, plus(profile, {0x01, 0x00})), ", profile 7E 00 01 01 01, 1 channel",
            "enabled report"},
        {ciMessage(0x25, plus(profile, {0x00, 0x01})), ", profile 7E 00 01 01 01, 128 channels",
            "disabled report: the count's MSB"},
        {ciMessage(0x26, profile), ", profile 7E 00 01 01 01", "added report"},
        {ciMessage(0x27, profile), ", profile 7E 00 01 01 01", "removed report"},
        {ciMessage(0x28, plus(profile, {0x01})), ", profile 7E 00 01 01 01, target 01",
            "details inquiry"},
        {ciMessage(0x29, plus(profile, {0x01, 0x02, 0x00, 9, 9})),
            ", profile 7E 00 01 01 01, target 01, 2 bytes of data", "details reply"},
        {ciMessage(0x2F, plus(profile, {0x03, 0x00, 0x00, 0x00, 1, 2, 3})),
            ", profile 7E 00 01 01 01, 3 bytes of data", "28-bit length of specific data"},
    });
}

TEST(CiWords, ReadsPropertyExchangeAndProcessInquiry)
{
    const std::string request = R"({"resource":"DeviceInfo","resId":"a1"})";
    Bytes get {0x05, std::uint8_t(request.size()), 0x00};
    get.insert(get.end(), request.begin(), request.end());
    get.insert(get.end(), {0x01, 0x00, 0x01, 0x00, 0x00, 0x00});
    const std::string reply = R"({"status":200})";
    Bytes answer {0x05, std::uint8_t(reply.size()), 0x00};
    answer.insert(answer.end(), reply.begin(), reply.end());
    answer.insert(answer.end(), {0x02, 0x00, 0x01, 0x00, 0x02, 0x00, '{', '}'});
    // A header whose strings hold a line break and a letter beyond ASCII, escaped as JSON
    // allows: the words keep to one line of printable ASCII.
    const std::string escaped = R"({"resource":"Dev\nInfo\u00e9"})";
    Bytes odd {0x06, std::uint8_t(escaped.size()), 0x00};
    odd.insert(odd.end(), escaped.begin(), escaped.end());
    odd.insert(odd.end(), {0x01, 0x00, 0x01, 0x00, 0x00, 0x00});
    const std::string asked
        = ", request 5, resource 'DeviceInfo', resId 'a1', chunk 1 of 1, 0 bytes of data";
    const std::string answered = ", request 5, status 200, chunk 1 of 2, 2 bytes of data";
    expectWords({
        {ciMessage(0x30, {0x04, 0x00, 0x00}), ", 4 simultaneous requests, version 0.0",
            "capabilities of CI 1.2"},
        {ciMessage(0x31, {0x7F, 0x00, 0x01}), ", 127 simultaneous requests, version 0.1",
            "their reply"},
        {ciMessage(0x34, get), asked, "get"},
        {ciMessage(0x35, answer), answered, "first chunk of a reply"},
        {ciMessage(0x36, get), asked, "set"},
        {ciMessage(0x37, answer), answered, "set reply"},
        {ciMessage(0x38, get), asked, "subscription"},
        {ciMessage(0x39, answer), answered, "subscription reply"},
        {ciMessage(0x3F, answer), answered, "notify"},
        {ciMessage(0x34, odd), ", request 6, resource 'DevInfo', chunk 1 of 1, 0 bytes of data",
            "escapes in the header"},
        {ciMessage(0x40, {}), "", "process inquiry capabilities"},
        {ciMessage(0x41, {0x01}), ", features 01 (MIDI Message Report)", "its reply"},
        {ciMessage(0x42, {0x7F, 0x07, 0x00, 0x3F, 0x03}),
            ", data control 7F, system 07, channel controllers 3F, notes 03", "report inquiry"},
        {ciMessage(0x43, {0x07, 0x00, 0x3F, 0x03}), ", system 07, channel controllers 3F, notes 03",
            "its reply"},
        {ciMessage(0x44, {}), "", "end of report"},
    });
}

TEST(CiWords, NamesTheFieldAMalformedMessageGoesWrongIn)
{
    const struct
    {
        Bytes bytes;
        const char *words, *why;
    } cases[] = {
        {{0xF0, 0x7E, 0x7F, 0x0D, 0x70, 0x02, 0x01, 0x02, 0xF7},
            "MIDI-CI Discovery: message ends inside the source MUID, 9 bytes", "cut in the MUID"},
        {{0xF0, 0x7E, 0x7F, 0x0D, 0x70, 0xF7},
            "MIDI-CI Discovery: message ends before the CI version, 6 bytes",
            "nothing after sub-ID 2"},
        {ciMessage(0x70, {0x00, 0x20}),
            "MIDI-CI Discovery: message ends inside the manufacturer ID, 17 bytes", "short ID"},
        {ciMessage(0x70, identity),
            "MIDI-CI Discovery: message ends before the output path ID, 31 bytes",
            "CI 1.2 without its output path"},
        {ciMessage(0x35, {0x01, 0x10, 0x00, '{', '}'}),
            "MIDI-CI Reply to Get Property Data: message ends inside the header data, 20 bytes",
            "header shorter than its length says"},
        {ciMessage(0x7E, {0x01, 0x02, 0x83, 0x04}),
            "MIDI-CI Invalidate MUID: a status byte inside the target MUID, 19 bytes, stray "
            "status byte 83",
            "status byte in a value"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MessageDetails::describe(c.bytes).toStdString(), c.words) << c.why;
}

TEST(CiParser, ReadsTheValuesOfAnIdentity)
{
    const ci::Reading reading = ci::parse(ciMessage(0x71, plus(identity, {0x05, 0x01})));
    ASSERT_TRUE(reading.message) << reading.problem;
    EXPECT_EQ(reading.message->header.source, 0x0123456u);
    EXPECT_EQ(reading.message->header.destination, ci::BroadcastMuid);
    const auto &read = std::get<ci::Identity>(reading.message->payload);
    EXPECT_EQ(read.manufacturer, (ci::ManufacturerId {0x00, 0x20, 0x33}));
    EXPECT_EQ(read.family, 0x0102);
    EXPECT_EQ(read.model, 0x3FFF);
    EXPECT_EQ(read.maxSysExSize, 512u);
    EXPECT_EQ(read.functionBlock, 0x01);
}

TEST(MessageDetails, ReadsAnIdentityReplyWhole)
{
    // Manufacturer 43, family 0x0041 (41 00), model 0x0123 (23 02), version 1.0.10.0.
    const Bytes yamaha {
        0xF0, 0x7E, 0x10, 0x06, 0x02, 0x43, 0x41, 0x00, 0x23, 0x02, 0x01, 0x00, 0x0A, 0x00, 0xF7};
    EXPECT_EQ(MessageDetails::describe(yamaha).toStdString(),
        "Universal Non-Real-Time, device 10, Identity Reply from ID 43 Yamaha, family 0041 (65), "
        "model 0123 (291), version 01 00 0A 00 (1.0.10.0), 15 bytes");
    const Bytes threeByteId {
        0xF0, 0x7E, 0x7F, 0x06, 0x02, 0x00, 0x20, 0x33, 0x7F, 0x7F, 0x00, 0x00, 1, 2, 3, 4, 0xF7};
    EXPECT_EQ(MessageDetails::describe(threeByteId).toStdString(),
        "Universal Non-Real-Time, all devices, Identity Reply from ID 00 20 33 Access Music "
        "Electronics, family 3FFF (16383), model 0000 (0), version 01 02 03 04 (1.2.3.4), 17 "
        "bytes");
}
