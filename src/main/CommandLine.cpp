#include "CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

// Options the window system's own library takes from the command line; they pass through.
const char *const WindowSystemOptions[]
    = {"platform", "platformpluginpath", "platformtheme", "plugin", "style", "stylesheet",
        "session", "display", "qwindowgeometry", "qwindowtitle", "qwindowicon"};

QString usage(const QCommandLineParser &parser)
{
    return parser.helpText().replace(QLatin1String("<executable_name>"), QLatin1String("lumetra"));
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
    for (const QCommandLineOption &option : deviceOptions)
        if (parser.values(option).contains(QString()))
            return QStringLiteral("'--%1' needs a device name (see lumetra --list-ports).")
                .arg(option.names().front());
    return {};
}

} // namespace

CommandLine CommandLine::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    // "-platform offscreen", as the window system's library takes its options, and as a
    // session manager starts a program again ("-session ID").
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral(
        "Lumetra shows every MIDI message that arrives on the inputs it watches as a decoded row, "
        "and sends the messages you type to one output."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption listPorts(QStringLiteral("list-ports"),
        QStringLiteral("Prints the MIDI input and output devices as Lumetra lists them, and "
                       "exits."));
    const QCommandLineOption in(QStringLiteral("in"),
        QStringLiteral("Starts on the MIDI input <name>, as --list-ports prints it. Given "
                       "again, watches each input named; 'all' watches every input."),
        QStringLiteral("name"));
    const QCommandLineOption out(QStringLiteral("out"),
        QStringLiteral("Starts on the MIDI output <name>, as --list-ports prints it."),
        QStringLiteral("name"));
    parser.addOptions({listPorts, in, out});
    parser.addPositionalArgument(QStringLiteral("file"),
        QStringLiteral("A file to show at start: a capture (.lmc), a MIDI file, a .syx file, or "
                       "a text or CSV log that Lumetra saved."),
        QStringLiteral("[file]"));
    for (const char *name : WindowSystemOptions) {
        QCommandLineOption passed(QLatin1String(name), {}, QStringLiteral("value"));
        passed.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(passed);
    }

    CommandLine line;
    if (const QString reason = refusal(parser, parser.parse(arguments), {in, out});
        !reason.isEmpty()) {
        line.action = Action::Refuse;
        line.text = reason + QLatin1Char('\n') + usage(parser);
    } else if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        line.action = Action::Help;
        line.text = usage(parser);
    } else if (parser.isSet(version)) {
        line.action = Action::Version;
        line.text = QCoreApplication::applicationName() + QLatin1Char(' ')
            + QCoreApplication::applicationVersion() + QLatin1Char('\n');
    } else if (parser.isSet(listPorts)) {
        line.action = Action::ListPorts;
    }
    line.inputs.names = parser.values(in);
    line.inputs.all = line.inputs.names.removeAll(QStringLiteral("all")) > 0;
    line.outputName = parser.value(out);
    line.openPath = parser.positionalArguments().value(0);
    return line;
}

QString portListing(const QStringList &inputs, const QStringList &outputs)
{
    QString text = QStringLiteral("MIDI In:\n");
    for (const QString &name : inputs)
        text += QStringLiteral("  ") + name + QLatin1Char('\n');
    text += QStringLiteral("MIDI Out:\n");
    for (const QString &name : outputs)
        text += QStringLiteral("  ") + name + QLatin1Char('\n');
    return text;
}
