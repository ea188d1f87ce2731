#include "ToolMain.h"

#include "CaptureOutput.h"
#include "CaptureRun.h"
#include "CiReport.h"
#include "CiRun.h"
#include "SendRun.h"
#include "StopSignals.h"
#include "ToolLine.h"
#include "ports/PortError.h"
#include "ports/PortNameMatch.h"
#include "ports/PortSystem.h"

#include <QCoreApplication>
#include <cstdio>
#include <functional>
#include <optional>

namespace {

enum Status : int { Done = 0, Failed = 1, Misused = 2 };

int say(std::FILE *stream, const QString &text, int status)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
    return status;
}

int fail(const QString &reason, int status = Failed)
{
    return say(stderr, QStringLiteral("lumetra: ") + reason + QLatin1Char('\n'), status);
}

// The names given replaced by the devices they stand for; the refusals of those that stand
// for none or for several.
QString resolveNames(QStringList &names, const PortSystem &ports, PortDirection direction)
{
    return PortNameMatch::resolve(
        names, ports.names(direction), direction == PortDirection::Input ? "input" : "output");
}

// The inputs --filter and --only name; a word that no input's name holds was no word at all.
QString resolveSourceWords(QStringList &words, const QStringList &inputs)
{
    QString refusals;
    for (QString &word : words) {
        const PortNameMatch::Found found = PortNameMatch::find(word, inputs, "input");
        if (!found.name.isEmpty())
            word = found.name;
        else if (found.ambiguous)
            refusals += found.refusal + QLatin1Char('\n');
        else
            refusals += QStringLiteral("'%1' is no filter word and no input's name (see "
                                       "lumetra help capture).\n")
                            .arg(word);
    }
    return refusals;
}

// Names not listed are no misuse while a system does not answer: they may be its ports, and
// the user is told what keeps them away.
int refuseUnknown(const QString &unknown, const PortSystem &ports)
{
    if (const QStringList notices = ports.notices(); !notices.isEmpty())
        return fail(notices.join(u' '));
    return say(stderr, QStringLiteral("lumetra: ") + unknown, Misused);
}

// Messages lost on the way in are said, and fail the run: a script must not take a
// capture with holes for a whole one.
int captureStatus(const CaptureRun &run)
{
    if (!run.failure().isEmpty())
        return fail(run.failure());
    if (run.xruns() > 0)
        fail(QStringLiteral("the JACK server ran late %1 times: messages may be missing.")
                 .arg(run.xruns()),
            Done);
    if (run.unnamed() > 0)
        return fail(QStringLiteral("%1 messages were not kept: their inputs came after the %2 "
                                   "that one capture names.")
                        .arg(run.unnamed())
                        .arg(CaptureStore::MaxSources));
    if (run.dropped() > 0)
        return fail(QStringLiteral("%1 messages were dropped: they came faster than they could "
                                   "be taken in.")
                        .arg(run.dropped()));
    return Done;
}

int capture(
    CaptureOptions options, const std::shared_ptr<PortSystem> &ports, StopSignals &stopSignals)
{
    if (const QString unknown = resolveNames(options.inputs.names, *ports, PortDirection::Input)
            + PortNameMatch::resolve(options.taps, ports->tappableNames(), "port");
        !unknown.isEmpty())
        return refuseUnknown(unknown, *ports);
    const QStringList inputs = ports->names(PortDirection::Input);
    QString unknownWords = resolveSourceWords(options.withheldInputs, inputs);
    for (TrafficWords &words : options.selection.only)
        unknownWords += resolveSourceWords(words.sources(), inputs);
    if (!unknownWords.isEmpty())
        return say(stderr, QStringLiteral("lumetra: ") + unknownWords, Misused);
    QString reason;
    const auto output = CaptureOutput::open(options.format, options.outputPath,
        options.inputs.isSeveral() || !options.taps.isEmpty(), reason, options.rotation);
    if (!output)
        return fail(reason);
    CaptureRun run(ports,
        {options.inputs, options.filter, options.withheldInputs, options.end, options.selection,
            options.hiddenPatterns, options.taps},
        *output);
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &run, &CaptureRun::stop);
    QObject::connect(
        &run, &CaptureRun::finished, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    try {
        run.start();
    } catch (const PortError &error) {
        return fail(error.description());
    }
    QCoreApplication::exec();
    return captureStatus(run);
}

