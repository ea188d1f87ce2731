#include "SysExDetails.h"

#include "ManufacturerNames.h"
#include "ci/CiParser.h"
#include "midi/MidiMessage.h"

#include <algorithm>
#include <string_view>

namespace SysExDetails {
namespace {

    using Bytes = std::span<const std::uint8_t>;

    // Where a universal message of the form F0 7E/7F <device> <sub-ID 1> <sub-ID 2> carries a
    // value worth reading out, besides its name.
    enum class Value : std::uint8_t {
        None,
        SampleNumber, // 14 bits, LSB first
        PacketNumber, // one byte
        Manufacturer, // the ID of the device that answers
        Level14, // 14 bits, LSB first, 0..16383
        Signed14, // 14 bits around the centre 0x2000
        Semitones, // LSB ignored, MSB around the centre 0x40
        TimeCode, // hours with rate, minutes, seconds, frames
    };

    struct SubId
    {
        std::uint8_t id;
        std::string_view name;
        Value value = Value::None;
    };

    // A sub-ID 1 with either a table of sub-ID 2 names, or a value right after sub-ID 1.
    struct Category
    {
        std::uint8_t id;
        std::string_view name;
        std::span<const SubId> subIds = {};
        Value value = Value::None;
    };

    constexpr SubId sampleDumpExtensions[] = {
        {0x01, "Loop Points"},
        {0x02, "Loop Points Request"},
        {0x03, "Sample Name"},
        {0x04, "Sample Name Request"},
        {0x05, "Extended Dump Header"},
        {0x06, "Extended Loop Points"},
        {0x07, "Extended Loop Points Request"},
    };
    constexpr SubId generalInformation[] = {
        {0x01, "Identity Request"},
        {0x02, "Identity Reply", Value::Manufacturer},
    };
    constexpr SubId fileDump[] = {
        {0x01, "File Dump Header"},
        {0x02, "File Dump Data Packet"},
        {0x03, "File Dump Request"},
    };
    constexpr SubId tuningNonRealTime[] = {
        {0x00, "Bulk Tuning Dump Request"},
        {0x01, "Bulk Tuning Dump"},
        {0x03, "Tuning Dump Request"},
        {0x04, "Key-based Tuning Dump"},
        {0x05, "Scale/Octave Tuning Dump (1 byte)"},
        {0x06, "Scale/Octave Tuning Dump (2 bytes)"},
        {0x07, "Single Note Tuning Change with Bank"},
        {0x08, "Scale/Octave Tuning (1 byte)"},
        {0x09, "Scale/Octave Tuning (2 bytes)"},
    };
    constexpr SubId generalMidi[] = {
        {0x01, "General MIDI 1 System On"},
        {0x02, "General MIDI System Off"},
        {0x03, "General MIDI 2 System On"},
    };
    constexpr SubId downloadableSounds[] = {
        {0x01, "Downloadable Sounds On"},
        {0x02, "Downloadable Sounds Off"},
        {0x03, "DLS Voice Allocation Off"},
        {0x04, "DLS Voice Allocation On"},
    };
    constexpr SubId fileReference[] = {
        {0x01, "File Reference Open"},
        {0x02, "File Reference Select"},
        {0x03, "File Reference Open and Select"},
        {0x04, "File Reference Close"},
    };

    constexpr Category nonRealTime[] = {
        {0x01, "Sample Dump Header", {}, Value::SampleNumber},
        {0x02, "Sample Data Packet", {}, Value::PacketNumber},
        {0x03, "Sample Dump Request", {}, Value::SampleNumber},
        {0x04, "Time Code Cueing"},
        {0x05, "Sample Dump Extension", sampleDumpExtensions},
        {0x06, "General Information", generalInformation},
        {0x07, "File Dump", fileDump},
        {0x08, "MIDI Tuning Standard", tuningNonRealTime},
        {0x09, "General MIDI", generalMidi},
        {0x0A, "Downloadable Sounds", downloadableSounds},
        {0x0B, "File Reference", fileReference},
        {0x0C, "MIDI Visual Control"},
        {0x0D, "Capability Inquiry"},
        // The handshake of sample and file dumps, each with the packet it answers.
        {0x7B, "End of File", {}, Value::PacketNumber},
        {0x7C, "Wait", {}, Value::PacketNumber},
        {0x7D, "Cancel", {}, Value::PacketNumber},
        {0x7E, "NAK", {}, Value::PacketNumber},
        {0x7F, "ACK", {}, Value::PacketNumber},
    };

