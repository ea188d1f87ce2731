#pragma once

#include "CiWords.h"

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <tuple>
#include <vector>

namespace ci {

// Puts the chunks of Property Exchange messages back together, taking messages in the order
// they crossed the wire, whoever sent them: a request names the resource its reply answers,
// and the chunks of one request ID between two MUIDs make one body.
class ExchangeTracker
{
public:
    // Notes `message` (any message: only Property Exchange data counts) and says what the
    // messages before tell of it; nothing for a message that is not Property Exchange data.
    std::optional<ExchangeContext> take(std::span<const std::uint8_t> message);

    // The decoded body the last message taken completed; empty when it completed none.
    const std::vector<std::uint8_t> &completedBody() const { return m_completedBody; }
    // The header of its first chunk, as it came.
    const std::string &completedHeader() const { return m_completedHeader; }

    // Whether `message` is one the tracker reads: a Property Exchange request, reply,
    // subscription or notification. Cheap: asked of every row looked back through.
    static bool isPropertyData(std::span<const std::uint8_t> message);

private:
    // Who asked whom, and the request ID.
    using RequestKey = std::tuple<std::uint32_t, std::uint32_t, std::uint8_t>;
    struct Assembly
    {
        std::string header;
        std::string resource;
        std::string encoding; // of the body, as the first chunk's header names it
        std::uint16_t nextChunk = 1;
        std::optional<std::uint16_t> missingChunk;
        std::vector<std::uint8_t> body; // as sent: coded
    };
    using AssemblyKey = std::tuple<std::uint32_t, std::uint32_t, std::uint8_t, std::uint8_t>;

    ExchangeContext finish(Assembly &assembly);

    std::map<RequestKey, std::string> m_requestedResources;
    std::map<AssemblyKey, Assembly> m_assemblies;
    std::vector<std::uint8_t> m_completedBody;
    std::string m_completedHeader;
};

} // namespace ci