// A run that did not send everything says why, and how much it left unsent.
int sendFailure(const SendRun &run)
{
    fail(run.failure());
    if (run.unsent() == 0)
        return Failed;
    return fail(run.unsent() == 1 ? QStringLiteral("1 message was not sent.")
                                  : QStringLiteral("%1 messages were not sent.").arg(run.unsent()));
}

// The reply comes as the text log prints it, to standard output, as it arrives.
std::unique_ptr<CaptureRun> startReply(const SendOptions &options,
    const std::shared_ptr<PortSystem> &ports, std::unique_ptr<CaptureOutput> &output)
{
    QString reason;
    output = CaptureOutput::open(
        CaptureFormat::Text, QString(), options.replyInputs.isSeveral(), reason);
    if (!output)
        throw PortError(reason);
    RunEnd end;
    end.count = options.replyCount;
    auto reply = std::make_unique<CaptureRun>(
        ports, CaptureRun::Settings {options.replyInputs, {}, {}, end}, *output);
    reply->start();
    return reply;
}

// The status to exit with when a port the run needs is not there; the notices its arguments
// gave (an EOX added) are said first otherwise.
std::optional<int> refuseBeforeSending(SendOptions &options, PortSystem &ports)
{
    QStringList output {options.outputName};
    const QString unknown = resolveNames(output, ports, PortDirection::Output)
        + resolveNames(options.replyInputs.names, ports, PortDirection::Input);
    if (!unknown.isEmpty())
        return refuseUnknown(unknown, ports);
    options.outputName = output.front();
    for (const QString &notice : options.notices)
        say(stderr, QStringLiteral("lumetra: ") + notice + QLatin1Char('\n'), Done);
    return std::nullopt;
}

int sendStatus(const SendOptions &options, const SendRun &run, const CaptureRun *reply)
{
    if (!run.failure().isEmpty())
        return sendFailure(run);
    if (reply && reply->taken() == 0)
        return fail(QStringLiteral("No reply came within %1 seconds.")
                        .arg(double(options.expectReply->count()) / 1000));
    return reply ? captureStatus(*reply) : Done;
}

// The reply stops with the run when the user stops it, and says when it has ended.
void followReply(CaptureRun &reply, StopSignals &stopSignals, const std::function<void()> &ended)
{
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &reply, &CaptureRun::stop);
    QObject::connect(&reply, &CaptureRun::finished, qApp, ended, Qt::QueuedConnection);
}

int send(SendOptions options, const std::shared_ptr<PortSystem> &ports, StopSignals &stopSignals)
{
    if (const std::optional<int> refused = refuseBeforeSending(options, *ports))
        return *refused;
    std::unique_ptr<CaptureOutput> replyOutput;
    std::unique_ptr<CaptureRun> reply;
    SendRun run(ports, options);
    bool sent = false;
    bool replied = false;
    const auto quitWhenBothEnded = [&] {
        if (sent && (!reply || replied))
            QCoreApplication::quit();
    };
    try {
        if (options.expectReply)
            reply = startReply(options, ports, replyOutput);
        run.start();
    } catch (const PortError &error) {
        return fail(error.description());
    }
    if (reply)
        followReply(*reply, stopSignals, [&] {
            replied = true;
            quitWhenBothEnded();
        });
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &run, &SendRun::stop);
    QObject::connect(
        &run, &SendRun::finished, qApp,
        [&] {
            sent = true;
            if (reply && run.failure().isEmpty())
                reply->endAfter(*options.expectReply);
            else if (reply)
                reply->stop();
            quitWhenBothEnded();
        },
        Qt::QueuedConnection);
    QCoreApplication::exec();
    return sendStatus(options, run, reply.get());
}

