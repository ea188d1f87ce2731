#include "CommandLine.h"

#include "cli/ToolHelp.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

namespace {

// Options the window system's own library takes from the command line; they pass through.
const char *const WindowSystemOptions[]
    = {"platform", "platformpluginpath", "platformtheme", "plugin", "style", "stylesheet",
        "session", "display", "qwindowgeometry", "qwindowtitle", "qwindowicon"};

QString usage(const QCommandLineParser &parser)
{
    return parser.helpText().replace(QLatin1String("<executable_name>"), QLatin1String("lumetra"));
}

// A first argument that names no file and looks like no file's name: a word mistyped.
bool looksLikeWord(const QString &argument)
{
    return !argument.isEmpty() && !argument.contains(QLatin1Char('.'))
        && !argument.contains(QLatin1Char('/')) && !QFileInfo::exists(argument);
}

// Why the command line is refused, or an empty text. A device option with an empty name
// would start on no device, which is not what was asked for.
QString refusal(const QCommandLineParser &parser, bool parsed,
    std::initializer_list<QCommandLineOption> deviceOptions)
{
    if (!parsed)
        return parser.errorText();
    if (parser.positionalArguments().size() > 1)
        return QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments()[1]);
    if (const QString first = parser.positionalArguments().value(0); looksLikeWord(first))
        return QStringLiteral("There is no word '%1': %2 (a capture to show is a file such as "
                              "take.lmc).")
            .arg(first, ToolHelp::wordList());
    for (const QCommandLineOption &option : deviceOptions)
        if (parser.values(option).contains(QString()))
            return QStringLiteral("'--%1' needs a device name (see lumetra --list-ports).")
                .arg(option.names().front());
    return {};
}

const QString Description = QStringLiteral(
    "Lumetra shows every MIDI message that arrives on the inputs it watches as a decoded row, and "
    "sends the messages you type to one output. Without a window, the words capture, send, "
    "loop-test, ci and help do this from a script (see lumetra help).");

// Taken as the window system's library takes them, and passed on to it.
void addWindowSystemOptions(QCommandLineParser &parser)
{
    for (const char *name : WindowSystemOptions) {
        QCommandLineOption passed(QLatin1String(name), {}, QStringLiteral("value"));
        passed.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(passed);
    }
}

void readDevicesAndFile(CommandLine &line, const QCommandLineParser &parser,
    const QCommandLineOption &in, const QCommandLineOption &out)
{
    line.inputs.names = parser.values(in);
    line.inputs.all = line.inputs.names.removeAll(QStringLiteral("all")) > 0;
    line.outputName = parser.value(out);
    line.taps = parser.values(QStringLiteral("tap"));
    line.openPath = parser.positionalArguments().value(0);
    line.platform = parser.value(QStringLiteral("platform"));
}

// Each --hide is one pattern; why one does not read, or an empty text.
QString readHiddenPatterns(CommandLine &line, const QCommandLineParser &parser)
{
    const QStringList values = parser.values(QStringLiteral("hide"));
    if (values.isEmpty())
        return {};
    std::vector<BytePattern> patterns;
    for (const QString &value : values) {
        QString reason;
        std::optional<BytePattern> pattern = BytePattern::parse(value, reason);
        if (!pattern)
            return QStringLiteral("--hide: ") + reason;
        patterns.push_back(std::move(*pattern));
    }
    line.hiddenPatterns = std::move(patterns);
    return {};
}

// The recording the window starts with, read by readRecording.
void addRecordingOptions(QCommandLineParser &parser)
{
    const QCommandLineOption record(QStringLiteral("record"),
        QStringLiteral("Records the rows to the capture <file> as they arrive, from the start, "
                       "as File > Record to Disk... does."),
        QStringLiteral("file"));
    const QCommandLineOption rotate(QStringLiteral("rotate"),
        QStringLiteral("Goes on recording in a new file after size:MB megabytes, after "
                       "minutes:N minutes, or when the clock passes a multiple of interval:N "
                       "minutes; files:N keeps the newest N files. Given again, each."),
        QStringLiteral("rule"));
    parser.addOptions({record, rotate});
}

