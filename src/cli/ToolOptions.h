#pragma once

#include "TrafficWords.h"
#include "filter/modFilter.h"
#include "looptest/LoopTest.h"
#include "midi/BytePattern.h"
#include "ports/InputChoice.h"
#include "recording/Rotation.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

// What the words of the command line ask for, read and checked before any port is opened.

// Lines: one message a line for a person; Text: the traffic log's bare bytes.
enum class CaptureFormat : std::uint8_t { Lines, Text, Csv, JsonLines, MidiFile, SysEx, Capture };

// When a run that takes traffic in ends, besides Ctrl+C.
struct RunEnd
{
    std::optional<std::chrono::milliseconds> after;
    std::optional<std::uint64_t> count; // messages taken
};

struct CaptureOptions
{
    InputChoice inputs;
    QStringList taps; // --tap: other programs' inputs, watched through what feeds them
    CaptureFormat format = CaptureFormat::Lines;
    QString outputPath; // empty: standard output
    Rotation rotation; // of a capture file recorded to outputPath
    modFilter::FilterChecks filter; // what is left out, as the Filter menu's check marks
    QStringList withheldInputs; // inputs named in --filter: their traffic is left out
    std::vector<BytePattern> hiddenPatterns; // --hide: the messages they match are left out
    // The words of --filter that the Filter menu has none for, and those of --only.
    TrafficSelection selection;
    RunEnd end;
};

struct SendOptions
{
    QString outputName;
    std::vector<QByteArray> messages; // each whole, as it goes on the wire
    QStringList notices; // what was added to the messages, for standard error
    QString sysExPath; // a .syx file sent dump by dump
    std::chrono::milliseconds pause {50}; // after each dump of the file
    std::optional<std::chrono::milliseconds> repeatEvery; // the messages again at this rate
    RunEnd repeatEnd; // of the repeats: how many rounds, or for how long
    // With --expect-reply: what arrives on these inputs within the time is printed.
    InputChoice replyInputs;
    std::optional<std::chrono::milliseconds> expectReply;
    std::optional<std::uint64_t> replyCount; // the reply is complete after this many
};

struct LoopTestOptions
{
    LoopReport::Path path;
    LoopSettings settings;
    bool json = false;
};

// `lumetra ci discover` or `lumetra ci get RESOURCE`: a Capability Inquiry through one output
// and the input its answers come back on.
struct CiOptions
{
    enum class Action : std::uint8_t { Discover, Get };
    Action action = Action::Discover;
    QString resource; // of a Get
    QString outputName, inputName;
    std::chrono::milliseconds wait {3000}; // for the answers
    bool json = false;
};
