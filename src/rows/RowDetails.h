#pragma once

#include "capture/CaptureStore.h"
#include "decode/MessageDetails.h"

#include <QString>
#include <cstddef>

// The Details words of one stored row as the grid shows them: its own words, or, for a row
// that completes what earlier controllers of its channel began, the words of both, read from
// the rows above it as far as a channel's memory counts them.
namespace RowDetails {

QString of(const CaptureStore &rows, std::size_t row, MessageDetails::MiddleC middleC);

} // namespace RowDetails