// The recording --record starts, each --rotate one rule of it; why they do not read, or an
// empty text.
QString readRecording(CommandLine &line, const QCommandLineParser &parser)
{
    line.recordPath = parser.value(QStringLiteral("record"));
    if (parser.isSet(QStringLiteral("record")) && line.recordPath.isEmpty())
        return QStringLiteral("'--record' needs the name of a file.");
    const QStringList rules = parser.values(QStringLiteral("rotate"));
    if (!rules.isEmpty() && line.recordPath.isEmpty())
        return QStringLiteral("'--rotate' goes with '--record FILE'.");
    for (const QString &rule : rules)
        if (const QString why = line.rotation.takeWord(rule); !why.isEmpty())
            return why;
    return {};
}

// The first of: a refusal, help, the version, the port list; else the window.
void chooseAction(CommandLine &line, QCommandLineParser &parser, const QString &reason)
{
    using Action = CommandLine::Action;
    if (!reason.isEmpty()) {
        line.action = Action::Refuse;
        line.text = reason + QStringLiteral(" See lumetra --help.\n");
    } else if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        line.action = Action::Help;
        line.text = usage(parser);
    } else if (parser.isSet(QStringLiteral("version"))) {
        line.action = Action::Version;
        line.text = QCoreApplication::applicationName() + QLatin1Char(' ')
            + QCoreApplication::applicationVersion() + QLatin1Char('\n');
    } else if (parser.isSet(QStringLiteral("list-ports"))) {
        line.action = Action::ListPorts;
    }
}

} // namespace

CommandLine CommandLine::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    // "-platform offscreen", as the window system's library takes its options, and as a
    // session manager starts a program again ("-session ID").
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(Description);
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption listPorts(QStringLiteral("list-ports"),
        QStringLiteral("Prints the MIDI input and output devices as Lumetra lists them, and "
                       "exits."));
    const QCommandLineOption in(QStringLiteral("in"),
        QStringLiteral("Starts on the MIDI input <name>, a part no other name holds, or its "
                       "--list-ports number. Given again, watches each; 'all', every input."),
        QStringLiteral("name"));
    const QCommandLineOption out(QStringLiteral("out"),
        QStringLiteral("Starts on the MIDI output <name>, named as --in names an input."),
        QStringLiteral("name"));
    const QCommandLineOption hide(QStringLiteral("hide"),
        QStringLiteral("Keeps out the messages that begin with the bytes <pattern> (hex, '..' "
                       "for any byte: \"F0 43 30 7F 1C\"). Given again, hides each."),
        QStringLiteral("pattern"));
    const QCommandLineOption tap(QStringLiteral("tap"),
        QStringLiteral("Shows what other programs send into the input port <port> of another "
                       "program, named as --out names an output. Given again, taps each."),
        QStringLiteral("port"));
    parser.addOptions({listPorts, in, out, hide, tap});
    addRecordingOptions(parser);
    parser.addPositionalArgument(QStringLiteral("file"),
        QStringLiteral("A file to show at start: a capture (.lmc), a MIDI file, a .syx file, or "
                       "a text or CSV log that Lumetra saved."),
        QStringLiteral("[file]"));
    addWindowSystemOptions(parser);

    CommandLine line;
    QString reason = refusal(parser, parser.parse(arguments), {in, out});
    if (reason.isEmpty())
        reason = readHiddenPatterns(line, parser);
    if (reason.isEmpty())
        reason = readRecording(line, parser);
    chooseAction(line, parser, reason);
    readDevicesAndFile(line, parser, in, out);
    return line;
}

bool displayReachable(const CommandLine &line)
{
    const QString platform
        = (line.platform.isEmpty() ? qEnvironmentVariable("QT_QPA_PLATFORM") : line.platform)
              .section(QLatin1Char(':'), 0, 0)
              .section(QLatin1Char(';'), 0, 0);
    const bool x11 = !qEnvironmentVariable("DISPLAY").isEmpty();
    const bool wayland = !qEnvironmentVariable("WAYLAND_DISPLAY").isEmpty();
    if (platform.isEmpty())
        return x11 || wayland;
    if (platform == QLatin1String("xcb"))
        return x11;
    if (platform.startsWith(QLatin1String("wayland")))
        return wayland;
    return true;
}

QString portListing(const QStringList &inputs, const QStringList &outputs)
{
    QString text = QStringLiteral("MIDI In:\n");
    const auto list = [&text](const QStringList &names) {
        for (qsizetype i = 0; i < names.size(); ++i)
            text += QStringLiteral("%1  %2\n").arg(i + 1, 3).arg(names[i]);
    };
    list(inputs);
    text += QStringLiteral("MIDI Out:\n");
    list(outputs);
    return text;
}
