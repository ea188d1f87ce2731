#include "CiParser.h"

#include "FieldReader.h"

#include <algorithm>

namespace ci {
namespace {

    using Bytes = std::span<const std::uint8_t>;

    // How the bytes after the header are laid out, shared by the messages that read alike.
    enum class Layout : std::uint8_t {
        Empty,
        Discovery,
        DiscoveryReply,
        EndpointInquiry,
        EndpointReply,
        Invalidate,
        Ack,
        Nak,
        ProtocolOffer,
        ProtocolSet,
        ProtocolTest,
        ProtocolAuthority,
        ProfileInquiryReply,
        ProfileWithChannels, // Set Profile On, the enabled and disabled reports
        ProfileAlone,
        ProfileDetailsInquiry,
        ProfileDetailsReply,
        ProfileSpecificData,
        PropertyCapabilities,
        PropertyData,
        ProcessCapabilities,
        MessageReportInquiry,
        MessageReportReply,
    };

    struct Kind
    {
        std::uint8_t subId;
        std::string_view name;
        Layout layout;
    };

    constexpr Kind kinds[] = {
        {0x10, "Initiate Protocol Negotiation", Layout::ProtocolOffer},
        {0x11, "Reply to Initiate Protocol Negotiation", Layout::ProtocolOffer},
        {0x12, "Set New Protocol", Layout::ProtocolSet},
        {0x13, "Test New Protocol Initiator to Responder", Layout::ProtocolTest},
        {0x14, "Test New Protocol Responder to Initiator", Layout::ProtocolTest},
        {0x15, "Confirmation New Protocol Established", Layout::ProtocolAuthority},
        {0x20, "Profile Inquiry", Layout::Empty},
        {0x21, "Reply to Profile Inquiry", Layout::ProfileInquiryReply},
        {0x22, "Set Profile On", Layout::ProfileWithChannels},
        // CI 1.2 adds two reserved bytes, passed over as any bytes after the last field are.
        {0x23, "Set Profile Off", Layout::ProfileAlone},
        {0x24, "Profile Enabled Report", Layout::ProfileWithChannels},
        {0x25, "Profile Disabled Report", Layout::ProfileWithChannels},
        {0x26, "Profile Added Report", Layout::ProfileAlone},
        {0x27, "Profile Removed Report", Layout::ProfileAlone},
        {0x28, "Profile Details Inquiry", Layout::ProfileDetailsInquiry},
        {0x29, "Reply to Profile Details Inquiry", Layout::ProfileDetailsReply},
        {0x2F, "Profile Specific Data", Layout::ProfileSpecificData},
        {0x30, "Inquiry: Property Exchange Capabilities", Layout::PropertyCapabilities},
        {0x31, "Reply to Property Exchange Capabilities", Layout::PropertyCapabilities},
        {0x34, "Inquiry: Get Property Data", Layout::PropertyData},
        {0x35, "Reply to Get Property Data", Layout::PropertyData},
        {0x36, "Inquiry: Set Property Data", Layout::PropertyData},
        {0x37, "Reply to Set Property Data", Layout::PropertyData},
        {0x38, "Subscription", Layout::PropertyData},
        {0x39, "Reply to Subscription", Layout::PropertyData},
        {0x3F, "Notify", Layout::PropertyData},
        {0x40, "Inquiry: Process Inquiry Capabilities", Layout::Empty},
        {0x41, "Reply to Process Inquiry Capabilities", Layout::ProcessCapabilities},
        {0x42, "Inquiry: MIDI Message Report", Layout::MessageReportInquiry},
        {0x43, "Reply to MIDI Message Report", Layout::MessageReportReply},
        {0x44, "End of MIDI Message Report", Layout::Empty},
        {0x70, "Discovery", Layout::Discovery},
        {0x71, "Reply to Discovery", Layout::DiscoveryReply},
        {0x72, "Inquiry: Endpoint Information", Layout::EndpointInquiry},
        {0x73, "Reply to Endpoint Information", Layout::EndpointReply},
        {0x7D, "ACK", Layout::Ack},
        {0x7E, "Invalidate MUID", Layout::Invalidate},
        {0x7F, "NAK", Layout::Nak},
    };

    const Kind *kindOf(std::uint8_t subId)
    {
        const auto found = std::ranges::find(kinds, subId, &Kind::subId);
        return found == std::end(kinds) ? nullptr : found;
    }

