#pragma once

#include <array>
#include <cstdint>
#include <optional>

// A position of MIDI Time Code.
struct Timecode
{
    enum class Rate : std::uint8_t { Fps24, Fps25, Fps2997Drop, Fps30 };

    int hours = 0, minutes = 0, seconds = 0, frames = 0;
    Rate rate = Rate::Fps24;

    // Whether a clock of that rate can read this: hours 0 to 23, minutes and seconds 0 to
    // 59, frames below the rate, and no frame that drop-frame counting skips.
    bool canBe() const;
    bool operator==(const Timecode &) const = default;
};

// Puts MIDI Time Code together from its quarter frames (F1 0nnn dddd: piece n of eight, each
// four bits of frames, seconds, minutes, hours and rate, low nibble first). A time is known
// once pieces 0 to 7 came in that order; a piece out of order starts the count again, so a
// tape running backwards or a lost piece never yields a wrong time. Nor does a set of pieces
// whose time cannot be: it leaves no time known.
class TimecodeAssembler
{
public:
    void quarterFrame(std::uint8_t data);
    // The time the last whole set of pieces stated.
    const std::optional<Timecode> &time() const { return m_time; }
    void clear();

private:
    std::array<std::uint8_t, 8> m_pieces {};
    int m_nextPiece = 0;
    std::optional<Timecode> m_time;
};
