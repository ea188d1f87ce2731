#include "Require.h"
#include "decode/MessageDetails.h"

#include <cstdint>

// Any bytes as a message, the first byte choosing the middle C: the words never read past the
// bytes (the sanitizers watch), are empty only for no bytes, and stay on one line.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::span message(data + 1, size - 1);
    const auto middleC = data[0] & 0x80 ? MessageDetails::MiddleC::C3 : MessageDetails::MiddleC::C4;
    const QString words = MessageDetails::describe(message, middleC);
    require(words.isEmpty() == message.empty() && !words.contains(QLatin1Char('\n')));
    return 0;
}