    // Fields that CI 1.2 added at the end of a message.
    bool fromVersion2(const Header &header)
    {
        return header.version >= 2;
    }

    Identity readIdentity(FieldReader &fields, const Header &header, bool reply)
    {
        Identity identity;
        if (const auto id = fields.bytes("manufacturer ID", 3))
            std::ranges::copy(*id, identity.manufacturer.begin());
        identity.family = std::uint16_t(fields.number("device family", 2).value_or(0));
        identity.model = std::uint16_t(fields.number("model number", 2).value_or(0));
        if (const auto version = fields.bytes("software revision", 4))
            std::ranges::copy(*version, identity.version.begin());
        identity.categories = fields.byte("categories supported").value_or(0);
        identity.maxSysExSize = fields.number("maximum SysEx size", 4).value_or(0);
        if (fromVersion2(header)) {
            identity.outputPath = fields.byte("output path ID");
            if (reply)
                identity.functionBlock = fields.byte("function block");
        }
        return identity;
    }

    // A 14-bit length, then that many bytes.
    Bytes readSized(FieldReader &fields, std::string_view length, std::string_view data,
        std::size_t lengthBytes = 2)
    {
        const auto size = fields.number(length, lengthBytes);
        return size ? fields.bytes(data, *size).value_or(Bytes()) : Bytes();
    }

    Acknowledgement readAcknowledgement(FieldReader &fields)
    {
        Acknowledgement::Fields ack;
        ack.originalSubId = fields.byte("original sub-ID").value_or(0);
        ack.statusCode = fields.byte("status code").value_or(0);
        ack.statusData = fields.byte("status data").value_or(0);
        if (const auto details = fields.bytes("details", 5))
            std::ranges::copy(*details, ack.details.begin());
        ack.text = readSized(fields, "message length", "message text");
        return {ack};
    }

    ProfileId readProfileId(FieldReader &fields)
    {
        ProfileId id {};
        if (const auto bytes = fields.bytes("profile ID", 5))
            std::ranges::copy(*bytes, id.begin());
        return id;
    }

    std::vector<ProfileId> readProfileIds(FieldReader &fields, std::string_view count)
    {
        std::vector<ProfileId> ids(fields.number(count, 2).value_or(0));
        for (ProfileId &id : ids)
            id = readProfileId(fields);
        return fields.failed() ? std::vector<ProfileId>() : ids;
    }

    ProtocolNegotiation readProtocols(FieldReader &fields, std::size_t count)
    {
        ProtocolNegotiation negotiation;
        negotiation.authority = fields.byte("authority level").value_or(0);
        if (count == 0)
            count = fields.byte("number of protocols").value_or(0);
        for (std::size_t i = 0; i < count && !fields.failed(); ++i)
            if (const auto type = fields.bytes("protocol type", 5))
                std::ranges::copy(*type, negotiation.protocols.emplace_back().begin());
        return negotiation;
    }

    Profile readProfile(FieldReader &fields, const Header &header, Layout layout)
    {
        Profile profile;
        profile.id = readProfileId(fields);
        if (layout == Layout::ProfileWithChannels && fromVersion2(header))
            profile.channels = std::uint16_t(fields.number("number of channels", 2).value_or(0));
        else if (layout == Layout::ProfileDetailsInquiry || layout == Layout::ProfileDetailsReply)
            profile.target = fields.byte("inquiry target");
        if (layout == Layout::ProfileDetailsReply)
            profile.data = readSized(fields, "target data length", "target data");
        else if (layout == Layout::ProfileSpecificData)
            profile.data = readSized(fields, "data length", "profile data", 4);
        return profile;
    }

    PropertyData readPropertyData(FieldReader &fields)
    {
        PropertyData data;
        data.requestId = fields.byte("request ID").value_or(0);
        data.header = readSized(fields, "header length", "header data");
        data.chunkCount = std::uint16_t(fields.number("number of chunks", 2).value_or(0));
        data.chunk = std::uint16_t(fields.number("chunk number", 2).value_or(0));
        data.body = readSized(fields, "property data length", "property data");
        return data;
    }

