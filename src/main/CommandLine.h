#pragma once

#include <QString>
#include <QStringList>

// What the command line asks of Lumetra. Read before any window system is touched, so that
// --help, --version and --list-ports work without a display.
struct CommandLine
{
    enum class Action { Run, Help, Version, ListPorts, Refuse };

    Action action = Action::Run;
    QString inputName; // --in: the device to start on, as the lists show it
    QString outputName; // --out
    QString openPath; // a capture to show at start
    QString text; // the help, the version line, or why the command line is refused

    static CommandLine parse(const QStringList &arguments);
};

// Both device lists as the window shows them, for --list-ports.
QString portListing(const QStringList &inputs, const QStringList &outputs);
