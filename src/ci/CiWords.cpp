#include "CiWords.h"

#include "CiParser.h"
#include "PropertyHeader.h"

#include <array>
#include <cstdio>

namespace ci {
namespace {

    using Bytes = std::span<const std::uint8_t>;

    std::string hex(std::uint32_t value, int digits)
    {
        char text[12];
        std::snprintf(text, sizeof text, "%0*X", digits, unsigned(value));
        return text;
    }

    // "0001 (1)": a 14-bit number in hex and decimal.
    std::string number14(std::uint16_t value)
    {
        return hex(value, 4) + " (" + std::to_string(value) + ')';
    }

    // "1 byte of data", "2 bytes of information".
    std::string bytesOf(std::size_t count, std::string_view what)
    {
        return std::to_string(count) + (count == 1 ? " byte of " : " bytes of ")
            + std::string(what);
    }

    std::string deviceText(std::uint8_t device)
    {
        if (device == FunctionBlock)
            return "function block";
        if (device == WholeGroup)
            return "group";
        if (device < 16)
            return "channel " + std::to_string(device + 1);
        return "device " + hex(device, 2);
    }

    std::string versionText(std::uint8_t version)
    {
        if (version == 1 || version == 2)
            return "CI 1." + std::to_string(version);
        return "CI version " + hex(version, 2);
    }

    // Text a device sent, with anything but printable ASCII left out: the words stay on one
    // line, in the Latin-1 the Details column is made of.
    std::string printable(std::string_view text)
    {
        std::string kept;
        for (const char c : text)
            if (c >= 0x20 && c < 0x7F)
                kept += c;
        return kept;
    }

    std::string quoted(std::string_view text)
    {
        return '\'' + printable(text) + '\'';
    }

    std::string quoted(Bytes text)
    {
        return quoted(std::string_view(reinterpret_cast<const char *>(text.data()), text.size()));
    }

    struct Words
    {
        std::string &out;
        const Header &header;
        ManufacturerNamer manufacturerName;
        const ExchangeContext *context;

        void operator()(std::monostate) const { }
        void operator()(const Identity &identity) const;
        void operator()(const EndpointInquiry &endpoint) const;
        void operator()(const InvalidateMuid &invalidate) const
        {
            out += ", target " + muidText(invalidate.target);
        }
        void operator()(const Acknowledgement &ack) const;
        void operator()(const ProtocolNegotiation &negotiation) const;
        void operator()(const ProfileList &list) const;
        void operator()(const Profile &profile) const;
        void operator()(const PropertyCapabilities &capabilities) const;
        void operator()(const PropertyData &data) const;
        void operator()(const ProcessCapabilities &capabilities) const
        {
            out += ", features " + hex(capabilities.features, 2);
            if (capabilities.features & 0x01)
                out += " (MIDI Message Report)";
        }
        void operator()(const MessageReport &report) const;

        void addChunk(const PropertyData &data) const;
    };

    void Words::operator()(const Identity &identity) const
    {
        out += ", " + identityText(identity, manufacturerName);
    }

    void Words::operator()(const EndpointInquiry &endpoint) const
    {
        out += ", status " + hex(endpoint.status, 2);
        if (endpoint.status == 0x00)
            out += " (product instance ID)";
        if (header.subId != 0x73)
            return;
        if (endpoint.status == 0x00)
            out += ' ' + quoted(endpoint.data);
        else
            out += ", " + bytesOf(endpoint.data.size(), "information");
    }

    std::string_view statusName(std::uint8_t code)
    {
        switch (code) {
        case 0x00:
            return "";
        case 0x01:
            return "CI message not supported";
        case 0x02:
            return "CI version not supported";
        case 0x03:
            return "target not in use";
        case 0x04:
            return "profile not supported";
        case 0x10:
            return "wait";
        case 0x20:
            return "terminate inquiry";
        case 0x21:
            return "chunks out of sequence";
        case 0x40:
            return "error, retry suggested";
        case 0x41:
            return "malformed message";
        case 0x42:
            return "timeout";
        case 0x43:
            return "timeout, retry suggested";
        default:
            return "";
        }
    }

    void Words::operator()(const Acknowledgement &ack) const
    {
        if (!ack.fields)
            return;
        const Acknowledgement::Fields &fields = *ack.fields;
        out += ", to ";
        const std::string_view original = nameOf(fields.originalSubId);
        out += original.empty() ? "sub-ID " + hex(fields.originalSubId, 2) : std::string(original);
        out += ", status " + hex(fields.statusCode, 2);
        if (const std::string_view name = statusName(fields.statusCode); !name.empty())
            out += " (" + std::string(name) + ')';
        out += ", status data " + hex(fields.statusData, 2);
        out += ", details " + hexText(fields.details);
        if (!fields.text.empty())
            out += ", " + quoted(fields.text);
    }

    std::string protocolText(const ProtocolType &type)
    {
        if (type[0] == 0x01 || type[0] == 0x02)
            return "MIDI " + std::to_string(type[0]) + ".0";
        return "protocol " + hex(type[0], 2);
    }

    void Words::operator()(const ProtocolNegotiation &negotiation) const
    {
        out += ", authority " + hex(negotiation.authority, 2);
        for (std::size_t i = 0; i < negotiation.protocols.size(); ++i)
            out += (i == 0 ? ", " : " or ") + protocolText(negotiation.protocols[i]);
    }

    std::string profilesText(const std::vector<ProfileId> &ids)
    {
        if (ids.empty())
            return "none";
        std::string text;
        for (const ProfileId &id : ids)
            text += (text.empty() ? "" : "; ") + hexText(id);
        return text;
    }

