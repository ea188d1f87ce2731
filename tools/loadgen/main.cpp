#include "LoadSender.h"
#include "LogFormats.h"
#include "LogVerifier.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <thread>

using namespace LoadMessages;

namespace {

enum ExitCode : int { Success = 0, Fault = 1, Misuse = 2 };

constexpr char Usage[] = R"(Usage:
  lumetra_loadgen send [--rate N] [--seconds S] [--mix KIND] [--sysex-size B]
                       [--connect PORT] [--wait-for-port SECONDS] [--client-name NAME]
                       [--clients C] [--listeners L]
      Sends N numbered messages a second for S seconds from a JACK MIDI output and
      reports what was sent, one "key: value" a line. With C clients (named NAME-1 to
      NAME-C), each sends the whole run from an output of its own at the same time;
      a report follows for each, then the totals. KIND: channel (the default),
      sysex, realtime or mixed. PORT: the full name of a JACK MIDI input, the start of
      one, or a regular expression that finds one; --wait-for-port waits that long for
      it to appear, or without --connect for another program to connect to the output,
      and the run begins once connected; with L, once L ports of other programs listen
      to each output (a tap's beside the port connected to, say). Exit status 0 when every message went out on
      time, 1 when not, 2 on a bad command line.
  lumetra_loadgen verify LOG... [--expect N] [--mix KIND] [--source NAME]
      Checks that a log saved with "Save MIDI IN as Text" (or written by lumetra
      capture --format hex, jsonl or capture; several logs, such as the files of a
      rotating recording, are read as one, in the order given) holds exactly the messages
      of a run of that mix from the first one it holds (with --expect, the run's first
      N messages: "sent" of send). With --source, only the lines of that source in a
      log of several inputs ("[NAME] 90 3C 40") count.
      Exit status 0 when it does, 1 when not, 2 on a bad command line or an
      unreadable log.
)";

int misuse(const QString &why)
{
    std::fprintf(stderr, "lumetra_loadgen: %s\n\n%s", qPrintable(why), Usage);
    return Misuse;
}

// Parses `arguments` (those after the command) with `options` and `positionals` names;
// returns the reason when they are not right.
QString parse(QCommandLineParser &parser, const QStringList &arguments,
    const QList<QCommandLineOption> &options, qsizetype positionals)
{
    parser.addOptions(options);
    if (!parser.parse(QStringList {QStringLiteral("lumetra_loadgen")} + arguments))
        return parser.errorText();
    // A negative count takes one or more.
    const QStringList given = parser.positionalArguments();
    if (positionals >= 0 && given.size() > positionals)
        return QStringLiteral("unexpected argument \"%1\"").arg(given[positionals]);
    if (given.size() < std::abs(positionals))
        return QStringLiteral("the log file is missing");
    return {};
}

std::optional<std::uint64_t> wholeNumber(
    const QString &text, std::uint64_t least, std::uint64_t most)
{
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok);
    return ok && value >= least && value <= most ? std::optional(value) : std::nullopt;
}

std::optional<double> secondsValue(const QString &text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && std::isfinite(value) && value >= 0 && value <= 86'400 ? std::optional(value)
                                                                       : std::nullopt;
}

// Reads the option `name` into `value` with `read` when it was given; false when it was
// given but is not right.
template<typename T, typename Read>
bool readOption(const QCommandLineParser &parser, const QString &name, T &value, Read read)
{
    if (!parser.isSet(name))
        return true;
    const auto parsed = read(parser.value(name));
    if (parsed)
        value = *parsed;
    return parsed.has_value();
}

std::optional<Mix> mixOption(const QString &text)
{
    return mixNamed(text.toStdString());
}

QString readSendSettings(const QCommandLineParser &parser, SendSettings &settings)
{
    if (!readOption(parser, "rate", settings.rate,
            [](const QString &t) { return wholeNumber(t, 1, 10'000'000); }))
        return QStringLiteral("--rate takes a whole number from 1 to 10000000");
    if (!readOption(parser, "seconds", settings.seconds, secondsValue) || settings.seconds <= 0)
        return QStringLiteral("--seconds takes a number of seconds above 0, up to a day");
    if (!readOption(parser, "mix", settings.mix, mixOption))
        return QStringLiteral("--mix takes channel, sysex, realtime or mixed");
    if (!readOption(parser, "sysex-size", settings.sysExSize,
            [](const QString &t) { return wholeNumber(t, SmallestSysEx, LargestSysEx); }))
        return QStringLiteral("--sysex-size takes a whole number of bytes from %1 to %2")
            .arg(SmallestSysEx)
            .arg(LargestSysEx);
    const double total = std::round(double(settings.rate) * settings.seconds);
    if (total < 1 || total > double(LargestSequence) + 1)
        return QStringLiteral(
            "--rate times --seconds must make at least one message and at most %1")
            .arg(LargestSequence + 1);
    if (parser.isSet("client-name"))
        settings.clientName = parser.value("client-name");
    return settings.clientName.isEmpty() ? QStringLiteral("--client-name takes a name") : QString();
}

// Several clients send side by side, each on a thread of its own.
std::vector<SendReport> runAll(const std::vector<std::unique_ptr<LoadSender>> &senders)
{
    std::vector<SendReport> reports(senders.size());
    std::vector<std::thread> runs;
    for (std::size_t i = 0; i < senders.size(); ++i)
        runs.emplace_back([&, i] { reports[i] = senders[i]->run(); });
    for (std::thread &run : runs)
        run.join();
    return reports;
}