    constexpr SubId timeCode[] = {
        {0x01, "Time Code Full Message", Value::TimeCode},
        {0x02, "Time Code User Bits"},
    };
    constexpr SubId notationInformation[] = {
        {0x01, "Bar Number"},
        {0x02, "Time Signature"},
        {0x42, "Time Signature (delayed)"},
    };
    constexpr SubId deviceControl[] = {
        {0x01, "Master Volume", Value::Level14},
        {0x02, "Master Balance", Value::Level14},
        {0x03, "Master Fine Tuning", Value::Signed14},
        {0x04, "Master Coarse Tuning", Value::Semitones},
        {0x05, "Global Parameter Control"},
    };
    constexpr SubId machineControlCommands[] = {
        {0x01, "MMC Stop"},
        {0x02, "MMC Play"},
        {0x03, "MMC Deferred Play"},
        {0x04, "MMC Fast Forward"},
        {0x05, "MMC Rewind"},
        {0x06, "MMC Record Strobe"},
        {0x07, "MMC Record Exit"},
        {0x08, "MMC Record Pause"},
        {0x09, "MMC Pause"},
        {0x0A, "MMC Eject"},
        {0x0B, "MMC Chase"},
        {0x0C, "MMC Command Error Reset"},
        {0x0D, "MMC Reset"},
        {0x40, "MMC Write"},
        {0x41, "MMC Masked Write"},
        {0x42, "MMC Read"},
        {0x43, "MMC Update"},
        {0x44, "MMC Locate"},
        {0x45, "MMC Variable Play"},
        {0x46, "MMC Search"},
        {0x47, "MMC Shuttle"},
        {0x48, "MMC Step"},
        {0x49, "MMC Assign System Master"},
        {0x4A, "MMC Generator Command"},
        {0x4B, "MMC Time Code Command"},
        {0x4C, "MMC Move"},
        {0x4D, "MMC Add"},
        {0x4E, "MMC Subtract"},
        {0x4F, "MMC Drop Frame Adjust"},
        {0x50, "MMC Procedure"},
        {0x51, "MMC Event"},
        {0x52, "MMC Group"},
        {0x53, "MMC Command Segment"},
        {0x54, "MMC Deferred Variable Play"},
        {0x55, "MMC Record Strobe Variable"},
        {0x7C, "MMC Wait"},
        {0x7F, "MMC Resume"},
    };
    constexpr SubId tuningRealTime[] = {
        {0x02, "Single Note Tuning Change"},
        {0x07, "Single Note Tuning Change with Bank"},
        {0x08, "Scale/Octave Tuning (1 byte)"},
        {0x09, "Scale/Octave Tuning (2 bytes)"},
    };
    constexpr SubId controllerDestination[] = {
        {0x01, "Channel Pressure Destination"},
        {0x02, "Poly Pressure Destination"},
        {0x03, "Control Change Destination"},
    };

    constexpr Category realTime[] = {
        {0x01, "MIDI Time Code", timeCode},
        {0x02, "MIDI Show Control"},
        {0x03, "Notation Information", notationInformation},
        {0x04, "Device Control", deviceControl},
        {0x05, "Time Code Cueing"},
        {0x06, "MMC Command", machineControlCommands},
        {0x07, "MMC Response"},
        {0x08, "MIDI Tuning Standard", tuningRealTime},
        {0x09, "Controller Destination Setting", controllerDestination},
        {0x0A, "Key-based Instrument Control"},
        {0x0B, "Scalable Polyphony"},
        {0x0C, "Mobile Phone Control"},
    };

