#pragma once

#include "capture/CaptureLimit.h"

#include <optional>

class QWidget;

// The dialog behind View > "Memory Limit...": how many rows, and how many minutes of them,
// a capture keeps in memory before the oldest go.
namespace MemoryLimitDialog {

std::optional<CaptureLimit> ask(QWidget *parent, const CaptureLimit &current);

} // namespace MemoryLimitDialog
