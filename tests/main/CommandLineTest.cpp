#include "main/CommandLine.h"

#include "capture/TaskProgress.h"
#include "imports/FileImport.h"
#include "main/frmMain.h"
#include "ports/InputSet.h"
#include "ports/MIDIInput.h"
#include "ports/MIDIOutput.h"
#include "ports/PortTaps.h"
#include "support/Files.h"
#include "support/Preferences.h"
#include "support/ScriptedBackend.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Finished
{
    int status;
    QString out, err;
};

Finished run(const QString &program, const QStringList &arguments,
    const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    process.waitForFinished(20000);
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
        QString::fromLocal8Bit(process.readAllStandardError())};
}

// With `display` false, as on a machine without a window system.
Finished lumetra(const QStringList &arguments, bool display = true)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!display)
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
    return run(QStringLiteral(LUMETRA_EXECUTABLE), arguments, environment);
}

} // namespace

TEST(CommandLine, EachOptionAnswersAndExitsWithItsStatus)
{
    struct Case
    {
        QStringList arguments;
        int status;
        QString out, errStart;
    };
    const Case cases[] = {
        {{"--version"}, 0, "Lumetra " LUMETRA_VERSION "\n", ""},
        {{"--bogus"}, 2, "", "lumetra: Unknown option 'bogus'. See lumetra --help.\n"},
        {{"a.lmc", "stray"}, 2, "", "lumetra: Unexpected argument 'stray'."},
        {{"--in"}, 2, "", "lumetra: Missing value after '--in'."},
        {{"--in", "No Such Device"}, 2, "",
            "lumetra: There is no MIDI input named \"No Such Device\""},
        {{"--in=Lumetra Loopback", "--out="}, 2, "", "lumetra: '--out' needs a device name"},
        {{"--rotate", "files:3"}, 2, "", "lumetra: '--rotate' goes with '--record FILE'."},
        {{"--record", "t.lmc", "--rotate", "size:0"}, 2, "", "lumetra: Unknown rotation 'size:0'"},
        {{"--record="}, 2, "", "lumetra: '--record' needs the name of a file."},
        {{"bogus"}, 2, "",
            "lumetra: There is no word 'bogus': capture, send, loop-test, ci or help"},
        {{"help", "bogus"}, 2, "",
            "lumetra: There is no word 'bogus': capture, send, loop-test, ci or help. See lumetra "
            "help.\n"},
        {{"capture", "--bogus"}, 2, "",
            "lumetra: Unknown option 'bogus'. See lumetra help capture.\n"},
        {{"loop-test", "--in", "1"}, 2, "",
            "lumetra: loop-test needs a path: --out NAME and --in NAME (see lumetra "
            "--list-ports). See lumetra help loop-test.\n"},
        {{"capture", "--in", "99"}, 2, "", "lumetra: There is no MIDI input number 99: there are"},
        {{"capture", "--in", "Lumetra Loopback", "--format", "xml"}, 2, "",
            "lumetra: Unknown format 'xml'"},
        {{"capture", "--in", "No Such Device"}, 2, "",
            "lumetra: There is no MIDI input named \"No Such Device\""},
        {{"capture", "--in", "Lumetra Loopback", "--filter", "Nothing"}, 2, "",
            "lumetra: 'Nothing' is no filter word and no input's name"},
        {{"capture", "--in", "Lumetra Loopback", "--count", "0"}, 2, "",
            "lumetra: '--count' takes a whole number from 1"},
        {{"send", "--out", "Lumetra Loopback"}, 2, "",
            "lumetra: send takes messages or '--file', one of the two."},
        {{"send", "--out", "Lumetra Loopback", "90 3G"}, 2, "", "lumetra: '90 3G': "},
        {{"send", "--out", "Lumetra Loopback", "--expect-reply", "1", "90 3C 7F"}, 2, "",
            "lumetra: '--in' and '--expect-reply' go together."},
        {{"send", "--out", "Lumetra Loopback", "--file", "/nonexistent.syx"}, 1, "",
            "lumetra: \"/nonexistent.syx\" cannot be read"},
        {{"capture", "--in", "Lumetra Loopback", "--format", "midi", "-o", "/nonexistent/a.mid"}, 1,
            "", "lumetra: Cannot write \"/nonexistent/a.mid\": its folder is not there"},
        // A part of a name in any case stands for the input: the run goes on to the file.
        {{"capture", "--in", "LOOPBACK", "--format", "midi", "-o", "/nonexistent/a.mid"}, 1, "",
            "lumetra: Cannot write"},
    };
    for (const Case &c : cases) {
        const Finished run = lumetra(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(run.out, c.out) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(c.errStart)) << run.err.toStdString();
        // Qt may warn of its own, before; what the program says is one line.
        if (c.status == 2) {
            EXPECT_EQ(run.err.split('\n', Qt::SkipEmptyParts)
                          .filter(QRegularExpression("^(?!QStandardPaths)"))
                          .size(),
                1)
                << "one line: " << run.err.toStdString();
        }
    }
    // Without a display the window says so; the words need none.
    const Finished windowless = lumetra({}, false);
    EXPECT_EQ(windowless.status, 1);
    EXPECT_TRUE(windowless.err.contains("the window needs a display"))
        << windowless.err.toStdString();
    for (const char *word : {"capture", "send", "help"}) {
        const Finished help = lumetra({"help", word}, false);
        EXPECT_EQ(help.status, 0) << word;
        EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: lumetra ") + word)) << word;
    }
    EXPECT_TRUE(lumetra({"help"}, false).out.contains("lumetra capture --in NAME"));
    const Finished help = lumetra({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char *option :
        {"--list-ports", "--in <name>", "--out <name>", "--version", "[file]", "loop-test"})
        EXPECT_TRUE(help.out.contains(option)) << option;
    const Finished list = lumetra({"--list-ports"});
    EXPECT_EQ(list.status, 0);
    EXPECT_TRUE(list.out.startsWith("MIDI In:\n"));
    EXPECT_TRUE(list.out.contains("  1  ")) << "numbered as --in takes them";
    EXPECT_TRUE(list.out.contains("  Lumetra Loopback\nMIDI Out:\n")
        || list.out.contains("  Lumetra virtual input\nMIDI Out:\n"));
}

TEST(CommandLine, NamedDevicesWinOverTheRememberedOnes)
{
    const struct
    {
        QStringList inputs; // each given with --in
        QString first;
        QStringList further;
    } cases[] = {
        {{"In B"}, "In B", {}},
        {{"In C", "In A"}, "In C", {"In A"}},
        {{"all"}, "In A", {"In B", "In C"}},
    };
    for (const auto &c : cases) {
        QStringList arguments {"lumetra", "--out=Out B", "take.lmc", "--tap", "Out A"};
        for (const QString &input : c.inputs)
            arguments << "--in" << input;
        const CommandLine line = CommandLine::parse(arguments);
        ASSERT_EQ(line.action, CommandLine::Action::Run);
        EXPECT_EQ(line.openPath, "take.lmc");
        ScriptedBackend *backend = nullptr;
        rememberDevices(0, 0, "In A", "Out A");
        frmMain window(
            ScriptedBackend::system(backend, {"In A", "In B", "In C"}, {"Out A", "Out B"}),
            std::make_unique<ScriptedDialogs>());
        window.preferDevices(line.inputs, line.outputName, line.taps);
        window.Form_Load();
        EXPECT_EQ(window.MIDIInput1().chosenDeviceName(), c.first);
        // A backend that cannot tap offers the port as never there: it is waited for.
        EXPECT_EQ(window.inputs().taps().waitingFor(), QStringList {"Out A"});
        EXPECT_EQ(window.inputs().furtherNames(), c.further) << c.inputs.join(' ').toStdString();
        EXPECT_EQ(window.MIDIOutput1().chosenDeviceName(), "Out B");
    }
}

// An unattended run records from its start, in the files its rotation names, and a script or
// the system that ends it with SIGTERM closes it as the user closes the window: the recording
// ends whole.
TEST(CommandLine, ARecordingNamedRunsFromTheStartAndEndsWholeOnSigterm)
{
    QTemporaryDir folder;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", folder.path());
    environment.insert("XDG_CONFIG_HOME", folder.filePath("config"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(LUMETRA_EXECUTABLE),
        {"-platform", "offscreen", "--record", folder.filePath("night.lmc"), "--rotate", "size:1",
            "--rotate", "files:2"});
    QStringList files;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !(files = QDir(folder.path()).entryList({"*.lmc"})).isEmpty(); }, 20000));
    EXPECT_TRUE(QRegularExpression("^night_00001_\\d{8}-\\d{6}\\.lmc$").match(files[0]).hasMatch())
        << files[0].toStdString();
    ::kill(pid_t(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    TaskProgress progress;
    const CaptureReader::Loaded read = FileImport::load(folder.filePath(files[0]), progress);
    EXPECT_TRUE(read.rows) << read.reason.toStdString();
}

// The program named with a file reads it as it starts, whatever its kind.
TEST(CommandLine, AFileNamedIsReadAtStart)
{
    QTemporaryDir folder;
    const QString path = writeFile(folder.filePath("take.mid"),
        QByteArray::fromHex("4D546864000000060000000100604D54726B0000000400903C40"));
    // The kernel tells when a file opened for reading is closed again: read whole.
    const int watch = inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, QFile::encodeName(path).constData(), IN_CLOSE_NOWRITE), 0);
    QProcess process;
    process.start(QStringLiteral(LUMETRA_EXECUTABLE), {path});
    pollfd read {watch, POLLIN, 0};
    EXPECT_EQ(poll(&read, 1, 20000), 1) << "the file was not read";
    process.kill();
    process.waitForFinished();
    close(watch);
}

