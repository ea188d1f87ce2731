#include "ToolLine.h"

#include "MessageArguments.h"
#include "SendWords.h"
#include "ToolHelp.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <cmath>

namespace ToolLine {
namespace {

    constexpr double LongestSeconds = 7 * 86'400.0; // a week

    struct FormatName
    {
        const char *name;
        CaptureFormat format;
    };
    constexpr FormatName FormatNames[] = {
        {"lines", CaptureFormat::Lines},
        {"hex", CaptureFormat::Text},
        {"text", CaptureFormat::Text}, // what the bare bytes were called first
        {"csv", CaptureFormat::Csv},
        {"jsonl", CaptureFormat::JsonLines},
        {"midi", CaptureFormat::MidiFile},
        {"syx", CaptureFormat::SysEx},
        {"capture", CaptureFormat::Capture},
    };

    // Thrown while the options are read: why they are refused.
    struct Refused
    {
        QString reason;
    };

    QCommandLineOption option(const char *name, const char *valueName = nullptr)
    {
        return valueName ? QCommandLineOption(QLatin1String(name), {}, QLatin1String(valueName))
                         : QCommandLineOption(QLatin1String(name));
    }

    std::chrono::milliseconds seconds(const QCommandLineParser &parser, const char *name)
    {
        bool ok = false;
        const double value = parser.value(QLatin1String(name)).toDouble(&ok);
        if (!ok || !std::isfinite(value) || value <= 0 || value > LongestSeconds)
            throw Refused {QStringLiteral("'--%1' takes a number of seconds above 0, up to a "
                                          "week.")
                               .arg(QLatin1String(name))};
        return std::chrono::milliseconds(std::llround(value * 1000));
    }

    std::uint64_t wholeNumber(
        const QCommandLineParser &parser, const char *name, std::uint64_t least, std::uint64_t most)
    {
        bool ok = false;
        const qulonglong value = parser.value(QLatin1String(name)).toULongLong(&ok);
        if (!ok || value < least || value > most)
            throw Refused {QStringLiteral("'--%1' takes a whole number from %2 to %3.")
                               .arg(QLatin1String(name))
                               .arg(least)
                               .arg(most)};
        return value;
    }

    template<typename T, typename Read>
    void readIfSet(const QCommandLineParser &parser, const char *name, T &into, Read read)
    {
        if (parser.isSet(QLatin1String(name)))
            into = read(parser, name);
    }

    RunEnd runEnd(const QCommandLineParser &parser)
    {
        RunEnd end;
        readIfSet(parser, "duration", end.after, seconds);
        readIfSet(parser, "count", end.count, [](const QCommandLineParser &p, const char *name) {
            return wholeNumber(p, name, 1, std::uint64_t(1) << 48);
        });
        return end;
    }

    InputChoice inputChoice(const QCommandLineParser &parser)
    {
        InputChoice choice;
        choice.names = parser.values(QStringLiteral("in"));
        if (choice.names.contains(QString()))
            throw Refused {
                QStringLiteral("'--in' needs a device name (see lumetra --list-ports).")};
        choice.all = choice.names.removeAll(QStringLiteral("all")) > 0;
        return choice;
    }

    CaptureFormat format(const QString &name)
    {
        for (const FormatName &known : FormatNames)
            if (name == QLatin1String(known.name))
                return known.format;
        throw Refused {QStringLiteral("Unknown format '%1': lines, hex, csv, jsonl, midi, syx "
                                      "or capture.")
                           .arg(name)};
    }

    QStringList wordsOf(const QStringList &values)
    {
        QStringList words;
        for (const QString &value : values)
            for (const QString &word : value.split(QLatin1Char(','), Qt::SkipEmptyParts))
                words << word.trimmed();
        return words;
    }

    // A word of the Filter menu ("note-on", "2", "ch 2"), set among its check marks.
    bool readFilterItem(const QString &word, modFilter::FilterChecks &checks)
    {
        const int channel = TrafficWords::channelOf(word);
        const QString menuWord = channel ? QString::number(channel) : word;
        bool known = false;
        for (const modFilter::FilterItem item : modFilter::UpdateOrder()) {
            if (menuWord == QLatin1String(modFilter::itemInfo(item).word)) {
                checks.set(std::size_t(item));
                known = true;
            }
        }
        return known;
    }

