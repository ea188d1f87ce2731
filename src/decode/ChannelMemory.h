#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

// What the earlier controllers of one channel (of one source) tell about a later message:
// the MSB a 14-bit LSB completes, the parameter a data entry sets, the bank a program change
// picks. A value counts for LookBack places after its own, so that a reader of the rows
// (looking back that far) and a writer of a stream (noting as it goes) give the same words.
class ChannelMemory
{
public:
    static constexpr std::uint64_t LookBack = 256;

    // A registered or non-registered parameter number, as chosen last.
    struct Parameter
    {
        bool registered;
        std::uint8_t msb, lsb;
        std::uint64_t chosenAt; // the place of the last of its controllers
    };

    // Whether the words of a message depend on the messages before it: asked of every row of
    // a search or an export, so most rows are answered by the status alone.
    static bool readsBack(std::span<const std::uint8_t> message)
    {
        const int kind = message.empty() ? 0 : message[0] >> 4;
        return (kind == 0xB || kind == 0xC) && controllerReadsBack(message);
    }

    // Notes a message of the channel at `place` (a row, or a count in a stream): only the
    // controllers read with later messages are kept. Places only grow.
    void take(std::span<const std::uint8_t> message, std::uint64_t place);

    struct Value
    {
        std::uint8_t value;
        std::uint64_t place; // where it was sent
    };
    // The value controller `number` (0-32 or 98-101) had before `place`, when it still
    // counts there.
    std::optional<Value> latest(std::uint8_t number, std::uint64_t place) const;
    // The parameter number chosen before `place`, when both its halves still count.
    std::optional<Parameter> parameter(std::uint64_t place) const;

private:
    static bool controllerReadsBack(std::span<const std::uint8_t> message);

    struct Noted
    {
        std::uint64_t place = 0;
        std::uint8_t value = 0;
        bool set = false;
    };
    // Controllers 0-31 and 32 (the bank LSB); 98-101 are kept at 33-36.
    static constexpr std::uint8_t FirstParameterSlot = 33;
    static std::optional<std::size_t> slotOf(std::uint8_t number);

    std::array<Noted, 37> m_noted {};
};
