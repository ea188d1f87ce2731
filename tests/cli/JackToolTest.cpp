#include "capture/TaskProgress.h"
#include "imports/FileImport.h"
#include "support/CiResponder.h"
#include "support/Files.h"
#include "support/JackPeer.h"
#include "support/JackWindow.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

namespace {

using Bytes = JackPeer::Bytes;

// `lumetra` run as a script runs it: no display, standard output read as it comes.
struct Tool
{
    QProcess process;

    // With `pipedInto`, standard output goes to that shell command; the exit status stays
    // Lumetra's.
    explicit Tool(const QStringList &arguments, const QString &pipedInto = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        process.setProcessEnvironment(environment);
        const QString lumetra = QStringLiteral(LUMETRA_EXECUTABLE);
        if (pipedInto.isEmpty())
            process.start(lumetra, arguments);
        else
            process.start("bash",
                QStringList {"-c", "set -o pipefail; \"$0\" \"$@\" | " + pipedInto, lumetra}
                    + arguments);
    }
    bool ended() { return process.waitForFinished(10000); }
    QByteArray out() { return process.readAllStandardOutput(); }
    QString err() { return QString::fromLocal8Bit(process.readAllStandardError()); }
    void signal(int number) { ::kill(pid_t(process.processId()), number); }
};

const Bytes NoteOn {0x90, 0x3C, 0x7F};
const Bytes Volume {0xB0, 0x07, 0x64};
const Bytes Dump {0xF0, 0x7D, 0x01, 0xF7};

// A peer for Lumetra to capture from ("out") and send to ("in").
struct JackTool : testing::Test
{
    std::optional<JackPeer> peer;
    QTemporaryDir folder;

    void SetUp() override
    {
        REQUIRE_JACK_OR_SKIP();
        peer.emplace("CliPeer");
        peer->addPort("out", true);
        peer->addPort("in", false);
    }

    // The run ended and its ports left the peer's, so that the next run's connection is
    // its own: the server notices a process gone only a moment later.
    bool ended(Tool &tool)
    {
        return tool.ended()
            && QTest::qWaitFor(
                [&] { return !peer->isConnected("out") && !peer->isConnected("in"); }, 5000);
    }
};

} // namespace

using JackCapture = JackTool;
using JackSend = JackTool;

