#pragma once

#include "UmpEvent.h"

#include <QByteArrayView>

// Text of UMP words as tools copy them: each word eight hex digits, with or without 0x,
// apart by spaces, tabs or commas, one message or several a line, or one message over
// several lines.
namespace UmpWordDump {

// Whether the first line that holds anything holds words and nothing else.
bool isWordDump(QByteArrayView file);

// The packets the words make; a text that is not words, or whose words end inside a packet,
// is refused, naming the line.
Ump::ReadEvents read(QByteArrayView file);

} // namespace UmpWordDump
