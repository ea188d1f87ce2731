#include "Initiator.h"

#include "CiMessage.h"

#include <QRandomGenerator>

namespace ci::Initiator {
namespace {

    using Bytes = std::vector<std::uint8_t>;

    void addNumber(Bytes &bytes, std::uint32_t value, int byteCount)
    {
        for (int i = 0; i < byteCount; ++i)
            bytes.push_back(std::uint8_t(value >> (7 * i) & 0x7F));
    }

    Bytes header(std::uint8_t subId, std::uint32_t source, std::uint32_t destination)
    {
        Bytes bytes {0xF0, 0x7E, FunctionBlock, 0x0D, subId, 0x02};
        addNumber(bytes, source, 4);
        addNumber(bytes, destination, 4);
        return bytes;
    }

} // namespace

std::uint32_t newMuid()
{
    // 0FFFFF00 and up are kept for broadcast and later use.
    return QRandomGenerator::global()->bounded(0x0FFFFF00u);
}

Bytes discovery(std::uint32_t source, std::uint32_t maxSysExSize)
{
    Bytes bytes = header(0x70, source, BroadcastMuid);
    bytes.insert(bytes.end(), {0x7D, 0x00, 0x00}); // manufacturer
    addNumber(bytes, 0, 2); // family
    addNumber(bytes, 0, 2); // model
    addNumber(bytes, 0, 4); // version
    bytes.push_back(0x08); // categories: Property Exchange
    addNumber(bytes, maxSysExSize, 4);
    bytes.push_back(0x00); // output path
    bytes.push_back(0xF7);
    return bytes;
}

Bytes propertyCapabilities(std::uint32_t source, std::uint32_t destination)
{
    Bytes bytes = header(0x30, source, destination);
    bytes.insert(bytes.end(), {0x01, 0x00, 0x00, 0xF7}); // requests, major and minor version
    return bytes;
}

Bytes propertyGet(std::uint32_t source, std::uint32_t destination, std::uint8_t requestId,
    std::string_view resource)
{
    const std::string json = R"({"resource":")" + std::string(resource) + "\"}";
    Bytes bytes = header(0x34, source, destination);
    bytes.push_back(requestId & 0x7F);
    addNumber(bytes, std::uint32_t(json.size()), 2);
    for (const char c : json)
        bytes.push_back(std::uint8_t(c) & 0x7F);
    addNumber(bytes, 1, 2); // chunks
    addNumber(bytes, 1, 2); // this chunk
    addNumber(bytes, 0, 2); // no body
    bytes.push_back(0xF7);
    return bytes;
}

} // namespace ci::Initiator