    MessageReport readMessageReport(FieldReader &fields, bool inquiry)
    {
        MessageReport report;
        if (inquiry)
            report.dataControl = fields.byte("message data control");
        report.system = fields.byte("system messages").value_or(0);
        fields.byte("other system messages");
        report.channelControllers = fields.byte("channel controller messages").value_or(0);
        report.notes = fields.byte("note data messages").value_or(0);
        return report;
    }

    Payload readProtocolOrProfile(FieldReader &fields, const Header &header, Layout layout)
    {
        switch (layout) {
        case Layout::ProtocolOffer:
            return readProtocols(fields, 0);
        case Layout::ProtocolSet:
            return readProtocols(fields, 1);
        case Layout::ProtocolTest:
        case Layout::ProtocolAuthority: {
            ProtocolNegotiation negotiation {fields.byte("authority level").value_or(0), {}};
            if (layout == Layout::ProtocolTest)
                fields.bytes("test data", 48);
            return negotiation;
        }
        case Layout::ProfileInquiryReply: {
            ProfileList list;
            list.enabled = readProfileIds(fields, "number of enabled profiles");
            list.disabled = readProfileIds(fields, "number of disabled profiles");
            return list;
        }
        default:
            return readProfile(fields, header, layout);
        }
    }

    Payload readPayload(FieldReader &fields, const Header &header, Layout layout)
    {
        switch (layout) {
        case Layout::Empty:
            return {};
        case Layout::Discovery:
        case Layout::DiscoveryReply:
            return readIdentity(fields, header, layout == Layout::DiscoveryReply);
        case Layout::EndpointInquiry:
            return EndpointInquiry {fields.byte("status").value_or(0), {}};
        case Layout::EndpointReply: {
            const std::uint8_t status = fields.byte("status").value_or(0);
            return EndpointInquiry {status, readSized(fields, "information length", "information")};
        }
        case Layout::Invalidate:
            return InvalidateMuid {fields.number("target MUID", 4).value_or(0)};
        case Layout::Ack:
            return readAcknowledgement(fields);
        case Layout::Nak:
            return fromVersion2(header) ? readAcknowledgement(fields) : Acknowledgement();
        case Layout::PropertyCapabilities: {
            PropertyCapabilities capabilities;
            capabilities.simultaneousRequests = fields.byte("simultaneous requests").value_or(0);
            if (fromVersion2(header)) {
                capabilities.majorVersion = fields.byte("major version");
                capabilities.minorVersion = fields.byte("minor version");
            }
            return capabilities;
        }
        case Layout::PropertyData:
            return readPropertyData(fields);
        case Layout::ProcessCapabilities:
            return ProcessCapabilities {fields.byte("supported features").value_or(0)};
        case Layout::MessageReportInquiry:
        case Layout::MessageReportReply:
            return readMessageReport(fields, layout == Layout::MessageReportInquiry);
        default:
            return readProtocolOrProfile(fields, header, layout);
        }
    }

    Header readHeader(FieldReader &fields)
    {
        Header header;
        fields.bytes("universal ID", 1);
        header.device = fields.byte("device ID").value_or(0);
        fields.bytes("sub-ID 1", 1);
        header.subId = fields.byte("sub-ID 2").value_or(0);
        header.version = fields.byte("CI version").value_or(0);
        header.source = fields.number("source MUID", 4).value_or(0);
        header.destination = fields.number("destination MUID", 4).value_or(0);
        return header;
    }

} // namespace

bool isCapabilityInquiry(std::span<const std::uint8_t> message)
{
    return message.size() >= 4 && message[0] == 0xF0 && message[1] == 0x7E && message[2] < 0x80
        && message[3] == 0x0D;
}

std::string_view nameOf(std::uint8_t subId)
{
    const Kind *kind = kindOf(subId);
    return kind ? kind->name : std::string_view();
}

Reading parse(std::span<const std::uint8_t> message)
{
    if (!isCapabilityInquiry(message))
        return {std::nullopt, "not a Capability Inquiry message"};
    const bool closed = message.back() == 0xF7;
    FieldReader fields(message.subspan(1, message.size() - (closed ? 2 : 1)));
    Message read {readHeader(fields), {}};
    if (const Kind *kind = kindOf(read.header.subId); kind && !fields.failed())
        read.payload = readPayload(fields, read.header, kind->layout);
    if (fields.failed())
        return {std::nullopt, fields.problem()};
    return {read, {}};
}

} // namespace ci
