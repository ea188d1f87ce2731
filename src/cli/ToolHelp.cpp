#include "ToolHelp.h"

namespace ToolHelp {
namespace {

    constexpr char Overview[]
        = R"(Usage: lumetra [options] [file]       the window (see lumetra --help)
       lumetra capture --in NAME [options]  prints or saves what arrives, until Ctrl+C
       lumetra send --out NAME [options] [MESSAGE...]
                                            sends messages or a .syx file, then exits
       lumetra loop-test --out NAME --in NAME [options]
                                            measures a MIDI path's latency and loss
       lumetra ci discover|get RESOURCE --out NAME --in NAME [options]
                                            asks MIDI 2.0 devices who they are, or for a
                                            Property Exchange resource
       lumetra help [WORD]                  how a word is used

capture, send, loop-test and ci need no display. NAME is a device as lumetra --list-ports prints
it, a part of that name that no other device's name holds (any letter case), or the number
--list-ports gives it.
Exit status: 0 done, 1 failed (the reason goes to standard error), 2 a wrong command line.
)";

    constexpr char Capture[] = R"(Usage: lumetra capture --in NAME [--in NAME...] [options]
       lumetra capture --tap PORT [--tap PORT...] [--in NAME...] [options]

Writes every message that arrives on the inputs, until Ctrl+C, the end of --duration or
--count, or the reader of standard output going away; everything received is written.

  --in NAME            an input as lumetra --list-ports prints it, a part of its name
                       no other input's holds, or its number there; again for several;
                       "all" for every input
  --tap PORT           another program's input port, named as --in names an input but
                       among the outputs: what every program sends into it, each sender
                       a source of its own (→ synth:in (from seq:out)), followed as
                       they connect and part; again for several; --in is then not needed
  --format FORMAT      lines   one message a line, in columns: seconds since the start,
                               source, bytes, kind, channel and details (the default)
                       hex     the traffic log: the bytes alone, "90 3C 7F" a line (each
                               line begins with its [source] when several inputs are on)
                       csv     the spreadsheet columns, with time of day and details
                       jsonl   one JSON object a message: source, stamp_us, bytes, kind,
                               details
                       midi    a MIDI file            } written whole at the end
                       syx     the SysEx messages     } of the run
                       capture a capture Lumetra opens again (.lmc), recorded
                               to a file as the messages come
  -o, --output FILE    writes there instead of standard output
  --rotate RULE        of a capture recorded to FILE: goes on in a new file after
                       size:MB megabytes, after minutes:N minutes, or when the clock
                       passes a multiple of interval:N minutes; files:N keeps the
                       newest N files. Again for several. The files are named
                       FILE_00001_20261207-040000.lmc and on
  --filter WORD,...    leaves out what the words name: a channel (2, ch 2); a kind, as
                       the Filter menu names them (note-off, note-on, key-aftertouch,
                       control-change, program-change, channel-aftertouch, pitch-bend,
                       sysex, system-common, real-time, active-sense) or as Find takes
                       them (cc, pc, bend, clock, start, stop, mtc, "song position"...);
                       or an input, named as --in names it
  --only WORD,...      keeps only what one of the words names (the same words); each
                       --only given narrows further: --only cc --only "ch 2" keeps the
                       controllers of channel 2
  --hide PATTERN       leaves out the messages that begin with these bytes, ".." for any
                       one byte: --hide FE --hide "F0 43 30 7F 1C" (again for several)
  --duration SECONDS   ends after that time
  --count N            ends after N messages

Example: lumetra capture --in "JACK: synth:out" --format jsonl | jq .details
)";

    constexpr char Send[] = R"(Usage: lumetra send --out NAME [options] MESSAGE...
       lumetra send --out NAME [options] WORD [NUMBER...]...
       lumetra send --out NAME --file DUMP.syx [--pause MS]

Sends, then exits once everything went out. A MESSAGE is hex bytes as the window's
MIDI Message box takes them: "90 3C 7F", "F0 7E 7F 06 01 F7". Each goes out whole: a
message may be typed unquoted (90 3C 7F), a SysEx without F7 gets one, and a message
short of data bytes is refused.

Or the messages as words, when the first argument is one (in lower case):
  ch N                  the channel of the words after it, 1 to 16 (1 before any)
  on NOTE VELOCITY      Note On
  off NOTE VELOCITY     Note Off
  pp NOTE PRESSURE      polyphonic key pressure
  cc CONTROLLER VALUE   Control Change
  pc PROGRAM            Program Change
  cp PRESSURE           channel pressure
  pb VALUE              Pitch Bend, 0 to 16383 (8192 the centre)
  syx BYTE...           a SysEx of these data bytes, F0 and F7 added
  raw BYTE...           these bytes as they are, 0 to 255 (whole messages)
  clock, start, stop    the real-time messages F8, FA and FC
