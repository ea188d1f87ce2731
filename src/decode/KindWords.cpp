#include "KindWords.h"

#include <algorithm>

namespace {

using Kind = KindWords::Kind;
using Data = KindWords::Data;

constexpr Kind sysEx[] = {{0xF0, 0xF0}};
constexpr Kind controllers[] = {{0xB0, 0xBF}};
constexpr Kind channelModes[] = {{0xB0, 0xBF, Data::ModeController}};
constexpr Kind notes[] = {{0x80, 0x9F}};
// As the event column tells them apart: a note on of velocity 0 is a note off.
constexpr Kind noteOns[] = {{0x90, 0x9F, Data::VelocityAboveZero}};
constexpr Kind noteOffs[] = {{0x80, 0x8F}, {0x90, 0x9F, Data::VelocityZero}};
constexpr Kind polyPressure[] = {{0xA0, 0xAF}};
constexpr Kind channelPressure[] = {{0xD0, 0xDF}};
constexpr Kind anyPressure[] = {{0xA0, 0xAF}, {0xD0, 0xDF}};
constexpr Kind programs[] = {{0xC0, 0xCF}};
constexpr Kind bends[] = {{0xE0, 0xEF}};
constexpr Kind timeCode[] = {{0xF1, 0xF1}};
constexpr Kind songPosition[] = {{0xF2, 0xF2}};
constexpr Kind songSelect[] = {{0xF3, 0xF3}};
constexpr Kind tuneRequest[] = {{0xF6, 0xF6}};
constexpr Kind systemCommon[] = {{0xF1, 0xF7}};
constexpr Kind clock[] = {{0xF8, 0xF8}};
constexpr Kind start[] = {{0xFA, 0xFA}};
constexpr Kind resume[] = {{0xFB, 0xFB}};
constexpr Kind stop[] = {{0xFC, 0xFC}};
constexpr Kind sensing[] = {{0xFE, 0xFE}};
constexpr Kind reset[] = {{0xFF, 0xFF}};
constexpr Kind realTime[] = {{0xF8, 0xFF}};

struct Named
{
    std::string_view words;
    std::span<const Kind> kinds;
};

constexpr Named names[] = {
    {"SYSEX", sysEx},
    {"SYS EX", sysEx},
    {"SYS-EX", sysEx},
    {"CC", controllers},
    {"CONTROL", controllers},
    {"CONTROLLER", controllers},
    {"CONTROL CHANGE", controllers},
    {"MODE", channelModes},
    {"CHANNEL MODE", channelModes},
    {"NOTE", notes},
    {"NOTES", notes},
    {"NOTE ON", noteOns},
    {"NOTE OFF", noteOffs},
    {"AFTERTOUCH", anyPressure},
    {"PRESSURE", anyPressure},
    {"POLY AFTERTOUCH", polyPressure},
    {"POLY PRESSURE", polyPressure},
    {"KEY PRESSURE", polyPressure},
    {"KEY AFTERTOUCH", polyPressure},
    {"CHANNEL AFTERTOUCH", channelPressure},
    {"CHANNEL PRESSURE", channelPressure},
    {"PROGRAM", programs},
    {"PROGRAM CHANGE", programs},
    {"PATCH", programs},
    {"PC", programs},
    {"BEND", bends},
    {"PITCH", bends},
    {"PITCH BEND", bends},
    {"PITCHBEND", bends},
    {"PITCH WHEEL", bends},
    {"MTC", timeCode},
    {"TIME CODE", timeCode},
    {"TIMECODE", timeCode},
    {"QUARTER FRAME", timeCode},
    {"SONG POSITION", songPosition},
    {"SPP", songPosition},
    {"SONG SELECT", songSelect},
    {"TUNE REQUEST", tuneRequest},
    {"SYSTEM COMMON", systemCommon},
    {"CLOCK", clock},
    {"MIDI CLOCK", clock},
    {"TIMING CLOCK", clock},
    {"START", start},
    {"CONTINUE", resume},
    {"STOP", stop},
    {"ACTIVE SENSING", sensing},
    {"SENSING", sensing},
    {"ACTIVE SENSE", sensing},
    {"RESET", reset},
    {"SYSTEM RESET", reset},
    {"REAL TIME", realTime},
    {"REALTIME", realTime},
};

} // namespace

KindWords::KindWords(std::string_view upperText)
{
    const auto named = std::ranges::find(names, upperText, &Named::words);
    if (named == std::end(names))
        return;
    m_kinds = named->kinds;
    for (const Kind &kind : m_kinds)
        for (int status = kind.firstStatus; status <= kind.lastStatus; ++status)
            m_statuses.set(std::size_t(status));
}

bool KindWords::dataFits(Data data, std::span<const std::uint8_t> message)
{
    switch (data) {
    case Data::Any:
        return true;
    case Data::VelocityAboveZero:
        return message.size() < 3 || message[2] != 0;
    case Data::VelocityZero:
        return message.size() >= 3 && message[2] == 0;
    case Data::ModeController:
        return message.size() >= 2 && message[1] >= 120 && message[1] < 0x80;
    }
    return false;
}

bool KindWords::matches(std::span<const std::uint8_t> message) const
{
    if (message.empty() || !m_statuses[message[0]])
        return false;
    return std::ranges::any_of(m_kinds, [&](const Kind &kind) {
        return message[0] >= kind.firstStatus && message[0] <= kind.lastStatus
            && dataFits(kind.data, message);
    });
}
