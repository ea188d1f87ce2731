#include "ExchangeTracker.h"

#include "CiParser.h"
#include "PropertyHeader.h"

namespace ci {
namespace {

    // Exchanges that never finish are forgotten past this many at once.
    constexpr std::size_t MaxOpen = 256;

    bool isRequest(std::uint8_t subId)
    {
        return subId == 0x34 || subId == 0x36 || subId == 0x38;
    }

    std::string textOf(std::span<const std::uint8_t> bytes)
    {
        return std::string(bytes.begin(), bytes.end());
    }

} // namespace

bool ExchangeTracker::isPropertyData(std::span<const std::uint8_t> message)
{
    if (!isCapabilityInquiry(message) || message.size() < 5)
        return false;
    const std::uint8_t subId = message[4];
    return (subId >= 0x34 && subId <= 0x39) || subId == 0x3F;
}

std::optional<ExchangeContext> ExchangeTracker::take(std::span<const std::uint8_t> message)
{
    m_completedBody.clear();
    m_completedHeader.clear();
    if (!isPropertyData(message))
        return std::nullopt;
    const Reading reading = parse(message);
    if (!reading.message)
        return std::nullopt;
    const Header &header = reading.message->header;
    const auto &data = std::get<PropertyData>(reading.message->payload);
    if (m_assemblies.size() >= MaxOpen || m_requestedResources.size() >= MaxOpen) {
        m_assemblies.clear();
        m_requestedResources.clear();
    }
    Assembly &assembly
        = m_assemblies[{header.source, header.destination, header.subId, data.requestId}];
    if (data.chunk == 1) {
        assembly = Assembly();
        assembly.header = textOf(data.header);
        const PropertyHeader read = readPropertyHeader(data.header);
        assembly.resource = read.resource;
        assembly.encoding = read.encoding;
        if (isRequest(header.subId))
            m_requestedResources[{header.source, header.destination, data.requestId}]
                = assembly.resource;
        else if (const auto asked
                 = m_requestedResources.find({header.destination, header.source, data.requestId});
                 asked != m_requestedResources.end())
            assembly.resource = asked->second;
    } else if (data.chunk != assembly.nextChunk && !assembly.missingChunk) {
        assembly.missingChunk = assembly.nextChunk;
    }
    assembly.nextChunk = std::uint16_t(data.chunk + 1);
    assembly.body.insert(assembly.body.end(), data.body.begin(), data.body.end());
    ExchangeContext context;
    context.resource = assembly.resource;
    if (data.chunk == data.chunkCount) {
        context = finish(assembly);
        m_assemblies.erase({header.source, header.destination, header.subId, data.requestId});
    }
    return context;
}

ExchangeContext ExchangeTracker::finish(Assembly &assembly)
{
    ExchangeContext context;
    context.resource = assembly.resource;
    context.missingChunk = assembly.missingChunk;
    if (context.missingChunk)
        return context;
    DecodedBody decoded = decodeBody(assembly.body, assembly.encoding);
    if (!decoded.bytes) {
        context.problem = decoded.problem;
        return context;
    }
    context.complete = true;
    m_completedBody = std::move(*decoded.bytes);
    m_completedHeader = std::move(assembly.header);
    return context;
}

} // namespace ci
