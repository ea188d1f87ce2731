#include "KindColours.h"

#include "rows/UmpRows.h"

namespace KindColours {

Kind kindOf(const CapturedMessage &message)
{
    if (message.origin == Origin::SendFailed)
        return Kind::SendFailed;
    if (message.origin == Origin::Sent)
        return Kind::Sent;
    const std::uint8_t status = message.isUmp() ? UmpRows::nearestStatus(message.umpPacket())
        : message.bytes.empty()                 ? 0
                                                : message.bytes.front();
    if (status < 0x80)
        return Kind::Other;
    if (status == 0xF0)
        return Kind::SysEx;
    if (status >= 0xF8)
        return Kind::RealTime;
    if (status >= 0xF1)
        return Kind::SystemCommon;
    switch (status & 0xF0) {
    case 0x80:
    case 0x90:
        return Kind::Note;
    case 0xB0:
        return Kind::Controller;
    case 0xC0:
        return Kind::Program;
    default: // A0, D0, E0
        return Kind::PressureOrBend;
    }
}

QColor tintOf(Kind kind)
{
    // Hues far enough apart to tell, at an alpha that leaves the text its contrast.
    constexpr int Alpha = 48;
    switch (kind) {
    case Kind::Note:
        return QColor(40, 170, 80, Alpha); // green
    case Kind::Controller:
        return QColor(50, 110, 220, Alpha); // blue
    case Kind::Program:
        return QColor(150, 80, 200, Alpha); // violet
    case Kind::PressureOrBend:
        return QColor(20, 170, 170, Alpha); // teal
    case Kind::SystemCommon:
        return QColor(230, 140, 20, Alpha); // orange
    case Kind::RealTime:
        return QColor(128, 128, 128, Alpha); // grey
    case Kind::SysEx:
        return QColor(210, 180, 20, Alpha); // amber
    case Kind::Sent:
        return QColor(120, 120, 230, 32); // faint indigo, whatever was sent
    case Kind::SendFailed:
        return QColor(220, 40, 40, 80); // red, stronger: something went wrong
    case Kind::Other:
        break;
    }
    return {};
}

} // namespace KindColours
