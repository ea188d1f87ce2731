#include "MessageDetails.h"

#include "DetailWords.h"
#include "SysExDetails.h"
#include "ci/CiParser.h"
#include "midi/MidiMessage.h"

#include <algorithm>
#include <array>
#include <span>
#include <string_view>

namespace MessageDetails {
namespace {

    using Bytes = std::span<const std::uint8_t>;

    // By the high nibble of 80..EF, less 8.
    constexpr std::array<std::string_view, 7> channelKinds = {"Note Off", "Note On",
        "Poly Pressure", "Control Change", "Program Change", "Channel Pressure", "Pitch Bend"};

    // By the low nibble of F0..FF. These names are also the whole words of the messages
    // without data.
    constexpr std::array<std::string_view, 16> systemKinds
        = {"System Exclusive", "MTC Quarter Frame", "Song Position", "Song Select",
            "Undefined System Common F4", "Undefined System Common F5", "Tune Request",
            "End of Exclusive alone", "Timing Clock", "Undefined Real Time F9", "Start", "Continue",
            "Stop", "Undefined Real Time FD", "Active Sensing", "System Reset"};

    // Controllers 0-119; an empty name is an undefined controller. 32-63 carry the LSB of 0-31.
    constexpr std::string_view controllerNames[] = {
        // 0
        "Bank Select MSB", "Modulation", "Breath", "", "Foot", "Portamento Time", "Data Entry MSB",
        "Volume", "Balance", "", "Pan", "Expression", "Effect Control 1", "Effect Control 2", "",
        "", "General Purpose 1", "General Purpose 2", "General Purpose 3", "General Purpose 4", "",
        "", "", "", "", "", "", "", "", "", "", "",
        // 32
        "Bank Select LSB", "Modulation LSB", "Breath LSB", "", "Foot LSB", "Portamento Time LSB",
        "Data Entry LSB", "Volume LSB", "Balance LSB", "", "Pan LSB", "Expression LSB",
        "Effect Control 1 LSB", "Effect Control 2 LSB", "", "", "General Purpose 1 LSB",
        "General Purpose 2 LSB", "General Purpose 3 LSB", "General Purpose 4 LSB", "", "", "", "",
        "", "", "", "", "", "", "", "",
        // 64
        "Sustain", "Portamento", "Sostenuto", "Soft Pedal", "Legato", "Hold 2",
        "Sound Controller 1", "Sound Controller 2", "Sound Controller 3", "Sound Controller 4",
        "Sound Controller 5", "Sound Controller 6", "Sound Controller 7", "Sound Controller 8",
        "Sound Controller 9", "Sound Controller 10", "General Purpose 5", "General Purpose 6",
        "General Purpose 7", "General Purpose 8", "Portamento Control", "", "", "",
        "High Resolution Velocity Prefix", "", "", "Effects 1 Depth", "Effects 2 Depth",
        "Effects 3 Depth", "Effects 4 Depth", "Effects 5 Depth",
        // 96
        "Data Increment", "Data Decrement", "NRPN LSB", "NRPN MSB", "RPN LSB", "RPN MSB", "", "",
        "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", ""};
    static_assert(std::size(controllerNames) == 120);

    constexpr std::uint8_t firstSwitch = 64, lastSwitch = 69, portamentoControl = 84;

    // Channel mode messages, controllers 120-127.
    constexpr std::array<std::string_view, 8> modeNames = {"All Sound Off", "Reset All Controllers",
        "Local Control", "All Notes Off", "Omni Off", "Omni On", "Mono On", "Poly On"};

    constexpr std::uint8_t firstMode = 120, localControl = 122, monoOn = 126;

    // The four bits of time each quarter frame piece carries.
    constexpr std::array<std::string_view, 8> quarterFramePieces
        = {"frames low nibble", "frames high nibble", "seconds low nibble", "seconds high nibble",
            "minutes low nibble", "minutes high nibble", "hours low nibble", "hours high bit"};

    std::string_view nameOf(std::uint8_t status)
    {
        return status >= 0xF0 ? systemKinds[status & 0x0F] : channelKinds[(status >> 4) - 8];
    }

    DetailWords &addNote(DetailWords &words, std::uint8_t note, MiddleC middleC)
    {
        constexpr std::array<std::string_view, 12> names
            = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
        const int octaveOfNoteZero = middleC == MiddleC::C4 ? -1 : -2;
        return words << names[note % 12] << (note / 12 + octaveOfNoteZero);
    }

    DetailWords &addSwitch(DetailWords &words, std::uint8_t value)
    {
        return words << (value >= 64 ? "on" : "off");
    }

    // All eight say they are channel modes, as the event column says of 121-127 only.
    void addChannelMode(DetailWords &words, std::uint8_t number, std::uint8_t value)
    {
        words << "Channel Mode: " << modeNames[number - firstMode];
        if (number == localControl)
            addSwitch(words << ' ', value);
        else if (number == monoOn && value == 0)
            words << ", as many channels as voices";
        else if (number == monoOn)
            (words << ", ").addCount(value, "channel");
    }

