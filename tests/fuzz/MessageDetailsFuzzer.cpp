#include "Require.h"
#include "monitor/MessageDetails.h"

#include <cstdint>

// Any bytes as a grid row's message; the first input byte says how much of a longer message
// the bytes are the start of, and which middle C to use. The words never read past the bytes
// (the sanitizers watch), are empty only for no bytes, and stay on one line.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    RowMessage message;
    message.bytes.assign(data + 1, data + size);
    message.byteCount = message.bytes.size() + (data[0] & 0x7F);
    const auto middleC = data[0] & 0x80 ? MessageDetails::MiddleC::C3 : MessageDetails::MiddleC::C4;
    const QString words = MessageDetails::describe(message, middleC);
    require(words.isEmpty() == message.bytes.empty() && !words.contains(QLatin1Char('\n')));
    return 0;
}