// The results go to standard output as text or JSON; a path that lost or altered anything,
// or answered nothing, fails the run.
int loopTest(
    LoopTestOptions options, const std::shared_ptr<PortSystem> &ports, StopSignals &stopSignals)
{
    QStringList output {options.path.output};
    QStringList input {options.path.input};
    if (const QString unknown = resolveNames(output, *ports, PortDirection::Output)
            + resolveNames(input, *ports, PortDirection::Input);
        !unknown.isEmpty())
        return refuseUnknown(unknown, *ports);
    options.path = {output.front(), input.front()};
    LoopTest test(ports);
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &test, &LoopTest::stop);
    QObject::connect(
        &test, &LoopTest::finished, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    try {
        test.start(options.path, options.settings);
    } catch (const PortError &error) {
        return fail(error.description());
    }
    QCoreApplication::exec();
    const LoopResults results = test.results();
    say(stdout,
        options.json ? LoopReport::json(options.path, results)
                     : LoopReport::text(options.path, results),
        Done);
    if (!results.failure.isEmpty())
        return fail(results.failure);
    return results.clean() ? Done : Failed;
}

// The devices or the reply to standard output; a run that got nothing says why.
int ciReport(const CiOptions &options, const CiRun &run)
{
    if (!run.failure().isEmpty())
        return fail(run.failure());
    const QString seconds = QString::number(double(options.wait.count()) / 1000);
    if (run.responders().empty())
        return fail(
            QStringLiteral("No device answered the Discovery within %1 seconds.").arg(seconds));
    if (options.action == CiOptions::Action::Discover)
        return say(stdout,
            options.json ? CiReport::discoveryJson(run.responders())
                         : CiReport::discoveryText(run.responders()),
            Done);
    if (!run.reply())
        return fail(
            QStringLiteral("No Property Exchange reply came within %1 seconds.").arg(seconds));
    if (const QString failure = CiReport::statusFailure(*run.reply()); !failure.isEmpty())
        return fail(failure);
    return say(stdout,
        options.json ? CiReport::propertyJson(*run.reply(), options.resource)
                     : CiReport::propertyText(*run.reply()),
        Done);
}

int capabilityInquiry(
    CiOptions options, const std::shared_ptr<PortSystem> &ports, StopSignals &stopSignals)
{
    QStringList output {options.outputName}, input {options.inputName};
    if (const QString unknown = resolveNames(output, *ports, PortDirection::Output)
            + resolveNames(input, *ports, PortDirection::Input);
        !unknown.isEmpty())
        return refuseUnknown(unknown, *ports);
    options.outputName = output.front();
    options.inputName = input.front();
    CiRun run(ports, options);
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &run, &CiRun::stop);
    QObject::connect(&run, &CiRun::finished, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    try {
        run.start();
    } catch (const PortError &error) {
        return fail(error.description());
    }
    QCoreApplication::exec();
    return ciReport(options, run);
}

} // namespace

int runTool(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const ToolLine::Parsed parsed = ToolLine::parse(arguments);
    if (const auto *help = std::get_if<ToolLine::Help>(&parsed))
        return say(stdout, help->text, Done);
    if (const auto *refusal = std::get_if<ToolLine::Refusal>(&parsed))
        return say(stderr, QStringLiteral("lumetra: ") + refusal->reason, Misused);

    QCoreApplication app(argc, argv);
    StopSignals stopSignals;
    const auto ports = PortSystem::createDefault();
    if (const auto *options = std::get_if<CaptureOptions>(&parsed))
        return capture(*options, ports, stopSignals);
    if (const auto *options = std::get_if<LoopTestOptions>(&parsed))
        return loopTest(*options, ports, stopSignals);
    if (const auto *options = std::get_if<CiOptions>(&parsed))
        return capabilityInquiry(*options, ports, stopSignals);
    return send(std::get<SendOptions>(parsed), ports, stopSignals);
}
