#include "support/JackWindow.h"

#include "grid/EventGridModel.h"
#include "ports/VirtualBackend.h"
#include "support/Files.h"
#include "support/JackPeer.h"
#include "support/Preferences.h"
#include "support/TestWindow.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>

// The lists follow JACK's ports, and keep the choice by name; a chosen port that goes is
// waited for and taken back.
TEST(JackWindow, ListsFollowPortsThatComeAndGoAndAChosenOneIsWaitedFor)
{
    REQUIRE_JACK_OR_SKIP();
    forgetPreferences();
    JackPeer peer("HotPlug");
    peer.addPort("out", true);
    JackWindow w;
    w.choose("ComboMidiIn", "Lumetra Loopback");
    const int loopbackAt = w.combo("ComboMidiIn")->currentIndex();
    peer.addPort("late", true);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return w.entries("ComboMidiIn").contains(jack(peer, "late")); }, 1000))
        << "a new port is listed within a second";
    EXPECT_EQ(w.combo("ComboMidiIn")->currentText(), "Lumetra Loopback") << "still chosen";
    EXPECT_EQ(w.combo("ComboMidiIn")->currentIndex(), loopbackAt + 1) << "one place further down";
    peer.removePort("late");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !w.entries("ComboMidiIn").contains(jack(peer, "late")); }, 1000));
    EXPECT_EQ(w.combo("ComboMidiIn")->currentText(), "Lumetra Loopback");

    w.choose("ComboMidiIn", jack(peer, "out"));
    peer.removePort("out");
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.notice()->isVisible(); }, 2000));
    EXPECT_EQ(w.notice()->text(),
        "MIDI In \"" + jack(peer, "out") + "\" is gone; waiting for it to return");
    EXPECT_EQ(w.combo("ComboMidiIn")->currentText(), jack(peer, "out")) << "still shown as chosen";
    peer.addPort("out", true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.notice()->isVisible(); }, 2000));
    peer.send("out", {0x90, 0x3C, 0x40});
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.gridRows() == 3; }, 2000))
        << "traffic arrives again";
    EXPECT_EQ(w.window->GetMIDIINText(1, 1), "90");
    EXPECT_TRUE(w.dialogs->shown.empty());
}

// A peer killed and started again at once keeps its port names: what came back must be
// connected again, on both sides, although the lists never changed.
TEST(JackWindow, APeerThatReturnsAtOnceOrChurnsIsConnectedAgain)
{
    REQUIRE_JACK_OR_SKIP();
    forgetPreferences();
    // A sender and a receiver of their own: one program wired both ways with Lumetra is a
    // cycle in the graph, which PipeWire runs only now and then.
    struct Peers
    {
        std::unique_ptr<JackPeer> sender = std::make_unique<JackPeer>("Phoenix");
        std::unique_ptr<JackPeer> receiver = std::make_unique<JackPeer>("PhoenixSink");
        Peers()
        {
            sender->addPort("out", true);
            receiver->addPort("in", false);
        }
    };
    auto peers = std::make_unique<Peers>();
    JackWindow w;
    w.choose("ComboMidiIn", jack(*peers->sender, "out"));
    w.choose("ComboMidiOut", jack(*peers->receiver, "in"));
    // The port news of a churn reach the window within a second or two; a sanitized build
    // on a busy machine takes longer, and the waits end as soon as traffic flows.
    const auto traffic = [&](const char *why) {
        const int rows = w.gridRows();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                peers->sender->send("out", {0x90, 0x3C, 0x40});
                return w.gridRows() > rows;
            },
            10'000))
            << "MIDI In, " << why << ", on " << jackServerKind();
        if (jackIsPipeWire())
            return; // see the end
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                w.sendText("C0 05");
                return !peers->receiver->received().empty();
            },
            10'000))
            << "MIDI Out, " << why << ", on " << jackServerKind();
    };

    peers.reset();
    peers = std::make_unique<Peers>();
    traffic("after the peers returned within milliseconds");
    for (int i = 0; i < 100; ++i) {
        peers->sender->removePort("out");
        peers->sender->addPort("out", true);
        QTest::qWait(10); // a hundred times a second
    }
    traffic("after its port churned");
    EXPECT_EQ(w.combo("ComboMidiIn")->currentText(), jack(*peers->sender, "out"));
    // Seen with 0.3.65: the output is connected again and the library shows the connection,
    // yet the receiver that came back gets nothing.
    SKIP_ON_PIPEWIRE("MIDI Out to a receiver that returned at once under its name is not "
                     "checked: PipeWire passes it nothing through the new connection");
}

