#pragma once

#include "capture/CaptureStore.h"

#include <QColor>
#include <cstdint>

// The tint a row of the grid takes by its kind of message, so that notes, controllers and
// clocks stand apart at a glance. The hues are translucent: laid over the view's own base
// colour they read in a light theme and a dark one alike, and the text keeps the theme's
// colour. The Event cell still names every kind, so colour is never the only signal.
namespace KindColours {

enum class Kind : std::uint8_t {
    Note,
    Controller, // control changes and channel mode
    Program,
    PressureOrBend, // key and channel pressure, pitch bend
    SystemCommon,
    RealTime,
    SysEx,
    Sent,
    SendFailed,
    Other, // data bytes without a status
};

Kind kindOf(const CapturedMessage &message);
// The tint of rows of this kind; an invalid colour for a row left as the theme draws it.
QColor tintOf(Kind kind);

} // namespace KindColours
