#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

// A Capability Inquiry message (universal non-real-time SysEx, sub-ID 1 0D) read into values.
// Spans point into the bytes the message was read from: a value lives no longer than they.
namespace ci {

inline constexpr std::uint32_t BroadcastMuid = 0x0FFFFFFF;
inline constexpr std::uint8_t FunctionBlock = 0x7F; // the device ID of a whole function block
inline constexpr std::uint8_t WholeGroup = 0x7E;

using ManufacturerId = std::array<std::uint8_t, 3>; // a one-byte ID is sent as `id 00 00`
using ProfileId = std::array<std::uint8_t, 5>;
using ProtocolType = std::array<std::uint8_t, 5>;

// Who the message is for and from: the part every CI message begins with.
struct Header
{
    std::uint8_t device = 0; // 00-0F a channel, 7E the group, 7F the function block
    std::uint8_t subId = 0;
    std::uint8_t version = 0; // 01 for CI 1.1, 02 for CI 1.2
    std::uint32_t source = 0, destination = 0; // MUIDs, 28 bits
};

// Discovery and its reply: who answers, and what it can do.
struct Identity
{
    ManufacturerId manufacturer {};
    std::uint16_t family = 0, model = 0; // 14 bits each
    std::array<std::uint8_t, 4> version {};
    std::uint8_t categories = 0;
    std::uint32_t maxSysExSize = 0;
    std::optional<std::uint8_t> outputPath, functionBlock; // from CI 1.2
};

struct EndpointInquiry
{
    std::uint8_t status = 0;
    std::span<const std::uint8_t> data; // the reply's information, empty in the inquiry
};

struct InvalidateMuid
{
    std::uint32_t target = 0;
};

// ACK, and NAK from CI 1.2 (a NAK of CI 1.1 carries nothing: `fields` stays empty).
struct Acknowledgement
{
    struct Fields
    {
        std::uint8_t originalSubId = 0, statusCode = 0, statusData = 0;
        std::array<std::uint8_t, 5> details {};
        std::span<const std::uint8_t> text;
    };
    std::optional<Fields> fields;
};

struct ProtocolNegotiation
{
    std::uint8_t authority = 0;
    std::vector<ProtocolType> protocols; // offered, or the one chosen
};

struct ProfileList
{
    std::vector<ProfileId> enabled, disabled;
};

// One profile, with what the message says of it.
struct Profile
{
    ProfileId id {};
    std::optional<std::uint16_t> channels; // Set On and the reports, from CI 1.2
    std::optional<std::uint8_t> target; // the details inquiry and its reply
    std::span<const std::uint8_t> data; // details or profile-specific data
};

struct PropertyCapabilities
{
    std::uint8_t simultaneousRequests = 0;
    std::optional<std::uint8_t> majorVersion, minorVersion; // from CI 1.2
};

// A Property Exchange request, reply, subscription or notification: one chunk of it.
struct PropertyData
{
    std::uint8_t requestId = 0;
    std::span<const std::uint8_t> header; // JSON, in 7-bit ASCII
    std::uint16_t chunkCount = 0, chunk = 0; // a count of 0 means "not known yet"
    std::span<const std::uint8_t> body;
};

struct ProcessCapabilities
{
    std::uint8_t features = 0;
};

// The MIDI Message Report inquiry carries a data control first; its reply does not.
struct MessageReport
{
    std::optional<std::uint8_t> dataControl;
    std::uint8_t system = 0, channelControllers = 0, notes = 0;
};

using Payload = std::variant<std::monostate, Identity, EndpointInquiry, InvalidateMuid,
    Acknowledgement, ProtocolNegotiation, ProfileList, Profile, PropertyCapabilities, PropertyData,
    ProcessCapabilities, MessageReport>;

struct Message
{
    Header header;
    Payload payload;
};

// A message read whole, or which field of it is wrong: "message ends inside the source MUID".
struct Reading
{
    std::optional<Message> message;
    std::string problem;
};

} // namespace ci