    template<typename Entry>
    const Entry *findId(std::span<const Entry> table, std::uint8_t id)
    {
        const auto found = std::ranges::find(table, id, &Entry::id);
        return found == table.end() ? nullptr : &*found;
    }

    void addNameOrGroup(
        DetailWords &words, std::optional<std::string_view> name, std::string_view group)
    {
        if (name)
            words << ' ' << *name;
        else
            words << " (" << group << ')';
    }

    // The region of the ID ranges: the one-byte ID, or the second byte of a three-byte ID.
    std::string_view idRegion(std::uint8_t id)
    {
        if (id < 0x20)
            return "American";
        if (id < 0x40)
            return "European";
        if (id < 0x60)
            return "Japanese";
        return "Other";
    }

    // "ID 41 Roland" or "ID 00 20 33 Access Music Electronics", from the ID's first byte at
    // `at`; an ID the list does not name says its group instead: "ID 45 (Japanese)".
    void addManufacturerId(DetailWords &words, Bytes bytes, std::size_t at)
    {
        const auto first = dataByteAt(bytes, at);
        if (!first)
            return;
        (words << "ID ").addHex(*first);
        if (*first != 0x00) {
            const std::string_view group = *first == 0x7D ? "Non-commercial"
                : *first >= 0x7E                          ? "Universal"
                                                          : idRegion(*first);
            addNameOrGroup(words, ManufacturerNames::ofOneByte(*first), group);
            return;
        }
        const auto second = dataByteAt(bytes, at + 1);
        const auto third = dataByteAt(bytes, at + 2);
        if (!second || !third) {
            words << ", incomplete";
            return;
        }
        (words << ' ').addHex(*second) << ' ';
        words.addHex(*third);
        addNameOrGroup(words, ManufacturerNames::ofThreeByte(*second, *third), idRegion(*second));
    }

    void addTwoDigits(DetailWords &words, int value)
    {
        if (value < 10)
            words << '0';
        words << value;
    }

    // " 01:02:03:04, 25 fps": hours 0rrhhhhh, minutes, seconds, frames.
    void addTimeCode(DetailWords &words, Bytes bytes, std::size_t at)
    {
        int fields[4];
        for (std::size_t i = 0; i < 4; ++i) {
            const auto field = dataByteAt(bytes, at + i);
            if (!field)
                return;
            fields[i] = *field;
        }
        words << ' ';
        addTwoDigits(words, fields[0] & 0x1F);
        for (std::size_t i = 1; i < 4; ++i) {
            words << ':';
            addTwoDigits(words, fields[i]);
        }
        words << ", " << timeCodeRates[(fields[0] >> 5) & 0x03];
    }

    // " family 0041 (65)": a 14-bit number, LSB first, in hex and decimal.
    void addNumber14(DetailWords &words, std::string_view name, int value)
    {
        words << ", " << name << ' ';
        words.addHex(std::uint8_t(value >> 8)).addHex(std::uint8_t(value & 0xFF));
        words << " (" << value << ')';
    }

    // What an identity reply says after the manufacturer ID at `at`: family and model (14
    // bits each) and the software version (4 bytes); nothing unless all of it is there.
    void addIdentity(DetailWords &words, Bytes bytes, std::size_t at)
    {
        at += bytes[at] == 0x00 ? 3 : 1;
        const auto family = data14At(bytes, at);
        const auto model = data14At(bytes, at + 2);
        std::optional<std::uint8_t> version[4];
        for (std::size_t i = 0; i < 4; ++i)
            version[i] = dataByteAt(bytes, at + 4 + i);
        const auto present = [](const std::optional<std::uint8_t> &byte) { return bool(byte); };
        if (!family || !model || !std::ranges::all_of(version, present))
            return;
        addNumber14(words, "family", *family);
        addNumber14(words, "model", *model);
        words << ", version ";
        for (std::size_t i = 0; i < 4; ++i)
            (i ? words << ' ' : words).addHex(*version[i]);
        words << " (" << int(*version[0]);
        for (std::size_t i = 1; i < 4; ++i)
            words << '.' << int(*version[i]);
        words << ')';
    }

