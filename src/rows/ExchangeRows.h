#pragma once

#include "capture/CaptureStore.h"
#include "ci/ExchangeTracker.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <span>

// The Details words of a Property Exchange row, read with the rows above it: the request a
// reply answers and, on the last chunk, whether every chunk came. The rows looked back
// through are bounded, so a view that asks for a screenful stays cheap.
namespace ExchangeRows {

inline constexpr std::size_t LookBack = 4096;

QString of(const CaptureStore &rows, std::size_t row);

// The words of the next message of a stream, which `tracker` then holds as one it saw.
QString inStream(ci::ExchangeTracker &tracker, std::span<const std::uint8_t> message);

} // namespace ExchangeRows
