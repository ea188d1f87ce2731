#include "ContextWords.h"

#include "DetailWords.h"

#include <optional>
#include <string_view>

namespace ContextWords {
namespace {

    using Bytes = std::span<const std::uint8_t>;
    using Parameter = ChannelMemory::Parameter;
    using Reading = ContextWords::Reading;

    constexpr std::uint8_t BankMsb = 0, DataEntryMsb = 6, BankLsb = 32, DataEntryLsb = 38;
    constexpr std::uint8_t DataIncrement = 96, RpnLsb = 100, RpnMsb = 101;

    // Registered parameters 00/00 to 00/06, by their LSB.
    constexpr std::string_view registeredNames[] = {"Pitch Bend Sensitivity", "Channel Fine Tuning",
        "Channel Coarse Tuning", "Tuning Program Change", "Tuning Bank Select",
        "Modulation Depth Range", "MPE Configuration"};

    // The LSB of a data entry, when one came after the MSB.
    struct DataValue
    {
        std::uint8_t msb;
        std::optional<std::uint8_t> lsb;
    };

    std::optional<std::string_view> registeredName(const Parameter &parameter)
    {
        if (!parameter.registered || parameter.msb != 0
            || parameter.lsb >= std::size(registeredNames))
            return std::nullopt;
        return registeredNames[parameter.lsb];
    }

    // "RPN 0 Pitch Bend Sensitivity", "NRPN 1/8 (136)".
    void addParameter(DetailWords &words, const Parameter &parameter)
    {
        words << (parameter.registered ? "RPN " : "NRPN ");
        if (const auto name = registeredName(parameter))
            words << int(parameter.lsb) << ' ' << *name;
        else
            words << int(parameter.msb) << '/' << int(parameter.lsb) << " ("
                  << (parameter.msb << 7 | parameter.lsb) << ')';
    }

    // "64", or "64/5 (8197)" with the LSB.
    void addPlainValue(DetailWords &words, DataValue value)
    {
        words << int(value.msb);
        if (value.lsb)
            words << '/' << int(*value.lsb) << " (" << (value.msb << 7 | *value.lsb) << ')';
    }

    // In the units the registered parameters are defined in; an MSB alone leaves the LSB 0.
    void addValue(DetailWords &words, const Parameter &parameter, DataValue value)
    {
        words << " = ";
        const int lsb = value.lsb.value_or(0);
        switch (registeredName(parameter) ? parameter.lsb : 0xFF) {
        case 0: // semitones, and cents in the LSB
            words.addCount(value.msb, "semitone");
            if (value.lsb)
                (words << ' ').addCount(*value.lsb, "cent");
            break;
        case 1: // 14 bits around 0x2000, 8192 steps a semitone
            words.addSignedCount(((value.msb << 7 | lsb) - 0x2000) * 100 / 0x2000, "cent");
            break;
        case 2:
            words.addSignedCount(value.msb - 0x40, "semitone");
            break;
        case 5: // semitones, and 128ths of one in the LSB
            words.addCount(value.msb, "semitone");
            if (value.lsb)
                (words << ' ').addCount(std::size_t(*value.lsb * 100 / 128), "cent");
            break;
        case 6: // the channels of a zone
            words.addCount(value.msb, "channel");
            break;
        default:
            addPlainValue(words, value);
        }
    }

    bool isNull(const Parameter &parameter)
    {
        return parameter.registered && parameter.msb == 127 && parameter.lsb == 127;
    }

    // After the null parameter, receivers ignore data entry: nothing is set.
    bool addDataEntry(DetailWords &words, Bytes message, const Reading &reading)
    {
        if (!reading.parameter || isNull(*reading.parameter))
            return false;
        addParameter(words, *reading.parameter);
        const std::uint8_t number = message[1], value = message[2];
        if (number == DataEntryMsb)
            addValue(words, *reading.parameter, {value, std::nullopt});
        else if (number != DataEntryLsb)
            words << (number == DataIncrement ? ", increment" : ", decrement");
        else if (reading.earlier)
            addValue(words, *reading.parameter, {*reading.earlier, value});
        else
            words << " LSB = " << int(value);
        return true;
    }

