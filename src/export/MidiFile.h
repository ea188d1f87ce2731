#pragma once

#include "ExportFile.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>

class QIODevice;
class CaptureStore;

// The received traffic as a MIDI file that a sequencer can open: ticks are milliseconds (500
// ticks a quarter note at 120 BPM), rounded from the stamps' microseconds, so the file plays
// the messages back with the gaps they arrived with. Traffic of one source makes one track; of
// several, a track for each source, named after it.
namespace MidiFile {

constexpr int TicksPerQuarter = 500;
constexpr std::uint32_t MicrosecondsPerQuarter = 500'000; // 120 BPM
// The largest number a variable-length quantity of four bytes holds.
constexpr std::uint32_t LargestQuantity = 0x0FFF'FFFF;

// What the file holds, and what it leaves out because a file cannot hold it faithfully.
struct Counts
{
    std::size_t messages = 0;
    std::size_t sent = 0; // SENT and SEND ERR rows: not traffic that arrived
    std::size_t system = 0; // real-time and system common messages
    std::size_t sysExWithoutEox = 0; // would read as the first packet of a divided message
    std::size_t withoutStatus = 0; // data bytes that came without a status byte
    // A channel message short of a data byte or with a status byte among them, or a SysEx
    // too long for a length a file can state: writing it would corrupt what follows.
    std::size_t malformed = 0;
    // UMP messages that have no MIDI 1.0 form: MIDI 2.0 channel voice, Flex Data, SysEx8,
    // Stream and Utility messages.
    std::size_t umpWithoutMidi1 = 0;
};

// Writes the whole file to `out`; nothing when the device refused a write (its errorString()
// says why). The first received row starts the time line; with one source, a stamp lower
// than the one before it (the stamps restart when the input is switched) continues it
// without a gap.
std::optional<Counts> write(const CaptureStore &rows, QIODevice &out);

// Writes the file whole or not at all; see SafeFile::saveWhole.
ExportFile::Saved<Counts> save(const CaptureStore &rows, const QString &path);

// "Saved 120 MIDI messages (left out: 3 sent, 2 real-time or system common) to /path/take.mid"
QString savedSentence(const Counts &counts, const QString &path);

} // namespace MidiFile
