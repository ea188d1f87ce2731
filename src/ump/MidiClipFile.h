#pragma once

#include "UmpEvent.h"

#include <QByteArrayView>

// A MIDI Clip File: the eight bytes "SMF2CLIP", then a stream of UMP words, most significant
// byte first. Delta Clockstamps say how many ticks pass before the packet after them, at the
// ticks per quarter note of the last Delta Clockstamp Ticks Per Quarter Note, and at the
// tempo of the last Set Tempo (120 BPM before any).
namespace MidiClipFile {

bool isClipFile(QByteArrayView file);

// Every packet of the clip, framing and timing packets too, each stamped with its moment
// in microseconds from the clip's start.
Ump::ReadEvents read(QByteArrayView file);

} // namespace MidiClipFile
