#pragma once

#include "decode/MessageDetails.h"

#include <cstdint>

// How the grid shows its rows, beyond the seven cells it stores: the choices of the View
// menu that last from run to run. None of them changes a stored cell or an export of the
// text logs.
struct ViewSettings
{
    enum class Time : std::uint8_t {
        SinceStart, // the stamp as stored: milliseconds since the input started
        // The three below share one clock, whatever input a row came from.
        TimeOfDay, // HH:MM:SS.mmm, local time, when the message arrived
        Delta, // milliseconds since the received row before, of any input
        Seconds, // seconds since the capture began, to the microsecond: "12.345678"
    };

    Time time = Time::SinceStart;
    bool details = true;
    MessageDetails::MiddleC middleC = MessageDetails::MiddleC::C4;
    bool source = false; // a column naming the port each row came from or went to
    bool group = false; // a column of the group of each UMP row
    bool colourByKind = true; // rows tinted by their kind of message

    bool operator==(const ViewSettings &) const = default;
};