TEST_F(JackPrivateServer, AServerThatStopsAndRestartsNeverBlocksOrCrashesTheWindow)
{
    auto w = std::make_unique<JackWindow>();
    w->choose("ComboMidiOut", VirtualBackend::OutputName);
    ASSERT_EQ(w->window->MIDIOutput1().PortState(), 1);

    server.stop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->notice()->isVisible(); }, 5000));
    for (int i = 0; i < 300; ++i) // far more than the JACK output's buffer holds
        w->sendText("90 3C 40");
    EXPECT_EQ(w->dialogs->shown.size(), 300u);
    EXPECT_EQ(w->dialogs->shown.back().text,
        "MIDI Out \"Lumetra virtual output\" is gone; the message was not sent.");
    EXPECT_EQ(w->window->GetMIDIINText(300, 0), "SEND ERR") << "never SENT";

    ASSERT_TRUE(server.start());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w->notice()->isVisible(); }, 5000))
        << "the port is back without the user";
    w->window->close();
    w.reset();
    EXPECT_TRUE(
        readFile(modPreferences::preferencesFile()).contains("OutputName=Lumetra virtual output"));
}

// A server that is there but does not answer must hold neither the window nor the port
// listing for more than the bound, and the user is told why JACK's ports are missing.
TEST_F(JackPrivateServer, AFrozenServerHoldsNothingUpAndIsSaidToBeMissing)
{
    JackPeer peer("Frozen");
    peer.addPort("out", true);
    auto before = std::make_unique<JackWindow>();
    before->choose("ComboMidiIn", jack(peer, "out"));
    server.pause();
    QElapsedTimer took;
    took.start();
    before->choose("ComboMidiIn", "Lumetra Loopback");
    EXPECT_LT(took.elapsed(), 1000) << "closing a JACK input waits for no server";

    took.restart();
    auto during = std::make_unique<JackWindow>();
    EXPECT_LT(took.elapsed(), 4000) << "the window opens without the server";
    EXPECT_TRUE(during->notice()->text().contains("The JACK server does not answer"));

    QProcess listing;
    listing.start(LUMETRA_EXECUTABLE, {"--list-ports"});
    ASSERT_TRUE(listing.waitForFinished(8000)) << "the listing answers without the server";
    EXPECT_EQ(listing.exitCode(), 0);
    EXPECT_TRUE(listing.readAllStandardError().contains("The JACK server does not answer"));

    server.resume();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return during->entries("ComboMidiIn").contains(jack(peer, "out"))
                && !during->notice()->isVisible();
        },
        10000))
        << "JACK's ports come once the server answers";
    took.restart();
    before.reset();
    during.reset();
    EXPECT_LT(took.elapsed(), 4000);
}

TEST_F(JackPrivateServer, SaysWhenTheServerRanLateWhileListening)
{
    JackPeer peer("Laggard");
    peer.addPort("out", true);
    JackWindow w;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return w.entries("ComboMidiIn").contains(jack(peer, "out")); }, 5000));
    w.choose("ComboMidiIn", jack(peer, "out"));
    auto *notice = w.find<QLabel>("lblDropped");
    if (notice->isVisible())
        GTEST_SKIP() << "the server ran late on its own before the test stalled it: "
                     << qPrintable(notice->text());
    peer.stallNextCycle(std::chrono::milliseconds(30)); // a period is 5 ms
    EXPECT_TRUE(QTest::qWaitFor([&] { return notice->isVisible(); }, 5000));
    EXPECT_TRUE(notice->text().endsWith("JACK xruns: messages may be missing"))
        << qPrintable(notice->text());
}