    // The Filter menu's words leave out what the menu would; Find's other kinds are left out
    // as they are taken in; a word that is neither is taken for an input's name.
    void readFilter(const QStringList &values, CaptureOptions &options)
    {
        for (const QString &word : wordsOf(values))
            if (!readFilterItem(word, options.filter)
                && !options.selection.hidden.readKindOrChannel(word))
                options.withheldInputs << word;
    }

    // Each --only keeps what one of its words names.
    void readOnly(const QStringList &values, CaptureOptions &options)
    {
        for (const QString &value : values) {
            TrafficWords words;
            for (const QString &word : wordsOf({value}))
                if (!words.readKindOrChannel(word))
                    words.addSource(word);
            options.selection.only.push_back(std::move(words));
        }
    }

    // Each --hide is one pattern of bytes; what it matches is left out.
    std::vector<BytePattern> hiddenPatterns(const QStringList &values)
    {
        std::vector<BytePattern> patterns;
        for (const QString &value : values) {
            QString reason;
            std::optional<BytePattern> pattern = BytePattern::parse(value, reason);
            if (!pattern)
                throw Refused {QStringLiteral("--hide: ") + reason};
            patterns.push_back(std::move(*pattern));
        }
        return patterns;
    }

    // The options of a word that takes no arguments besides them.
    void parseWithoutArguments(QCommandLineParser &parser, const QStringList &arguments)
    {
        if (!parser.parse(arguments))
            throw Refused {parser.errorText()};
        if (!parser.positionalArguments().isEmpty())
            throw Refused {
                QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments()[0])};
    }

    CaptureOptions captureOptions(QCommandLineParser &parser, const QStringList &arguments)
    {
        parser.addOptions({option("in", "name"), option("tap", "port"), option("format", "format"),
            QCommandLineOption(
                {QStringLiteral("o"), QStringLiteral("output")}, {}, QStringLiteral("file")),
            option("filter", "words"), option("only", "words"), option("hide", "pattern"),
            option("duration", "seconds"), option("count", "n"), option("rotate", "rule")});
        parseWithoutArguments(parser, arguments);
        CaptureOptions options;
        for (const QString &rule : parser.values(QStringLiteral("rotate")))
            if (const QString why = options.rotation.takeWord(rule); !why.isEmpty())
                throw Refused {why};
        options.inputs = inputChoice(parser);
        options.taps = parser.values(QStringLiteral("tap"));
        if (options.inputs.names.isEmpty() && !options.inputs.all && options.taps.isEmpty())
            throw Refused {QStringLiteral("capture needs an input: --in NAME or --tap PORT (see "
                                          "lumetra --list-ports).")};
        if (parser.isSet(QStringLiteral("format")))
            options.format = format(parser.value(QStringLiteral("format")));
        options.outputPath = parser.value(QStringLiteral("output"));
        readFilter(parser.values(QStringLiteral("filter")), options);
        readOnly(parser.values(QStringLiteral("only")), options);
        options.hiddenPatterns = hiddenPatterns(parser.values(QStringLiteral("hide")));
        options.end = runEnd(parser);
        return options;
    }

    void readReply(const QCommandLineParser &parser, SendOptions &options)
    {
        options.replyInputs = inputChoice(parser);
        readIfSet(parser, "expect-reply", options.expectReply, seconds);
        readIfSet(parser, "reply-count", options.replyCount,
            [](const QCommandLineParser &p, const char *name) {
                return wholeNumber(p, name, 1, std::uint64_t(1) << 48);
            });
        const bool hasInputs = !options.replyInputs.names.isEmpty() || options.replyInputs.all;
        if (hasInputs != options.expectReply.has_value())
            throw Refused {QStringLiteral("'--in' and '--expect-reply' go together.")};
        if (options.replyCount && !options.expectReply)
            throw Refused {QStringLiteral("'--reply-count' needs '--expect-reply'.")};
    }

