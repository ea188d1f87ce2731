#include "ChannelMemory.h"

namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::uint8_t BankLsb = 32, DataEntryMsb = 6, DataIncrement = 96, DataDecrement = 97;
constexpr std::uint8_t NrpnLsb = 98, NrpnMsb = 99, RpnLsb = 100, RpnMsb = 101;

bool isControlChange(Bytes message)
{
    return message.size() == 3 && message[0] >> 4 == 0xB && message[1] < 0x80 && message[2] < 0x80;
}

} // namespace

// A control change or a program change.
bool ChannelMemory::controllerReadsBack(Bytes message)
{
    if (message.size() == 2 && message[0] >> 4 == 0xC)
        return message[1] < 0x80;
    if (!isControlChange(message))
        return false;
    const std::uint8_t number = message[1];
    // 32 is the bank LSB: it is read with the program change, not as half of a value.
    return (number > BankLsb && number < 64) || number == DataEntryMsb || number == DataIncrement
        || number == DataDecrement || ((number == RpnLsb || number == RpnMsb) && message[2] == 127);
}

std::optional<std::size_t> ChannelMemory::slotOf(std::uint8_t number)
{
    if (number <= BankLsb)
        return number;
    if (number >= NrpnLsb && number <= RpnMsb)
        return FirstParameterSlot + (number - NrpnLsb);
    return std::nullopt;
}

void ChannelMemory::take(Bytes message, std::uint64_t place)
{
    if (!isControlChange(message))
        return;
    if (const auto slot = slotOf(message[1]))
        m_noted[*slot] = {place, message[2], true};
}

std::optional<ChannelMemory::Value> ChannelMemory::latest(
    std::uint8_t number, std::uint64_t place) const
{
    const auto slot = slotOf(number);
    if (!slot)
        return std::nullopt;
    const Noted &noted = m_noted[*slot];
    if (!noted.set || noted.place >= place || place - noted.place > LookBack)
        return std::nullopt;
    return Value {noted.value, noted.place};
}

// The kind is that of the controller sent last: a receiver keeps one current parameter.
std::optional<ChannelMemory::Parameter> ChannelMemory::parameter(std::uint64_t place) const
{
    std::optional<Value> last;
    bool registered = false;
    for (const std::uint8_t number : {NrpnLsb, NrpnMsb, RpnLsb, RpnMsb}) {
        const auto value = latest(number, place);
        if (value && (!last || value->place > last->place)) {
            last = value;
            registered = number >= RpnLsb;
        }
    }
    if (!last)
        return std::nullopt;
    const auto msb = latest(registered ? RpnMsb : NrpnMsb, place);
    const auto lsb = latest(registered ? RpnLsb : NrpnLsb, place);
    if (!msb || !lsb)
        return std::nullopt;
    return Parameter {registered, msb->value, lsb->value, last->place};
}