    void Words::operator()(const ProfileList &list) const
    {
        out += ", enabled " + profilesText(list.enabled);
        out += ", disabled " + profilesText(list.disabled);
    }

    void Words::operator()(const Profile &profile) const
    {
        out += ", profile " + hexText(profile.id);
        if (profile.channels)
            out += ", " + std::to_string(*profile.channels)
                + (*profile.channels == 1 ? " channel" : " channels");
        if (profile.target)
            out += ", target " + hex(*profile.target, 2);
        if (header.subId == 0x29 || header.subId == 0x2F)
            out += ", " + bytesOf(profile.data.size(), "data");
    }

    void Words::operator()(const PropertyCapabilities &capabilities) const
    {
        out += ", " + std::to_string(capabilities.simultaneousRequests) + " simultaneous requests";
        if (capabilities.majorVersion && capabilities.minorVersion)
            out += ", version " + std::to_string(*capabilities.majorVersion) + '.'
                + std::to_string(*capabilities.minorVersion);
    }

    void Words::operator()(const MessageReport &report) const
    {
        if (report.dataControl)
            out += ", data control " + hex(*report.dataControl, 2);
        out += ", system " + hex(report.system, 2);
        out += ", channel controllers " + hex(report.channelControllers, 2);
        out += ", notes " + hex(report.notes, 2);
    }

    bool isReply(std::uint8_t subId)
    {
        return subId == 0x35 || subId == 0x37 || subId == 0x39;
    }

    void Words::addChunk(const PropertyData &data) const
    {
        out += ", chunk " + std::to_string(data.chunk) + " of "
            + (data.chunkCount ? std::to_string(data.chunkCount) : std::string("?"));
        if (!context || data.chunk != data.chunkCount)
            return;
        if (isReply(header.subId))
            out += ", reply to "
                + (context->resource.empty() ? std::string("an unseen request")
                                             : quoted(context->resource));
        if (context->missingChunk)
            out += ", chunk " + std::to_string(*context->missingChunk) + " missing";
        else if (!context->problem.empty())
            out += ", " + context->problem;
        else if (context->complete)
            out += " complete";
    }

    void Words::operator()(const PropertyData &data) const
    {
        out += ", request " + std::to_string(data.requestId);
        if (!data.header.empty()) {
            const PropertyHeader read = readPropertyHeader(data.header);
            if (!read.isJson)
                out += ", header is not JSON";
            if (!read.resource.empty())
                out += ", resource " + quoted(read.resource);
            if (!read.resId.empty())
                out += ", resId " + quoted(read.resId);
            if (!read.command.empty())
                out += ", command " + printable(read.command);
            if (read.status)
                out += ", status " + std::to_string(*read.status);
            if (!read.message.empty())
                out += ' ' + quoted(read.message);
            if (!read.encoding.empty())
                out += ", " + printable(read.encoding);
        }
        addChunk(data);
        out += ", " + bytesOf(data.body.size(), "data");
    }

} // namespace

std::string muidText(std::uint32_t muid)
{
    return muid == BroadcastMuid ? std::string("broadcast") : "MUID " + hex(muid, 7);
}

std::string categoriesText(std::uint8_t categories)
{
    constexpr std::array<std::string_view, 5> names
        = {"", "protocol negotiation", "profiles", "property exchange", "process inquiry"};
    std::string named;
    for (std::size_t bit = 1; bit < names.size(); ++bit)
        if (categories & (1u << bit))
            named += (named.empty() ? "" : ", ") + std::string(names[bit]);
    return hex(categories, 2) + (named.empty() ? std::string() : " (" + named + ')');
}

std::string hexText(std::span<const std::uint8_t> bytes)
{
    std::string text;
    for (const std::uint8_t byte : bytes)
        text += (text.empty() ? "" : " ") + hex(byte, 2);
    return text;
}

std::string manufacturerText(const ManufacturerId &id, ManufacturerNamer manufacturerName)
{
    std::string text = "ID " + (id[0] == 0 ? hexText(id) : hex(id[0], 2));
    if (const auto name = manufacturerName ? manufacturerName(id) : std::nullopt)
        text += ' ' + std::string(*name);
    return text;
}

std::string identityText(const Identity &identity, ManufacturerNamer manufacturerName)
{
    std::string out = manufacturerText(identity.manufacturer, manufacturerName);
    out += ", family " + number14(identity.family) + ", model " + number14(identity.model);
    const auto &v = identity.version;
    out += ", version " + hexText(v) + " (" + std::to_string(v[0]) + '.' + std::to_string(v[1])
        + '.' + std::to_string(v[2]) + '.' + std::to_string(v[3]) + ')';
    out += ", categories " + categoriesText(identity.categories);
    out += ", max SysEx " + std::to_string(identity.maxSysExSize) + " bytes";
    if (identity.outputPath)
        out += ", output path " + hex(*identity.outputPath, 2);
    if (identity.functionBlock)
        out += ", function block " + hex(*identity.functionBlock, 2);
    return out;
}

std::string describe(std::span<const std::uint8_t> message, ManufacturerNamer manufacturerName,
    const ExchangeContext *context)
{
    const Reading reading = parse(message);
    std::string out = "MIDI-CI";
    if (message.size() > 4 && message[4] < 0x80) {
        const std::string_view name = nameOf(message[4]);
        out += ' ' + (name.empty() ? "sub-ID " + hex(message[4], 2) : std::string(name));
    }
    if (!reading.message)
        return out + ": " + reading.problem;
    const Header &header = reading.message->header;
    out += ", " + versionText(header.version) + ", " + deviceText(header.device);
    out += ", from " + muidText(header.source) + " to " + muidText(header.destination);
    std::visit(Words {out, header, manufacturerName, context}, reading.message->payload);
    return out;
}

} // namespace ci