// A capture written at the end never replaces a device, a FIFO or a link with a file: a
// write the target refuses fails the run, and what was there stays.
TEST(CommandLine, ACaptureIntoADeviceOrAFifoFailsAndLeavesItAsItWas)
{
    QTemporaryDir folder;
    const QString fifo = folder.filePath("fifo"), toFull = folder.filePath("full");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/full", QFile::encodeName(toFull).constData()), 0);
    const auto kindOf = [](const QString &path) {
        struct stat status = {};
        ::lstat(QFile::encodeName(path).constData(), &status);
        return status.st_mode & S_IFMT;
    };
    for (const char *format : {"capture", "midi", "syx"}) {
        for (const QString &target : {fifo, toFull}) {
            const Finished run = lumetra({"capture", "--in", "Lumetra Loopback", "--format", format,
                "--duration", "0.1", "-o", target});
            // No traffic: a .syx of no dumps writes nothing, which even a full device takes.
            const bool writesNothing = format == std::string_view("syx") && target == toFull;
            EXPECT_EQ(run.status, writesNothing ? 0 : 1) << format << ' ' << target.toStdString();
            EXPECT_EQ(run.err.contains("Cannot write \"" + target + "\": "), !writesNothing)
                << run.err.toStdString();
        }
        EXPECT_EQ(kindOf(fifo), mode_t(S_IFIFO)) << format;
        EXPECT_EQ(kindOf(toFull), mode_t(S_IFLNK)) << format;
        EXPECT_EQ(kindOf("/dev/full"), mode_t(S_IFCHR)) << format;
    }
}

// The load generator's commands take --help as its other options.
TEST(CommandLine, TheLoadGeneratorsCommandsPrintTheirHelp)
{
    for (const QStringList &arguments :
        {QStringList {"send", "--help"}, {"verify", "-h"}, {"help"}}) {
        const Finished help = run(QStringLiteral(LUMETRA_LOADGEN), arguments);
        EXPECT_EQ(help.status, 0) << arguments.join(' ').toStdString();
        EXPECT_TRUE(help.out.startsWith("Usage:\n  lumetra_loadgen send"))
            << help.out.toStdString();
        EXPECT_EQ(help.err, QString()) << help.err.toStdString();
    }
}