// Each format, and the filter words, which leave out what they name.
TEST_F(JackCapture, WritesWhatArrivesInEachFormatAndEndsAtItsCount)
{
    const QString file = folder.filePath("take");
    const struct
    {
        const char *format;
        bool toFile;
        QByteArray expected; // what the output begins with
        QStringList filters = {};
    } cases[] = {
        {"text", false, "90 3C 7F\r\nF0 7D 01 F7 \r\nB1 07 01\r\n"},
        {"jsonl", false,
            R"({"source":"JACK: CliPeer:out","stamp_us":)"}, // then the stamp, checked below
        {"csv", false, "Timestamp,Status,Data 1,Data 2,Channel,Event,SysEx Data,Time of Day"},
        {"syx", true, "\xF0\x7D\x01\xF7"}, {"midi", true, "MThd"},
        {"capture", true, ""}, // read back below
        {"hex", false, "B0 07 64\r\n", {"--filter", "note-on,sysex", "--filter", "2"}},
        {"hex", false, "F0 7D 01 F7 \r\n", {"--only", "sysex,cc", "--filter", "ch 1,ch 2"}},
        {"hex", false, "B1 07 01\r\n", {"--hide", "90 .. 7F", "--hide", "F0 7D"}},
        {"lines", false, "   0.0"}, // then the stamp, checked below
    };
    for (const auto &c : cases) {
        const QString count = c.filters.isEmpty() ? "3" : "1";
        QStringList arguments = QStringList {"capture", "--in", "JACK: CliPeer:out", "--format",
                                    c.format, "--count", count}
            + c.filters;
        if (c.toFile)
            arguments << "-o" << file;
        // A cycle the server ran late may lose what the peer sent in it: such a run proves
        // nothing, and is run again.
        std::optional<Tool> run;
        bool late = false;
        for (int attempt = 0; attempt < 3 && (!run || late); ++attempt) {
            const std::uint64_t xruns = peer->xruns();
            run.emplace(arguments);
            ASSERT_TRUE(peer->connectedWithin("out", 5000)) << c.format;
            for (const Bytes &message : {NoteOn, Dump, Bytes {0xB1, 0x07, 0x01}, Volume})
                peer->send("out", message);
            const bool done = ended(*run);
            late = !done && peer->xruns() > xruns;
            ASSERT_TRUE(done || late) << c.format << run->err().toStdString();
            if (late) {
                run->process.kill();
                ended(*run);
            }
        }
        if (late)
            GTEST_SKIP() << "the JACK server ran late in all three " << c.format
                         << " captures: what the peer's messages lost proves nothing";
        Tool &tool = *run;
        EXPECT_EQ(tool.process.exitCode(), 0) << c.format << tool.err().toStdString();
        const QByteArray written = c.toFile ? readFile(file) : tool.out();
        EXPECT_TRUE(written.startsWith(c.expected)) << c.format << written.toStdString();
        if (QByteArray(c.format) == "jsonl") {
            const QList<QByteArray> lines = written.split('\n');
            ASSERT_EQ(lines.size(), 4) << "three lines, each ended";
            EXPECT_TRUE(lines[0].endsWith(
                R"(,"bytes":"90 3C 7F","kind":"NOTE ON","details":"C4 velocity 127"})"))
                << lines[0].toStdString();
            EXPECT_TRUE(lines[1].contains(R"("bytes":"F0 7D 01 F7","kind":"SYSTEM EXCLUSIVE")"))
                << lines[1].toStdString();
        }
        if (QByteArray(c.format) == "lines") {
            const QList<QByteArray> lines = written.split('\n');
            ASSERT_EQ(lines.size(), 4) << written.toStdString();
            EXPECT_TRUE(lines[0].endsWith("  JACK: CliPeer:out  90 3C 7F  NOTE ON              1  "
                                          "C4 velocity 127"))
                << lines[0].toStdString();
        }
        if (QByteArray(c.format) == "capture") {
            TaskProgress progress;
            const CaptureReader::Loaded read = FileImport::load(file, progress);
            ASSERT_TRUE(read.rows) << read.reason.toStdString();
            ASSERT_EQ(read.rows->size(), 3u);
            const auto bytes = read.rows->at(1).bytes;
            EXPECT_EQ(Bytes(bytes.begin(), bytes.end()), Dump);
        }
    }
}