// Other programs reach the virtual ports. Remembered on a machine whose JACK server starts
// after Lumetra, no box blames the MIDI card, and the ports wait like a device that went and
// open their JACK side by themselves.
TEST(JackWindow, TheVirtualPortsWaitForAServerThatStartsLaterAndCarryTraffic)
{
    SKIP_ON_PIPEWIRE("the server that starts later is a jackd of the test's own, which "
                     "PipeWire's JACK library cannot reach");
    if (QStandardPaths::findExecutable("jackd").isEmpty())
        GTEST_SKIP() << "jackd is not installed";
    PrivateServer server;
    rememberDevices(0, 0, VirtualBackend::InputName, VirtualBackend::OutputName);
    JackWindow w;
    EXPECT_TRUE(w.dialogs->shown.empty()) << w.dialogs->shownTexts().join(' ').toStdString();
    EXPECT_TRUE(w.notice()->text().contains(VirtualBackend::InputName));

    ASSERT_TRUE(server.start());
    JackPeer peer("Latecomer");
    peer.addPort("out", true);
    peer.addPort("in", false);
    const auto ports
        = [&] { return peer.lumetraPorts("virtual input") + peer.lumetraPorts("virtual output"); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return ports().size() == 2; }, 5000))
        << "the JACK side opens once a server runs";
    peer.connect(peer.fullName("out"), ports()[0]);
    peer.connect(ports()[1], peer.fullName("in"));
    peer.send("out", {0xB0, 0x07, 0x64});
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.gridRows() == 3; }, 2000));
    EXPECT_EQ(w.window->GetMIDIINText(1, 1), "B0");
    EXPECT_FALSE(w.notice()->isVisible());
    w.sendText("C0 05");
    EXPECT_TRUE(QTest::qWaitFor([&] { return peer.receivedCount() > 0; }, 2000));
    EXPECT_EQ(peer.received().front(), (JackPeer::Bytes {0xC0, 0x05}));
}

// The dummy server's cycles start when a system timer wakes it, late by varying amounts: the
// stamps come from the frames the messages were sent at, so they keep the spacing they were
// sent with. 48 kHz and 256 frames a cycle, as the server of the test runs.
TEST_F(JackPrivateServer, StampsKeepTheSpacingOfTheFramesTheMessagesWereSentAt)
{
    constexpr double ToleranceUs = 50;
    constexpr double IntervalFrames = 480; // 10 ms
    constexpr double CycleFrames = 256;
    // Frames become times by the server's estimate of a cycle's length, which a wakeup far
    // too late sets astray for a few cycles. An interval spans 480 / 256 cycles: past this
    // much wander, its error says nothing of Lumetra.
    constexpr double ClockWanderUs = ToleranceUs * CycleFrames / IntervalFrames;
    JackWindow w;
    w.choose("ComboMidiIn", VirtualBackend::InputName);

    auto sent = runLoadgenWithoutXruns(w,
        {"send", "--rate", "100", "--seconds", "3", "--mix", "channel", "--connect",
            "Lumetra[^:]*:virtual input", "--wait-for-port", "5"},
        ClockWanderUs);
    if (sent.empty()) {
        if (!HasFailure())
            GTEST_SKIP() << "in all three runs of the load generator into the virtual input, "
                            "the JACK server ran late or its estimate of a cycle's length "
                            "strayed more than "
                         << ClockWanderUs << " µs: their timing proves nothing";
        return;
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.gridRows() == sent["sent"].toInt() + 2; }, 5000))
        << w.gridRows() - 2 << " rows of " << sent["sent"].toStdString();
    const CaptureStore &rows = dynamic_cast<const EventGridModel &>(*w.grid()->model()).store();
    ASSERT_GT(rows.size(), 50u);
    std::vector<std::int64_t> errors;
    for (std::size_t row = 1; row < rows.size(); ++row)
        errors.push_back(std::abs(rows.at(row).stampUs - rows.at(row - 1).stampUs - 10'000));
    std::ranges::sort(errors);
    const std::int64_t p99 = errors[errors.size() * 99 / 100];
    RecordProperty("interval_error_p99_us", int(p99));
    RecordProperty("interval_error_max_us", int(errors.back()));
    EXPECT_LE(double(p99), ToleranceUs)
        << "worst " << errors.back() << " µs, the server's clock strayed up to "
        << sent["clock_wander_us"].toStdString() << " µs";
}