    // Hex as the MIDI Message box takes it, or words; a word's bytes are one message, and
    // those of `raw` may be several.
    MessageArguments::Read messages(const QCommandLineParser &parser)
    {
        const QStringList arguments = parser.positionalArguments();
        if (!SendWords::areWords(arguments))
            return MessageArguments::read(arguments, parser.isSet(QStringLiteral("several")));
        const SendWords::Read words = SendWords::read(arguments);
        if (!words.refusal.isEmpty())
            return {{}, {}, words.refusal};
        return MessageArguments::readBytes(words.typed, words.messages, true);
    }

    SendOptions sendOptions(QCommandLineParser &parser, const QStringList &arguments)
    {
        parser.addOptions({option("out", "name"), option("file", "file"), option("pause", "ms"),
            option("repeat", "ms"), option("count", "n"), option("duration", "seconds"),
            option("in", "name"), option("expect-reply", "seconds"), option("reply-count", "n"),
            option("several")});
        if (!parser.parse(arguments))
            throw Refused {parser.errorText()};
        SendOptions options;
        options.outputName = parser.value(QStringLiteral("out"));
        if (options.outputName.isEmpty())
            throw Refused {QStringLiteral("send needs an output: --out NAME (see lumetra "
                                          "--list-ports).")};
        MessageArguments::Read read = messages(parser);
        if (!read.refusal.isEmpty())
            throw Refused {read.refusal};
        options.messages = std::move(read.messages);
        options.notices = std::move(read.notices);
        options.sysExPath = parser.value(QStringLiteral("file"));
        if (options.messages.empty() == options.sysExPath.isEmpty())
            throw Refused {QStringLiteral("send takes messages or '--file', one of the two.")};
        readIfSet(parser, "pause", options.pause, [](const QCommandLineParser &p, const char *n) {
            return std::chrono::milliseconds(wholeNumber(p, n, 0, 60'000));
        });
        readIfSet(
            parser, "repeat", options.repeatEvery, [](const QCommandLineParser &p, const char *n) {
                return std::chrono::milliseconds(wholeNumber(p, n, 1, 3'600'000));
            });
        options.repeatEnd = runEnd(parser);
        if ((options.repeatEnd.after || options.repeatEnd.count) && !options.repeatEvery)
            throw Refused {QStringLiteral("'--count' and '--duration' need '--repeat'.")};
        if (options.repeatEvery && !options.sysExPath.isEmpty())
            throw Refused {QStringLiteral("'--repeat' repeats messages, not a file.")};
        readReply(parser, options);
        return options;
    }

    struct PatternName
    {
        const char *name;
        LoopSettings::Pattern pattern;
    };
    constexpr PatternName PatternNames[] = {
        {"channel", LoopSettings::Pattern::Channel},
        {"burst", LoopSettings::Pattern::Burst},
        {"sysex", LoopSettings::Pattern::SysEx},
    };

    LoopSettings::Pattern pattern(const QString &name)
    {
        for (const PatternName &known : PatternNames)
            if (name == QLatin1String(known.name))
                return known.pattern;
        throw Refused {QStringLiteral("Unknown pattern '%1': channel, burst or sysex.").arg(name)};
    }

    LoopTestOptions loopTestOptions(QCommandLineParser &parser, const QStringList &arguments)
    {
        parser.addOptions({option("out", "name"), option("in", "name"),
            option("pattern", "pattern"), option("rate", "n"), option("size", "bytes"),
            option("seconds", "s"), option("json")});
        parseWithoutArguments(parser, arguments);
        LoopTestOptions options;
        options.path = {parser.value(QStringLiteral("out")), parser.value(QStringLiteral("in"))};
        if (options.path.output.isEmpty() || options.path.input.isEmpty())
            throw Refused {QStringLiteral("loop-test needs a path: --out NAME and --in NAME (see "
                                          "lumetra --list-ports).")};
        LoopSettings &settings = options.settings;
        if (parser.isSet(QStringLiteral("pattern")))
            settings.pattern = pattern(parser.value(QStringLiteral("pattern")));
        readIfSet(parser, "rate", settings.rate, [](const QCommandLineParser &p, const char *n) {
            return int(wholeNumber(p, n, 1, 1'000'000));
        });
        readIfSet(
            parser, "size", settings.sysExSize, [](const QCommandLineParser &p, const char *n) {
                return std::size_t(
                    wholeNumber(p, n, LoadMessages::SmallestSysEx, LoadMessages::LargestSysEx));
            });
        readIfSet(
            parser, "seconds", settings.seconds, [](const QCommandLineParser &p, const char *n) {
                return double(seconds(p, n).count()) / 1000;
            });
        options.json = parser.isSet(QStringLiteral("json"));
        return options;
    }

    // A refusal is one line: what is wrong, and where the word's usage is.
    Refusal refusal(const QString &reason, const QString &word)
    {
        return {reason + QStringLiteral(" See lumetra help %1.\n").arg(word)};
    }

    // A resource name goes into the Get's JSON header as it is.
    bool isResourceName(const QString &name)
    {
        static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_.-]{1,64}$"));
        return plain.match(name).hasMatch();
    }

    CiOptions ciOptions(QCommandLineParser &parser, const QStringList &arguments)
    {
        parser.addOptions({option("out", "name"), option("in", "name"), option("wait", "seconds"),
            option("json")});
        if (!parser.parse(arguments))
            throw Refused {parser.errorText()};
        const QStringList words = parser.positionalArguments();
        CiOptions options;
        if (words.value(0) == QLatin1String("get") && words.size() == 2) {
            options.action = CiOptions::Action::Get;
            options.resource = words[1];
            if (!isResourceName(options.resource))
                throw Refused {QStringLiteral("'%1' is no resource name: letters, digits, '-', "
                                              "'_' and '.' only.")
                                   .arg(options.resource)};
        } else if (words != QStringList {QStringLiteral("discover")}) {
            throw Refused {QStringLiteral("ci takes 'discover', or 'get' and a resource.")};
        }
        options.outputName = parser.value(QStringLiteral("out"));
        options.inputName = parser.value(QStringLiteral("in"));
        if (options.outputName.isEmpty() || options.inputName.isEmpty())
            throw Refused {QStringLiteral("ci needs a path: --out NAME and --in NAME (see lumetra "
                                          "--list-ports).")};
        readIfSet(parser, "wait", options.wait, seconds);
        options.json = parser.isSet(QStringLiteral("json"));
        return options;
    }

    Parsed help(const QStringList &arguments)
    {
        if (arguments.size() > 3)
            return refusal(QStringLiteral("Unexpected argument '%1'.").arg(arguments[3]),
                QStringLiteral("help"));
        if (arguments.size() < 3)
            return Help {ToolHelp::overview()};
        const QString text = ToolHelp::of(arguments[2]);
        if (text.isEmpty())
            return Refusal {QStringLiteral("There is no word '%1': %2. See lumetra help.\n")
                                .arg(arguments[2], ToolHelp::wordList())};
        return Help {text};
    }

} // namespace

bool isWord(const QString &argument)
{
    return !ToolHelp::of(argument).isEmpty();
}

Parsed parse(const QStringList &arguments)
{
    const QString word = arguments.value(1);
    if (word == QLatin1String("help"))
        return help(arguments);
    if (arguments.mid(2).contains(QStringLiteral("--help")))
        return Help {ToolHelp::of(word)};
    QCommandLineParser parser;
    // The parser takes the word for the program's name.
    const QStringList options = arguments.mid(1);
    try {
        if (word == QLatin1String("capture"))
            return captureOptions(parser, options);
        if (word == QLatin1String("loop-test"))
            return loopTestOptions(parser, options);
        if (word == QLatin1String("ci"))
            return ciOptions(parser, options);
        return sendOptions(parser, options);
    } catch (const Refused &refused) {
        return refusal(refused.reason, word);
    }
}

} // namespace ToolLine