TEST_F(JackCapture, CtrlCOrAClosedPipeEndsTheRunWithEverythingWritten)
{
    const QString log = folder.filePath("take.txt");
    {
        Tool tool({"capture", "--in", "JACK: CliPeer:out", "--format", "hex", "-o", log});
        ASSERT_TRUE(peer->connectedWithin("out", 5000));
        peer->send("out", NoteOn);
        ASSERT_TRUE(QTest::qWaitFor([&] { return readFile(log) == "90 3C 7F\r\n"; }, 5000))
            << "streamed to the file as it came";
        peer->send("out", Volume);
        ASSERT_TRUE(QTest::qWaitFor([&] { return readFile(log).size() > 10; }, 5000));
        tool.signal(SIGINT);
        ASSERT_TRUE(ended(tool));
        EXPECT_EQ(tool.process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(tool.process.exitCode(), 0) << tool.err().toStdString();
        EXPECT_EQ(readFile(log), "90 3C 7F\r\nB0 07 64\r\n");
    }
    {
        // A whole format on SIGTERM with nothing received: a capture of no rows, not a
        // half-written file.
        const QString take = folder.filePath("take.lmc");
        Tool tool({"capture", "--in", "JACK: CliPeer:out", "--format", "capture", "-o", take});
        ASSERT_TRUE(peer->connectedWithin("out", 5000));
        tool.signal(SIGTERM);
        ASSERT_TRUE(ended(tool));
        EXPECT_EQ(tool.process.exitCode(), 0) << tool.err().toStdString();
        TaskProgress progress;
        const CaptureReader::Loaded read = FileImport::load(take, progress);
        ASSERT_TRUE(read.rows) << read.reason.toStdString();
        EXPECT_EQ(read.rows->size(), 0u);
    }
    // head takes a line and goes; true goes before anything is written.
    for (const QString reader : {"head -n 1", "true"}) {
        Tool tool({"capture", "--in", "cliPEER:o", "--format", "hex"}, reader);
        ASSERT_TRUE(peer->connectedWithin("out", 5000));
        for (const Bytes &message : {NoteOn, Volume})
            peer->send("out", message);
        ASSERT_TRUE(ended(tool)) << reader.toStdString();
        EXPECT_EQ(tool.process.exitCode(), 0) << tool.err().toStdString();
        EXPECT_EQ(tool.out(), reader == "true" ? "" : "90 3C 7F\r\n");
    }
}

TEST_F(JackSend, SendsMessagesAFileAndRepeatsThenExitsWithWhatWentWrong)
{
    const QString dumps = writeFile(
        folder.filePath("dumps.syx"), QByteArray("\xF0\x7D\x01\xF7\xF0\x7D\x02\xF7", 8));
    const QString huge = writeFile(folder.filePath("huge.syx"), sysExOf(1 << 20));
    const struct
    {
        QStringList arguments;
        std::vector<Bytes> received;
        int status = 0;
        const char *said = "";
    } cases[] = {
        {{"90 3C 7F", "f0 7d 01 f7"}, {NoteOn, Dump}},
        {{"ch", "2", "on", "60", "127", "syx", "125", "1"}, {{0x91, 0x3C, 0x7F}, Dump}},
        {{"--file", dumps, "--pause", "1"}, {Dump, {0xF0, 0x7D, 0x02, 0xF7}}},
        {{"--repeat", "5", "--count", "3", "C0 05"}, {{0xC0, 0x05}, {0xC0, 0x05}, {0xC0, 0x05}}},
        {{"--several", "90 3C 7F B0 07 64"}, {NoteOn, Volume}},
        {{"F0 7D 01"}, {Dump}}, // the F7 added, and said
        {{"90 3C 7F 80 3C 00"}, {}, 2, "holds more than one message"}, // an argument is one
        {{"--file", huge}, {}, 1, "more than this output can carry"}, // the port's reason
    };
    for (const auto &c : cases) {
        const std::size_t before = peer->receivedCount();
        Tool tool(QStringList {"send", "--out", "JACK: CliPeer:in"} + c.arguments);
        ASSERT_TRUE(ended(tool));
        const QString err = tool.err();
        EXPECT_EQ(tool.process.exitCode(), c.status) << err.toStdString();
        EXPECT_TRUE(err.contains(c.said)) << err.toStdString();
        EXPECT_EQ(err.contains("Appending EOX to SysExMessage: F0 7D 01 F7"),
            c.arguments == QStringList {"F0 7D 01"})
            << err.toStdString();
        if (jackIsPipeWire())
            continue; // see the end
        // Everything went out before the program closed its port.
        const std::vector<Bytes> received = peer->received();
        EXPECT_EQ(
            std::vector(received.begin() + std::ptrdiff_t(before), received.end()), c.received)
            << c.arguments.join(' ').toStdString();
    }
    EXPECT_EQ(peer->notWhole(), std::vector<Bytes> {}) << "a JACK event holds one whole message";
    // Seen with 0.3.65 in one CI run of five: the peer got nothing of a run's two messages.
    SKIP_ON_PIPEWIRE("what each run sent is not checked message by message: a program that "
                     "joined the graph a moment before may lose its first messages through "
                     "the connection it just made");
}

TEST_F(JackSend, ExpectReplyPrintsWhatCameBackOrFailsWithoutIt)
{
    // Seen with 0.3.65: in one run of three the request never reached the peer within 5 s.
    SKIP_ON_PIPEWIRE("the tool's output into the peer and the peer's output back into the tool "
                     "are a cycle in the graph, which PipeWire runs now and then, not every "
                     "period as jackd does");
    const Bytes request {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
    const Bytes identity {0xF0, 0x7E, 0x00, 0x06, 0x02, 0x7D, 0xF7};
    for (const bool answers : {true, false}) {
        Tool tool({"send", "--out", "JACK: CliPeer:in", "--in", "JACK: CliPeer:out",
            "--expect-reply", "0.5", "--reply-count", "1", "F0 7E 7F 06 01 F7"});
        if (answers) {
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return peer->received() == std::vector<Bytes> {request}; }, 5000));
            peer->send("out", identity);
        }
        ASSERT_TRUE(ended(tool));
        EXPECT_EQ(tool.process.exitCode(), answers ? 0 : 1) << tool.err().toStdString();
        EXPECT_EQ(tool.out(), answers ? "F0 7E 00 06 02 7D F7 \r\n" : "");
        if (!answers) {
            EXPECT_TRUE(tool.err().contains("No reply came within 0.5 seconds"));
        }
    }
}

