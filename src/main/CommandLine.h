#pragma once

#include "midi/BytePattern.h"
#include "ports/InputChoice.h"
#include "recording/Rotation.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// What the command line asks of Lumetra. Read before any window system is touched, so that
// --help, --version and --list-ports work without a display.
struct CommandLine
{
    enum class Action { Run, Help, Version, ListPorts, Refuse };

    Action action = Action::Run;
    // --in, as often as given: the devices to start on, as the lists show them; "all" for
    // every input.
    InputChoice inputs;
    QString outputName; // --out
    QStringList taps; // --tap, as often as given: other programs' inputs to tap
    QString openPath; // a file to show at start
    // --record: the capture file the rows are recorded to from the start, as File > Record to
    // Disk... records them; --rotate, as often as given, how it goes on in new files.
    QString recordPath;
    Rotation rotation;
    // --hide, as often as given: the messages to keep out, in place of those remembered.
    std::optional<std::vector<BytePattern>> hiddenPatterns;
    QString platform; // -platform, for the window system
    QString text; // the help, the version line, or why the command line is refused

    static CommandLine parse(const QStringList &arguments);
};

// Whether the window system can be reached: the window needs a display, and Qt ends the
// process when it finds none. A platform that needs none (offscreen, a VNC server) counts.
bool displayReachable(const CommandLine &line);

// Both device lists as the window shows them, for --list-ports, each device numbered as
// --in and --out take it.
QString portListing(const QStringList &inputs, const QStringList &outputs);
