#include "TimecodeAssembler.h"

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
    m_time = Timecode {both(6) & 0x1F, both(4) & 0x3F, both(2) & 0x3F, both(0) & 0x1F,
        Timecode::Rate(m_pieces[7] >> 1 & 0x3)};
}

void TimecodeAssembler::clear()
{
    m_nextPiece = 0;
    m_time.reset();
}