// `loop-test` prints what came back of a path, and fails a path that returns nothing.
TEST_F(JackTool, LoopTestPrintsThePathsFiguresAndFailsAPathThatReturnsNothing)
{
    Tool clean({"loop-test", "--out", "Lumetra Loopback", "--in", "Lumetra Loopback", "--rate",
        "2000", "--seconds", "0.5", "--json"});
    ASSERT_TRUE(clean.ended());
    EXPECT_EQ(clean.process.exitCode(), 0) << clean.err().toStdString();
    const QByteArray json = clean.out();
    for (const char *figure :
        {"\"clean\":true", "\"received\":1001", "\"lost\":0", "\"latency_median_us\":"})
        EXPECT_TRUE(json.contains(figure)) << figure << " in " << json.toStdString();

    Tool deadEnd({"loop-test", "--out", "JACK: " + peer->fullName("in"), "--in",
        "JACK: " + peer->fullName("out"), "--seconds", "0.5"});
    ASSERT_TRUE(deadEnd.ended());
    EXPECT_EQ(deadEnd.process.exitCode(), 1);
    EXPECT_TRUE(deadEnd.err().contains("Nothing came back on \"JACK: " + peer->fullName("out")
        + "\" within 2 s of the first message sent to \"JACK: " + peer->fullName("in") + "\"."))
        << deadEnd.err().toStdString();
}

using JackSendFrozen = JackPrivateServer;

// A server stopped mid-run took only some of the messages: the run counts the rest and
// fails. Against a server stopped before the start, the words say that it does not answer,
// not that the port is missing.
TEST_F(JackSendFrozen, CountsWhatTheServerNeverTookAndSaysThatItDoesNotAnswer)
{
    JackPeer peer("FrozenPeer");
    peer.addPort("in", false);
    peer.addPort("out", true);
    constexpr std::size_t Count = 1000;
    Tool run({"send", "--out", "JACK: FrozenPeer:in", "--repeat", "1", "--count",
        QString::number(Count), "90 3C 7F"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer.receivedCount() >= 50; }, 10000));
    server.pause();
    const bool runEnded = run.ended();
    const std::size_t received = peer.receivedCount();
    Tool send({"send", "--out", "JACK: FrozenPeer:in", "90 3C 7F"});
    Tool loopTest({"loop-test", "--out", "JACK: FrozenPeer:in", "--in", "JACK: FrozenPeer:out"});
    const bool othersEnded = send.ended() && loopTest.ended();
    server.resume();
    ASSERT_TRUE(runEnded && othersEnded);

    EXPECT_EQ(run.process.exitCode(), 1);
    const QString err = run.err();
    const QRegularExpressionMatch unsent
        = QRegularExpression("(\\d+) messages were not sent").match(err);
    ASSERT_TRUE(unsent.hasMatch()) << err.toStdString();
    const std::size_t counted = unsent.captured(1).toULongLong() + received;
    // Cycles under way as the server stopped may hold some that reached no one (59 of
    // 20,000 at one a millisecond, when measured).
    EXPECT_LE(counted, Count) << "none counted twice: " << err.toStdString();
    EXPECT_GE(counted + 100, Count) << err.toStdString();
    for (Tool *tool : {&send, &loopTest}) {
        EXPECT_EQ(tool->process.exitCode(), 1);
        const QString words = tool->err();
        EXPECT_TRUE(words.contains("The JACK server does not answer")) << words.toStdString();
        EXPECT_FALSE(words.contains("There is no MIDI")) << words.toStdString();
    }
}

using JackCi = JackTool;

