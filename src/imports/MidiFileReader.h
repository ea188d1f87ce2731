#pragma once

#include <QByteArrayView>
#include <QString>

class ImportedRows;
struct TaskProgress;

// Reads a Standard MIDI File of format 0 or 1 as rows: its events in the order they play,
// each stamped by the file's tempo map (every track's tempo changes, or the frames of a
// SMPTE division) from the file's start. The rules it reads by:
// - a track is a run of events, each after a delta time of at most four bytes;
// - a data byte where a status should be reuses the status of the channel message before it,
//   which a SysEx or meta event cancels;
// - a meta event (FF) is no traffic: a tempo change times what follows, End of Track ends the
//   track, the rest are passed over;
// - F0 and a length holds a SysEx; without F7 at its end, the F7 packets that follow carry the
//   rest of it, up to the one that ends with F7;
// - F7 and a length outside a SysEx holds bytes to send as they are ("escape"): they are read
//   as a MIDI byte stream, each message in them a row;
// - chunks of other kinds than MTrk are passed over.
// Anything else, or a length that reaches past its chunk, refuses the whole file.
namespace MidiFileReader {

// Whether the bytes begin as a Standard MIDI File does.
bool isMidiFile(QByteArrayView start);

// Appends the file's events to `rows`; returns the reason the file is refused, naming the
// offset at fault, or an empty text. `progress` counts the bytes read.
QString read(QByteArrayView file, ImportedRows &rows, TaskProgress &progress);

} // namespace MidiFileReader