// The senders, each connected to its port or waited for as the options say; the reason in
// `failure` when one was not.
std::vector<std::unique_ptr<LoadSender>> openSenders(const QCommandLineParser &parser,
    const SendSettings &settings, std::uint64_t clients, int listeners,
    std::chrono::milliseconds waitFor, QString &failure)
{
    std::vector<std::unique_ptr<LoadSender>> senders;
    for (std::uint64_t client = 1; client <= clients && failure.isEmpty(); ++client) {
        SendSettings own = settings;
        if (clients > 1)
            own.clientName += QStringLiteral("-%1").arg(client);
        senders.push_back(LoadSender::open(own, failure));
        const bool connecting = senders.back() && parser.isSet("connect");
        if (connecting)
            failure = senders.back()->connectTo(parser.value("connect"), waitFor);
        if (failure.isEmpty() && senders.back()
            && (connecting ? listeners > 1 : parser.isSet("wait-for-port")))
            failure = senders.back()->waitForListener(waitFor, listeners);
    }
    return senders;
}

int send(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QString wrong = parse(parser, arguments,
        {{"rate", {}, "N"}, {"seconds", {}, "S"}, {"mix", {}, "KIND"}, {"sysex-size", {}, "B"},
            {"connect", {}, "PORT"}, {"wait-for-port", {}, "SECONDS"}, {"client-name", {}, "NAME"},
            {"clients", {}, "C"}, {"listeners", {}, "L"}},
        0);
    SendSettings settings;
    if (!wrong.isEmpty())
        return misuse(wrong);
    if (const QString why = readSendSettings(parser, settings); !why.isEmpty())
        return misuse(why);
    double wait = 0;
    if (!readOption(parser, "wait-for-port", wait, secondsValue))
        return misuse(QStringLiteral("--wait-for-port takes a number of seconds, up to a day"));
    if (parser.isSet("connect") && parser.value("connect").isEmpty())
        return misuse(QStringLiteral("--connect takes a port name"));
    const auto upTo64 = [](const QString &t) { return wholeNumber(t, 1, 64); };
    std::uint64_t clients = 1;
    if (!readOption(parser, "clients", clients, upTo64))
        return misuse(QStringLiteral("--clients takes a whole number from 1 to 64"));
    std::uint64_t listeners = 1;
    if (!readOption(parser, "listeners", listeners, upTo64))
        return misuse(QStringLiteral("--listeners takes a whole number from 1 to 64"));
    QString failure;
    const std::vector<std::unique_ptr<LoadSender>> senders = openSenders(parser, settings, clients,
        int(listeners), std::chrono::milliseconds(std::llround(wait * 1000)), failure);
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "lumetra_loadgen: %s\n", qPrintable(failure));
        return Fault;
    }
    const std::vector<SendReport> reports = runAll(senders);
    std::fputs(reportsText(reports).c_str(), stdout);
    return std::ranges::all_of(reports, &SendReport::complete) ? Success : Fault;
}

int verify(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QString wrong = parse(
        parser, arguments, {{"expect", {}, "N"}, {"mix", {}, "KIND"}, {"source", {}, "NAME"}}, -1);
    if (!wrong.isEmpty())
        return misuse(wrong);
    Mix mix = Mix::Channel;
    if (!readOption(parser, "mix", mix, mixOption))
        return misuse(QStringLiteral("--mix takes channel, sysex, realtime or mixed"));
    std::optional<std::uint64_t> expected;
    if (!readOption(parser, "expect", expected,
            [](const QString &t) { return wholeNumber(t, 0, LargestSequence + 1); }))
        return misuse(QStringLiteral("--expect takes a whole number of messages"));

    // The files of a rotating recording, in their order, are one log.
    LogFormats::AsLog asLog;
    for (const QString &path : parser.positionalArguments()) {
        QFile log(path);
        LogFormats::AsLog part = log.open(QIODevice::ReadOnly)
            ? LogFormats::asTrafficLog(log, parser.isSet("source"))
            : LogFormats::AsLog {{}, log.errorString()};
        if (!part.reason.isEmpty()) {
            std::fprintf(stderr, "lumetra_loadgen: cannot read \"%s\": %s\n", qPrintable(path),
                qPrintable(part.reason));
            return Misuse;
        }
        asLog.log += part.log;
    }
    QBuffer lines(&asLog.log);
    lines.open(QIODevice::ReadOnly);
    const LogReport report = parser.isSet("source")
        ? verifySourceOfLog(lines, parser.value("source").toStdString(), mix, expected)
        : verifyLog(lines, mix, expected);
    std::fputs(report.text().c_str(), stdout);
    return report.passed() ? Success : Fault;
}

} // namespace

// A load generator for Lumetra's input and a checker of the log Lumetra saves of it.
int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 2; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const QString command = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    // "send --help" asks for the help too, as every command-line tool takes it.
    const bool helpAsked = command == "--help" || command == "-h" || command == "help"
        || arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"));
    if (helpAsked) {
        std::fputs(Usage, stdout);
        return Success;
    }
    if (command == "send")
        return send(arguments);
    if (command == "verify")
        return verify(arguments);
    return misuse(command.isEmpty() ? QStringLiteral("a command is needed: send or verify")
                                    : QStringLiteral("unknown command \"%1\"").arg(command));
}