// Discovery and a Get against a responder of the tests' own, which answers as it is asked.
TEST_F(JackCi, DiscoversTheResponderAndGetsAResourceInChunks)
{
    CiResponder responder(*peer);
    const QStringList path {"--out", "JACK: CliPeer:in", "--in", "JACK: CliPeer:out"};
    const auto run = [&](const QStringList &arguments) {
        auto tool = std::make_unique<Tool>(QStringList {"ci"} + arguments + path);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                responder.answer();
                return tool->process.state() == QProcess::NotRunning;
            },
            10000));
        // Its ports left the peer's, so that the next run's connection is its own.
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return !peer->isConnected("out") && !peer->isConnected("in"); }, 5000));
        return tool;
    };
    auto discover = run({"discover", "--wait", "1"});
    EXPECT_EQ(discover->process.exitCode(), 0) << discover->err().toStdString();
    EXPECT_EQ(discover->out(),
        "MUID 0ABCDEF: ID 00 21 09 Native Instruments, family 0001 (1), model 0002 (2), "
        "version 01 00 00 00 (1.0.0.0), categories 08 (property exchange), max SysEx 512 bytes, "
        "output path 00, function block 00\n");
    auto json = run({"discover", "--wait", "1", "--json"});
    const QJsonArray devices = QJsonDocument::fromJson(json->out()).array();
    ASSERT_EQ(devices.size(), 1);
    EXPECT_EQ(devices[0]["muid"], "0ABCDEF");
    EXPECT_EQ(devices[0]["max_sysex_size"], 512);
    EXPECT_EQ(devices[0]["categories"], QJsonArray {"property exchange"});

    auto get = run({"get", "DeviceInfo"});
    EXPECT_EQ(get->process.exitCode(), 0) << get->err().toStdString();
    EXPECT_EQ(get->out(), QByteArray(CiResponder::Body) + '\n');
    auto getJson = run({"get", "DeviceInfo", "--json"});
    const QJsonObject reply = QJsonDocument::fromJson(getJson->out()).object();
    EXPECT_EQ(reply["header"]["status"], 200);
    EXPECT_EQ(reply["body"]["manufacturer"], "Lumetra tests");
    auto missing = run({"get", "ProgramList"});
    EXPECT_EQ(missing->process.exitCode(), 1);
    EXPECT_TRUE(missing->err().contains("status 404: no such resource"))
        << missing->err().toStdString();
}

TEST_F(JackCi, SaysWhenNoDeviceAnswers)
{
    Tool tool({"ci", "discover", "--wait", "0.3", "--out", "JACK: CliPeer:in", "--in",
        "JACK: CliPeer:out"});
    ASSERT_TRUE(ended(tool));
    EXPECT_EQ(tool.process.exitCode(), 1);
    EXPECT_TRUE(tool.err().contains("No device answered the Discovery within 0.3 seconds"))
        << tool.err().toStdString();
    Tool misused({"ci", "get", "a\"b", "--out", "x", "--in", "y"});
    ASSERT_TRUE(misused.ended());
    EXPECT_EQ(misused.process.exitCode(), 2) << "a resource name that would break the header";
}

// Two senders into the peer's input, tapped: each message comes under its sender's source.
TEST_F(JackCapture, TapsAnotherProgramsInputWithEachSenderAsASource)
{
    JackPeer seqA("CliSeqA");
    JackPeer seqB("CliSeqB");
    for (JackPeer *sender : {&seqA, &seqB}) {
        sender->addPort("out", true);
        sender->connect(sender->fullName("out"), peer->fullName("in"));
    }
    Tool tool({"capture", "--tap", "CliPeer:in", "--format", "jsonl", "--count", "2"});
    ASSERT_TRUE(seqA.connectedWithin("out", 10000, 2) && seqB.connectedWithin("out", 10000, 2))
        << "the peer, and the tap";
    seqA.send("out", NoteOn);
    ASSERT_TRUE(QTest::qWaitFor([&] { return tool.process.bytesAvailable() > 0; }, 10000));
    seqB.send("out", Volume);
    ASSERT_TRUE(tool.ended());
    EXPECT_EQ(tool.process.exitCode(), 0) << tool.err().toStdString();
    const QList<QByteArray> lines = tool.out().split('\n');
    ASSERT_EQ(lines.size(), 3) << "two lines, each ended";
    EXPECT_TRUE(lines[0].startsWith(R"x({"source":"→ CliPeer:in (from CliSeqA:out)")x"))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith(R"x({"source":"→ CliPeer:in (from CliSeqB:out)")x"))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[1].contains(R"("bytes":"B0 07 64")")) << lines[1].toStdString();
}
