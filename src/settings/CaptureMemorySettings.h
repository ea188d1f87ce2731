#pragma once

#include "capture/CaptureLimit.h"

#include <QString>

class cInifile;

// The memory limit of a capture in a section of its own, [Capture Memory]: LimitRows and
// LimitMinutes, 0 for none.
namespace CaptureMemorySettings {

// A value the file does not hold, or holds wrongly, leaves the default.
CaptureLimit read(cInifile &ini);
// Why writing failed, or an empty text.
QString write(cInifile &ini, const CaptureLimit &limit);

} // namespace CaptureMemorySettings
