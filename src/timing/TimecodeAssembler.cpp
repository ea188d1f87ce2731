#include "TimecodeAssembler.h"

namespace {

// By Timecode::Rate; 29.97 fps drop counts 30 frames a second, skipping some.
constexpr int FramesPerSecond[] = {24, 25, 30, 30};

} // namespace

bool Timecode::canBe() const
{
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59
        || frames < 0 || frames >= FramesPerSecond[int(rate)])
        return false;
    // Drop-frame counting skips frames 0 and 1 of each minute but every tenth.
    return !(rate == Rate::Fps2997Drop && seconds == 0 && frames < 2 && minutes % 10 != 0);
}

void TimecodeAssembler::quarterFrame(std::uint8_t data)
{
    const int piece = data >> 4 & 0x7;
    if (piece != m_nextPiece) {
        m_nextPiece = 0;
        if (piece != 0)
            return;
    }
    m_pieces[std::size_t(piece)] = data & 0xF;
    m_nextPiece = (piece + 1) % 8;
    if (piece != 7)
        return;
    const auto both = [this](int low) {
        return m_pieces[std::size_t(low)] | m_pieces[std::size_t(low) + 1] << 4;
    };
    const Timecode time {both(6) & 0x1F, both(4) & 0x3F, both(2) & 0x3F, both(0) & 0x1F,
        Timecode::Rate(m_pieces[7] >> 1 & 0x3)};
    m_time = time.canBe() ? std::optional(time) : std::nullopt;
}

void TimecodeAssembler::clear()
{
    m_nextPiece = 0;
    m_time.reset();
}