    // "Modulation 14-bit = 8192" on the LSB of a controller 0-31.
    bool addPair(DetailWords &words, Bytes message, const Reading &reading)
    {
        if (!reading.earlier)
            return false;
        const std::uint8_t msbNumber = message[1] - 32;
        const std::string_view name = MessageDetails::controllerName(msbNumber);
        if (name.empty())
            words << "CC " << int(msbNumber);
        else
            words << name;
        words << " 14-bit = " << (*reading.earlier << 7 | message[2]);
        return true;
    }

    // ", bank 1/0"; a half that was not sent is "-".
    QString bankWords(const Reading &reading)
    {
        if (!reading.earlier && !reading.second)
            return {};
        DetailWords words;
        words << ", bank ";
        reading.earlier ? words << int(*reading.earlier) : words << '-';
        words << '/';
        reading.second ? words << int(*reading.second) : words << '-';
        return words.take();
    }

    bool addControllerWords(DetailWords &words, Bytes message, const Reading &reading)
    {
        const std::uint8_t number = message[1];
        // The row that makes the registered parameter 7F/7F, whichever half comes last.
        if (number == RpnLsb || number == RpnMsb) {
            if (reading.earlier != 127)
                return false;
            words << "RPN Null";
            return true;
        }
        if (number == DataEntryMsb || number == DataEntryLsb || number >= DataIncrement)
            return addDataEntry(words, message, reading);
        return addPair(words, message, reading);
    }

    std::optional<std::uint8_t> valueOf(std::optional<ChannelMemory::Value> value)
    {
        return value ? std::optional(value->value) : std::nullopt;
    }

    std::uint64_t packed(std::optional<std::uint8_t> value)
    {
        return value ? 0x80u | *value : 0;
    }

} // namespace

std::uint64_t Reading::key() const
{
    const std::uint64_t chosen = parameter ? 1u << 16 | std::uint64_t(parameter->registered) << 15
            | parameter->msb << 7 | parameter->lsb
                                           : 0;
    return chosen << 16 | packed(earlier) << 8 | packed(second);
}

Reading read(Bytes message, const ChannelMemory &memory, std::uint64_t place)
{
    if (!ChannelMemory::readsBack(message))
        return {};
    if (message[0] >> 4 == 0xC)
        return {std::nullopt, valueOf(memory.latest(BankMsb, place)),
            valueOf(memory.latest(BankLsb, place))};
    const std::uint8_t number = message[1];
    if (number == RpnLsb || number == RpnMsb)
        return {std::nullopt, valueOf(memory.latest(number == RpnLsb ? RpnMsb : RpnLsb, place)),
            std::nullopt};
    if (number != DataEntryMsb && number != DataEntryLsb && number < DataIncrement)
        return {std::nullopt, valueOf(memory.latest(number - 32, place)), std::nullopt};
    Reading reading {memory.parameter(place), std::nullopt, std::nullopt};
    // The MSB of a data entry counts only for the parameter chosen before it.
    const auto msb = memory.latest(DataEntryMsb, place);
    if (number == DataEntryLsb && reading.parameter && msb
        && msb->place > reading.parameter->chosenAt)
        reading.earlier = msb->value;
    return reading;
}

QString describe(Bytes message, const Reading &reading, MessageDetails::MiddleC middleC)
{
    if (!ChannelMemory::readsBack(message))
        return MessageDetails::describe(message, middleC);
    if (message[0] >> 4 == 0xC)
        return MessageDetails::describe(message, middleC) + bankWords(reading);
    DetailWords words;
    if (addControllerWords(words, message, reading))
        return words.take();
    return MessageDetails::describe(message, middleC);
}

QString describe(Bytes message, const ChannelMemory &memory, std::uint64_t place,
    MessageDetails::MiddleC middleC)
{
    return describe(message, read(message, memory, place), middleC);
}

} // namespace ContextWords
