#pragma once

#include <QByteArrayView>
#include <QString>

class ImportedRows;

// Reads UMP word dumps and MIDI Clip Files into rows. Rows hold MIDI 1.0, so the packets
// that carry it (System, MIDI 1.0 channel voice, SysEx7) become rows of the source named
// after the file and the packet's group ("clip.midi2: group 3"); the clip's timing and
// framing packets give the rows their stamps. Every other packet is left out, and the rows'
// notice says how many and names the first.
namespace UmpFileReader {

bool isUmpFile(QByteArrayView file);

// Returns the reason the file is refused, or an empty text.
QString read(QByteArrayView file, ImportedRows &rows);

} // namespace UmpFileReader
