#pragma once

#include <QtGlobal>

// How much more memory the program can take: what the system can give without swapping,
// within the process's own limits (ulimit -v, ulimit -d) less what it holds already, so that
// a file that would not fit is refused before it is read rather than ending the program.
namespace MemoryRoom {

qint64 available();

} // namespace MemoryRoom