    // The value after the name, read from `at`; nothing when it is cut off or malformed.
    void addValue(DetailWords &words, Value value, Bytes bytes, std::size_t at)
    {
        const auto byte = dataByteAt(bytes, at);
        const auto word = data14At(bytes, at);
        switch (value) {
        case Value::None:
            break;
        case Value::SampleNumber:
            if (word)
                words << ", sample " << *word;
            break;
        case Value::PacketNumber:
            if (byte)
                words << ", packet " << int(*byte);
            break;
        case Value::Manufacturer:
            if (byte) {
                addManufacturerId(words << " from ", bytes, at);
                addIdentity(words, bytes, at);
            }
            break;
        case Value::Level14:
            if (word)
                words << ' ' << *word;
            break;
        case Value::Signed14:
            if (word)
                (words << ' ').addSigned(*word - 0x2000);
            break;
        case Value::Semitones:
            if (const auto msb = dataByteAt(bytes, at + 1))
                (words << ' ').addSignedCount(*msb - 0x40, "semitone");
            break;
        case Value::TimeCode:
            addTimeCode(words, bytes, at);
            break;
        }
    }

    // F0 7E/7F <device> <sub-ID 1> [<sub-ID 2>] ...: as far as the bytes go.
    void addUniversal(
        DetailWords &words, Bytes bytes, std::string_view kind, std::span<const Category> table)
    {
        words << kind;
        const auto device = dataByteAt(bytes, 2);
        if (!device)
            return;
        if (*device == 0x7F)
            words << ", all devices";
        else
            (words << ", device ").addHex(*device);
        const auto subId1 = dataByteAt(bytes, 3);
        if (!subId1)
            return;
        const Category *category = findId(table, *subId1);
        if (!category) {
            (words << ", sub-ID ").addHex(*subId1);
            return;
        }
        words << ", ";
        if (category->subIds.empty()) {
            words << category->name;
            addValue(words, category->value, bytes, 4);
            return;
        }
        const auto subId2 = dataByteAt(bytes, 4);
        const SubId *entry = subId2 ? findId(category->subIds, *subId2) : nullptr;
        if (entry) {
            words << entry->name;
            addValue(words, entry->value, bytes, 5);
            return;
        }
        words << category->name;
        if (subId2)
            (words << ", sub-ID ").addHex(*subId2);
    }

    // The whole size, and what is wrong with the end when all of the message is there.
    void addSizeAndEnd(DetailWords &words, Bytes bytes, std::size_t byteCount)
    {
        words << ", ";
        words.addCount(std::max(byteCount, bytes.size()), "byte");
        if (bytes.size() < byteCount)
            return;
        const Bytes inner = bytes.size() > 2 ? bytes.subspan(1, bytes.size() - 2) : Bytes();
        const auto stray = std::ranges::find_if(inner, isStatusByte);
        if (stray != inner.end())
            (words << ", stray status byte ").addHex(*stray);
        if (bytes.size() < 2 || bytes.back() != 0xF7)
            words << ", cut short (no F7 at the end)";
    }

} // namespace

void describe(DetailWords &words, std::span<const std::uint8_t> bytes, std::size_t byteCount,
    const ci::ExchangeContext *context)
{
    const auto id = dataByteAt(bytes, 1);
    if (!id)
        words << "SysEx without an ID";
    else if (ci::isCapabilityInquiry(bytes))
        words << ci::describe(bytes, ManufacturerNames::ofPadded, context);
    else if (*id == 0x7E)
        addUniversal(words, bytes, "Universal Non-Real-Time", nonRealTime);
    else if (*id == 0x7F)
        addUniversal(words, bytes, "Universal Real-Time", realTime);
    else
        addManufacturerId(words << "Manufacturer ", bytes, 1);
    addSizeAndEnd(words, bytes, byteCount);
}

} // namespace SysExDetails
