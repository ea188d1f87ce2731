#include "CiResponder.h"

#include <string_view>

namespace {

using Bytes = JackPeer::Bytes;

// F0 7E 7F 0D, the sub-ID, CI 1.2, MUID 0ABCDEF (6F 1B 2F 05), then the MUID of the one
// asking, copied from the source of its message (bytes 6 to 9).
Bytes header(std::uint8_t subId, const Bytes &asked)
{
    Bytes bytes {0xF0, 0x7E, 0x7F, 0x0D, subId, 0x02, 0x6F, 0x1B, 0x2F, 0x05};
    for (std::size_t at = 6; at < 10; ++at)
        bytes.push_back(asked[at]);
    return bytes;
}

Bytes plus(Bytes bytes, std::initializer_list<std::uint8_t> more)
{
    bytes.insert(bytes.end(), more);
    return bytes;
}

void append(Bytes &bytes, std::string_view text)
{
    bytes.insert(bytes.end(), text.begin(), text.end());
}

// A reply chunk of request `requestId`: 14-bit lengths, low 7 bits first.
Bytes replyChunk(
    const Bytes &request, std::string_view json, int chunk, int chunks, std::string_view body)
{
    Bytes bytes = header(0x35, request);
    bytes.insert(bytes.end(), {request[14], std::uint8_t(json.size()), 0x00});
    append(bytes, json);
    bytes.insert(bytes.end(),
        {std::uint8_t(chunks), 0x00, std::uint8_t(chunk), 0x00, std::uint8_t(body.size()), 0x00});
    append(bytes, body);
    bytes.push_back(0xF7);
    return bytes;
}

} // namespace

void CiResponder::answer()
{
    const std::vector<Bytes> received = m_peer.received();
    for (; m_answered < received.size(); ++m_answered) {
        const Bytes &message = received[m_answered];
        if (message.size() < 16 || message[0] != 0xF0 || message[1] != 0x7E || message[3] != 0x0D)
            continue;
        if (message[4] == 0x70 && message.size() >= 32)
            answerDiscovery(message);
        else if (message[4] == 0x30) // Property Exchange capabilities: 4 requests, version 0.0
            m_peer.send("out", plus(header(0x31, message), {0x04, 0x00, 0x00, 0xF7}));
        else if (message[4] == 0x34)
            answerGet(message);
    }
}

void CiResponder::answerDiscovery(const Bytes &inquiry)
{
    Bytes reply = header(0x71, inquiry);
    reply.insert(reply.end(),
        {0x00, 0x21, 0x09, // manufacturer
            0x01, 0x00, 0x02, 0x00, // family 1, model 2
            0x01, 0x00, 0x00, 0x00, // version
            0x08, // categories: Property Exchange
            0x00, 0x04, 0x00, 0x00, // max SysEx 512
            inquiry[30], 0x00, 0xF7}); // output path, function block 0
    m_peer.send("out", reply);
}

void CiResponder::answerGet(const Bytes &request)
{
    const std::string_view text(reinterpret_cast<const char *>(request.data()), request.size());
    if (text.find(R"({"resource":"DeviceInfo"})") == std::string_view::npos) {
        m_peer.send(
            "out", replyChunk(request, R"({"status":404,"message":"no such resource"})", 1, 1, ""));
        return;
    }
    const std::string_view body(Body);
    m_peer.send("out", replyChunk(request, R"({"status":200})", 1, 2, body.substr(0, 20)));
    m_peer.send("out", replyChunk(request, "", 2, 2, body.substr(20)));
}
