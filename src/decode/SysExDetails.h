#pragma once

#include "DetailWords.h"
#include "ci/CiWords.h"

#include <cstdint>
#include <span>

// The words of a System Exclusive message: who it is for (a manufacturer ID and its group, or
// a universal message by device and sub-IDs), its whole size, and whether it ends as it should.
namespace SysExDetails {

// `bytes` start with F0 and may be only the first bytes of a message of `byteCount` bytes;
// the header words come from whatever is there, the end is judged only when all of it is.
// A Capability Inquiry message is read whole, with what `context` says of a chunk.
void describe(DetailWords &words, std::span<const std::uint8_t> bytes, std::size_t byteCount,
    const ci::ExchangeContext *context = nullptr);

} // namespace SysExDetails
