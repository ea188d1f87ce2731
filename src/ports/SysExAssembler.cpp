#include "SysExAssembler.h"

#include "MidiMessage.h"

#include <algorithm>

namespace {

std::span<const std::uint8_t> asBytes(const QByteArray &bytes)
{
    return {reinterpret_cast<const std::uint8_t *>(bytes.constData()),
        static_cast<std::size_t>(bytes.size())};
}

} // namespace

void SysExAssembler::feed(std::span<const std::uint8_t> bytes, const Deliver &deliver)
{
    if (bytes.empty())
        return;
    if (isAssembling()) {
        const std::uint8_t first = bytes.front();
        if (bytes.size() == 1 && isRealTimeStatus(first)) {
            deliver(bytes);
            return;
        }
        if (isStatusByte(first) && first != EndOfSysEx) {
            flushPending(deliver);
            feed(bytes, deliver);
            return;
        }
        const auto end = std::find(bytes.begin(), bytes.end(), EndOfSysEx);
        const auto taken = end == bytes.end() ? bytes.size() : std::size_t(end - bytes.begin()) + 1;
        m_pending.append(reinterpret_cast<const char *>(bytes.data()), qsizetype(taken));
        if (end != bytes.end()) {
            flushPending(deliver);
            feed(bytes.subspan(taken), deliver);
        }
        return;
    }
    if (bytes.front() == SysExStatus && bytes.back() != EndOfSysEx) {
        m_pending
            = QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
        return;
    }
    deliver(bytes);
}

void SysExAssembler::flushPending(const Deliver &deliver)
{
    const QByteArray message = std::exchange(m_pending, {});
    deliver(asBytes(message));
}