Numbers are decimal, or hex with an H after or 0x before (7FH, 0x7F); notes, values and
data bytes go from 0 to 127. Example: lumetra send --out 2 ch 2 on 60 100 cc 7 100 pc 5

  --out NAME            the output, as lumetra --list-ports prints it, a part of its
                        name no other output's holds, or its number there
  --several             a MESSAGE may hold several messages ("90 3C 7F 80 3C 00");
                        without it such a MESSAGE is refused
  --file FILE           a .syx file, sent dump by dump
  --pause MS            the pause after each dump of the file (default 50)
  --repeat MS           sends the messages again every MS milliseconds, --count times
                        or for --duration SECONDS (else until Ctrl+C)
  --count N, --duration SECONDS
  --in NAME             with --expect-reply: the input the answer comes on; "all" or
                        again for several
  --expect-reply SECONDS
                        prints what arrives on --in within that time after sending, as
                        the traffic log does; exit status 1 when nothing came
  --reply-count N       the answer is complete after N messages

Exit status 1, with the port's reason on standard error, when a send fails, and
with the count of messages not sent when any were not.
Example: lumetra send --out "JACK: synth:in" --in "JACK: synth:out" \
             --expect-reply 2 "F0 7E 7F 06 01 F7"
)";

    constexpr char LoopTest[] = R"(Usage: lumetra loop-test --out NAME --in NAME [options]

Sends numbered messages from the output and reads them back on the input, through what
lies between (a cable, a device's MIDI thru, a network bridge, another program), and prints
the round trip's latency, what was lost, altered, duplicated or out of order, and the
throughput. A probe goes first until the path answers; a path that returns nothing within
2 s is said to.

  --out NAME           the output the messages go out on
  --in NAME            the input they come back on
  --pattern PATTERN    channel  channel messages at --rate a second (the default)
                       burst    --rate messages at once, every second
                       sysex    SysEx dumps of --size bytes, --rate a second
  --rate N             (default 1000)
  --size BYTES         of each dump (default 256)
  --seconds S          how long it sends (default 5)
  --json               the results as one JSON object instead of text

Exit status 1 when anything was lost or altered, or nothing came back.
Example: lumetra loop-test --out "ALSA: UM-ONE:0" --in "ALSA: UM-ONE:0" --rate 1000
)";

    constexpr char Ci[] = R"(Usage: lumetra ci discover --out NAME --in NAME [options]
       lumetra ci get RESOURCE --out NAME --in NAME [options]

Speaks MIDI Capability Inquiry (MIDI-CI) with the devices on a path, as an initiator with a
MUID of its own, new for each run.

  discover             sends a Discovery to every device and lists each that answers:
                       its MUID, manufacturer, family, model, version, the categories it
                       supports and the largest SysEx message it takes
  get RESOURCE         asks the first device that offers Property Exchange for a resource
                       (DeviceInfo, ResourceList, ChannelList...) and prints the body of
                       its reply, put back together from its chunks and decoded
  --out NAME           the output the inquiry goes out on
  --in NAME            the input the answers come back on
  --wait SECONDS       how long the answers are waited for (default 3)
  --json               the devices, or the reply with its header, as JSON

Exit status 1 when no device answered, or the reply did not come whole or says the Get
failed (its status and message go to standard error).
Example: lumetra ci get DeviceInfo --out "JACK: synth:in" --in "JACK: synth:out"
)";

    constexpr char Help[] = R"(Usage: lumetra help [WORD]

Prints how a word (capture, send, loop-test, ci, help) is used; without a word, what the words
are.
)";

} // namespace

QString overview()
{
    return QString::fromUtf8(Overview);
}

QString wordList()
{
    return QStringLiteral("capture, send, loop-test, ci or help");
}

QString of(const QString &word)
{
    if (word == QLatin1String("capture"))
        return QString::fromUtf8(Capture);
    if (word == QLatin1String("send"))
        return QString::fromUtf8(Send);
    if (word == QLatin1String("loop-test"))
        return QString::fromUtf8(LoopTest);
    if (word == QLatin1String("ci"))
        return QString::fromUtf8(Ci);
    if (word == QLatin1String("help"))
        return QString::fromUtf8(Help);
    return {};
}

} // namespace ToolHelp