    void addController(DetailWords &words, std::uint8_t number, std::uint8_t value, MiddleC middleC)
    {
        words << "CC " << int(number) << ' ';
        if (number >= firstMode) {
            addChannelMode(words, number, value);
            return;
        }
        const std::string_view name = controllerName(number);
        words << (name.empty() ? "Undefined" : name) << ": ";
        if (number >= firstSwitch && number <= lastSwitch)
            addSwitch(words, value);
        else if (number == portamentoControl) // the value is the note the glide starts from
            addNote(words << "from ", value, middleC);
        else
            words << int(value);
    }

    void addChannelWords(DetailWords &words, std::uint8_t status, std::uint8_t data1,
        std::uint8_t data2, MiddleC middleC)
    {
        switch (status >> 4) {
        case 0x8:
        case 0x9:
            addNote(words, data1, middleC) << " velocity " << int(data2);
            if (status >> 4 == 0x9 && data2 == 0) // what the event column calls it, too
                words << " (Note Off)";
            break;
        case 0xA:
            addNote(words, data1, middleC) << " pressure " << int(data2);
            break;
        case 0xB:
            addController(words, data1, data2, middleC);
            break;
        case 0xC:
            words << "Program " << data1 + 1 << " (raw " << int(data1) << ')';
            break;
        case 0xD:
            words << "Pressure " << int(data1);
            break;
        case 0xE:
            words << "Bend ";
            words.addSigned(((data2 << 7) | data1) - 0x2000);
            break;
        }
    }

    // A quarter frame's data byte is 0ppp vvvv: piece, then four bits of the time.
    void addQuarterFrame(DetailWords &words, std::uint8_t data)
    {
        const int piece = data >> 4, value = data & 0x0F;
        words << "MTC Quarter Frame, " << quarterFramePieces[piece] << ' ';
        if (piece < 7)
            words << value;
        else // 0rrh: the top bit of the hours, then the frame rate
            words << (value & 0x01) << ", " << timeCodeRates[(value >> 1) & 0x03];
    }

    void addSystemWords(
        DetailWords &words, std::uint8_t status, std::uint8_t data1, std::uint8_t data2)
    {
        switch (status) {
        case 0xF1:
            addQuarterFrame(words, data1);
            break;
        case 0xF2: // in MIDI beats of six clocks, a sixteenth note each
            (words << "Song Position ").addCount((data2 << 7) | data1, "beat");
            break;
        case 0xF3:
            words << "Song Select " << int(data1);
            break;
        default:
            words << nameOf(status);
        }
    }

    // Everything with a status but SysEx: short or malformed data is named, not read.
    void addShortMessage(DetailWords &words, Bytes bytes, MiddleC middleC)
    {
        const std::uint8_t status = bytes.front();
        const std::string_view name = nameOf(status);
        const std::size_t dataBytes = std::size_t(messageLength(status) - 1);
        const Bytes data = bytes.subspan(1);
        if (data.size() < dataBytes) {
            words << name << ", incomplete (" << int(data.size()) << " of " << int(dataBytes)
                  << " data bytes)";
            return;
        }
        const Bytes needed = data.first(dataBytes);
        if (const auto stray = std::ranges::find_if(needed, isStatusByte); stray != needed.end()) {
            (words << name << ", invalid data byte ").addHex(*stray);
            return;
        }
        const std::uint8_t data1 = needed.empty() ? 0 : needed[0];
        const std::uint8_t data2 = needed.size() < 2 ? 0 : needed[1];
        if (status < 0xF0)
            addChannelWords(words, status, data1, data2, middleC);
        else
            addSystemWords(words, status, data1, data2);
        if (data.size() > needed.size())
            (words << ", ").addCount(data.size() - needed.size(), "extra byte");
    }

} // namespace

std::string_view controllerName(std::uint8_t number)
{
    return number < std::size(controllerNames) ? controllerNames[number] : std::string_view();
}

QString describe(Bytes bytes, MiddleC middleC)
{
    if (bytes.empty())
        return {};
    DetailWords words;
    if (!isStatusByte(bytes.front()))
        words.addCount(bytes.size(), "byte") << " without a status";
    else if (bytes.front() == SysExStatus)
        // The header words need the first bytes only: a dump of megabytes costs no more. A
        // Capability Inquiry message is read whole, its fields running to its end.
        SysExDetails::describe(words,
            ci::isCapabilityInquiry(bytes) ? bytes
                                           : bytes.first(std::min<std::size_t>(bytes.size(), 64)),
            bytes.size());
    else
        addShortMessage(words, bytes, middleC);
    return words.take();
}

} // namespace MessageDetails
