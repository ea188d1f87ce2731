#include "frame/DeviceLists.h"
#include "ports/InputSet.h"
#include "ports/PortTaps.h"
#include "support/JackWindow.h"
#include "support/Preferences.h"

#include <QMenu>
#include <QStatusBar>

namespace {

// Watches these inputs through "Several Inputs...", as the user chooses them.
void watch(JackWindow &w, const InputChoice &choice)
{
    w.dialogs->nextInputs = choice;
    w.choose("ComboMidiIn", DeviceLists::SeveralInputsEntry);
}

// Each row as "source: bytes", the bytes as the grid shows them.
QStringList sourcedRows(JackWindow &w)
{
    const QAbstractItemModel &model = *w.grid()->model();
    int sourceColumn = -1;
    for (int column = 0; column < model.columnCount(); ++column)
        if (model.headerData(column, Qt::Horizontal).toString() == "Source")
            sourceColumn = column;
    QStringList rows;
    for (int row = 1; row < w.gridRows() - 1; ++row) {
        const QStringList cells = w.row(row).split('\t');
        QString bytes = cells[6].trimmed(); // SysEx Data
        if (bytes.isEmpty())
            bytes = cells.mid(1, 3).join(' ').trimmed(); // Status, Data 1, Data 2
        rows << model.index(row - 1, sourceColumn).data().toString() + ": " + bytes;
    }
    return rows;
}

QStringList rowsOf(JackWindow &w, const QString &source)
{
    return sourcedRows(w).filter(
        QRegularExpression('^' + QRegularExpression::escape(source) + ':'));
}

} // namespace

// The choice of inputs, the Source column and the filter by source; a source that goes
// keeps its rows and is taken back; the next start watches the same inputs. Each input is a
// byte stream of its own: neither lends the other its running status, and a SysEx open on
// one is not closed or broken by what the other sends meanwhile.
TEST(JackSeveralInputs, TheChoiceIsRememberedAndEachSourceIsAStreamFollowedAndFilteredAlone)
{
    REQUIRE_JACK_OR_SKIP();
    forgetPreferences();
    JackPeer a("ChosenA");
    JackPeer b("ChosenB");
    a.addPort("out", true);
    b.addPort("out", true);
    const QString inA = jack(a, "out");
    const QString inB = jack(b, "out");
    {
        JackWindow w;
        watch(w, {{inA, inB}, false});
        EXPECT_TRUE(w.dialogs->offeredInputs.contains(inB));
        EXPECT_EQ(w.combo("ComboMidiIn")->currentText(), DeviceLists::SeveralInputsEntry);
        QAction *showSource = w.find<QAction>("mnuShowSource");
        EXPECT_TRUE(showSource->isChecked() && !showSource->isEnabled()) << "on while several";
        const std::pair<JackPeer *, JackPeer::Bytes> pieces[] = {
            {&a, {0xF0, 0x7D, 0x01}}, // A opens a SysEx
            {&b, {0x90, 0x3C, 0x40}},
            {&b, {0x3E, 0x41}}, // running status of B, while A's SysEx is open
            {&a, {0x02, 0xF7}}, // A's SysEx ends
            {&a, {0x3C}}, // a data byte with no status of A's own to reuse
            {&a, {0xC0, 0x05}},
        };
        const std::uint64_t lateBefore = a.xruns() + b.xruns();
        for (const auto &[peer, bytes] : pieces) {
            peer->send("out", bytes);
            QTest::qWait(15); // a cycle of its own for each piece
        }
        const bool arrived = w.waitForRows(2 + 5);
        if (!arrived && a.xruns() + b.xruns() > lateBefore)
            GTEST_SKIP() << "the server ran late while the pieces were sent, and a late cycle "
                            "loses what was sent in it";
        ASSERT_TRUE(arrived) << sourcedRows(w).join('\n').toStdString();
        EXPECT_EQ(
            rowsOf(w, inA), QStringList({inA + ": F0 7D 01 02 F7", inA + ": 3C", inA + ": C0 05"}));
        EXPECT_EQ(rowsOf(w, inB), QStringList({inB + ": 90 3C 40", inB + ": 90 3E 41"}));
        w.find<QPushButton>("btnClear")->click();

        QAction *hideB = nullptr;
        for (QAction *item : w.find<QMenu>("mnuSources")->actions())
            if (item->data().toString() == inB)
                hideB = item;
        ASSERT_NE(hideB, nullptr);
        hideB->trigger();
        EXPECT_TRUE(w.find<QLabel>("lblFilter")->isVisibleTo(w.window.get()));
        b.send("out", {0x90, 0x01, 0x01});
        a.send("out", {0x90, 0x02, 0x02});
        ASSERT_TRUE(w.waitForRows(3));
        QTest::qWait(50);
        EXPECT_EQ(sourcedRows(w), QStringList {inA + ": 90 02 02"}) << "B's traffic kept out";
        hideB->trigger();

        b.removePort("out");
        ASSERT_TRUE(QTest::qWaitFor([&] { return w.notice()->isVisible(); }, 2000));
        EXPECT_EQ(w.notice()->text(), "MIDI In \"" + inB + "\" is gone; waiting for it to return");
        b.addPort("out", true);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !w.notice()->isVisible(); }, 2000));
        b.send("out", {0x90, 0x03, 0x03});
        ASSERT_TRUE(w.waitForRows(4));
        EXPECT_EQ(rowsOf(w, inB), QStringList {inB + ": 90 03 03"});
        w.window->close();
    }
    JackWindow again;
    EXPECT_EQ(again.window->MIDIInput1().chosenDeviceName(), inA);
    EXPECT_EQ(again.window->inputs().furtherNames(), QStringList {inB});
    EXPECT_EQ(again.combo("ComboMidiIn")->currentText(), DeviceLists::SeveralInputsEntry);
    again.choose("ComboMidiIn", inB);
    EXPECT_TRUE(again.window->inputs().furtherNames().isEmpty()) << "one input again";
    EXPECT_TRUE(again.find<QAction>("mnuShowSource")->isEnabled());
    EXPECT_TRUE(again.dialogs->shown.empty())
        << again.dialogs->shownTexts().join(' ').toStdString();
}

// Every input of a shared server would include the ports of other tests that run meanwhile.
using JackSeveralInputsAlone = JackPrivateServer;

// "All inputs" takes a port that comes, and lets one that goes leave, its rows kept.
TEST_F(JackSeveralInputsAlone, AllInputsFollowPortsThatComeAndGo)
{
    JackPeer peer("Newcomer");
    JackWindow w;
    watch(w, {{}, true});
    const auto watched
        = [&] { return w.window->inputs().furtherNames().contains(jack(peer, "out")); };
    EXPECT_FALSE(watched());
    peer.addPort("out", true);
    ASSERT_TRUE(QTest::qWaitFor(watched, 2000));
    peer.send("out", {0xB0, 0x07, 0x64});
    ASSERT_TRUE(w.waitForRows(3));
    peer.removePort("out");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !watched(); }, 2000));
    EXPECT_FALSE(w.notice()->isVisible()) << "a port that goes is no device to wait for";
    EXPECT_EQ(sourcedRows(w), QStringList {jack(peer, "out") + ": B0 07 64"});
}

// A studio's worth of inputs: all of them are watched and captured, without a word about
// a MIDI card, and when eight of them go, the notice keeps to one line and covers no control.
TEST_F(JackSeveralInputsAlone, ManyInputsAreWatchedAndTheirNoticeKeepsToOneLine)
{
    constexpr int Ports = 20;
    JackPeer peer("Many");
    QStringList names;
    for (int port = 0; port < Ports; ++port) {
        peer.addPort(QString("p%1").arg(port), true);
        names << jack(peer, QString("p%1").arg(port));
    }
    JackWindow w;
    watch(w, {{}, true});
    const auto watchedAll = [&] {
        QStringList watched = w.window->inputs().furtherNames();
        watched << w.window->MIDIInput1().chosenDeviceName();
        return std::ranges::all_of(
            names, [&](const QString &name) { return watched.contains(name); });
    };
    ASSERT_TRUE(QTest::qWaitFor(watchedAll, 5000));
    for (int port = 0; port < Ports; ++port)
        peer.send(QString("p%1").arg(port), {0x90, std::uint8_t(port), 0x01});
    EXPECT_TRUE(w.waitForRows(2 + Ports));
    EXPECT_TRUE(w.dialogs->shown.empty()) << w.dialogs->shownTexts().join(' ').toStdString();

    watch(w, {names.mid(0, 9), false});
    for (int port = 1; port < 9; ++port)
        peer.removePort(QString("p%1").arg(port));
    const auto allGoneTold = [&] {
        return std::all_of(names.begin() + 1, names.begin() + 9,
            [&](const QString &name) { return w.notice()->toolTip().contains(name); });
    };
    ASSERT_TRUE(QTest::qWaitFor(allGoneTold, 5000)) << w.notice()->toolTip().toStdString();
    EXPECT_LE(w.notice()->height(), 2 * w.notice()->fontMetrics().height());
    for (const char *button : {"btnSend", "btnPause", "btnClear"}) {
        const QWidget *control = w.find<QWidget>(button);
        const QRect place(control->mapTo(w.window.get(), QPoint(0, 0)), control->size());
        EXPECT_LE(place.bottom(), w.window->statusBar()->geometry().top()) << button;
    }
}

// Two load generators, one into each watched input: every message of each is kept, in
// order, as the log of each source shows.
TEST(JackSeveralInputs, KeepsEveryMessageOfALoadRunOnEachInput)
{
    REQUIRE_JACK_OR_SKIP();
    forgetPreferences();
    JackWindow w;
    const QString client
        = QStringLiteral("lumetra-pair-%1").arg(QCoreApplication::applicationPid());
    const QStringList inputs = {"JACK: " + client + "-1:out", "JACK: " + client + "-2:out"};
    watch(w, {inputs, false}); // waited for until the generators start
    auto sent = runLoadgenWithoutXruns(w,
        {"send", "--rate", "20000", "--seconds", "2", "--mix", "mixed", "--clients", "2",
            "--client-name", client, "--wait-for-port", "5"});
    if (sent.empty()) {
        if (!HasFailure())
            GTEST_SKIP()
                << "the JACK server ran late in all three runs of the two load generators: "
                   "what they lost proves nothing";
        return;
    }
    const int each = sent["sent"].toInt();
    ASSERT_EQ(sent["total_sent"].toInt(), 2 * each);
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.gridRows() == 2 * each + 2; }, 20000));
    for (const QString &input : inputs)
        expectLoadInLog(w, each, input);
}

// Two sequencers into a synth: tapping the synth's input shows each sender as a source of
// its own. A sender connected during the tap is followed, one that parts is let go of (its
// rows stay), and the synth leaving and coming back is waited for and tapped again; the next
// start taps it again.
TEST(JackPortTap, EverySenderIntoATappedPortIsASourceFollowedAsItConnectsAndParts)
{
    REQUIRE_JACK_OR_SKIP();
    forgetPreferences();
    JackPeer a("TapSeqA");
    JackPeer b("TapSeqB");
    a.addPort("out", true);
    b.addPort("out", true);
    auto synth = std::make_unique<JackPeer>("TapSynth");
    synth->addPort("in", false);
    const QString synthIn = synth->fullName("in");
    const QString fromA = "→ TapSynth:in (from TapSeqA:out)";
    const QString fromB = "→ TapSynth:in (from TapSeqB:out)";
    const auto wired = [&](JackPeer &sender, int connections) {
        return sender.connectedWithin("out", 10000, connections); // the synth, and the tap
    };
    a.connect(a.fullName("out"), synthIn);
    {
        JackWindow w;
        w.choose("ComboMidiIn", "Lumetra Loopback");
        w.choose("ComboMidiOut", "Lumetra Loopback");
        w.dialogs->nextTaps = QStringList {jack(*synth, "in")};
        w.choose("ComboMidiIn", DeviceLists::TapEntry);
        EXPECT_TRUE(w.dialogs->offeredTaps.contains(jack(*synth, "in")));
        EXPECT_EQ(w.combo("ComboMidiIn")->currentText(), "Lumetra Loopback") << "still watched";
        b.connect(b.fullName("out"), synthIn);
        ASSERT_TRUE(wired(a, 2) && wired(b, 2));
        a.send("out", {0x90, 0x3C, 0x40});
        b.send("out", {0xB0, 0x07, 0x64});
        ASSERT_TRUE(w.waitForRows(2 + 2)) << sourcedRows(w).join('\n').toStdString();
        EXPECT_EQ(rowsOf(w, fromA), QStringList {fromA + ": 90 3C 40"});
        EXPECT_EQ(rowsOf(w, fromB), QStringList {fromB + ": B0 07 64"});
        EXPECT_TRUE(w.find<QAction>("mnuShowSource")->isChecked());

        a.disconnect(a.fullName("out"), synthIn);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !a.isConnected("out"); }, 10000))
            << "the tap lets go of a sender that parts";
        EXPECT_EQ(rowsOf(w, fromA).size(), 1) << "its rows stay";

        synth.reset();
        ASSERT_TRUE(QTest::qWaitFor([&] { return w.notice()->isVisible(); }, 10000));
        EXPECT_EQ(w.notice()->text().toStdString(),
            ("Tapped port \"JACK: " + synthIn + "\" is gone; waiting for it to return")
                .toStdString());
        synth = std::make_unique<JackPeer>("TapSynth");
        synth->addPort("in", false);
        a.connect(a.fullName("out"), synthIn);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !w.notice()->isVisible(); }, 10000));
        ASSERT_TRUE(wired(a, 2));
        a.send("out", {0x90, 0x3E, 0x41});
        ASSERT_TRUE(w.waitForRows(2 + 3)) << sourcedRows(w).join('\n').toStdString();
        EXPECT_EQ(rowsOf(w, fromA).last(), fromA + ": 90 3E 41");
        w.window->close();
    }
    JackWindow again;
    EXPECT_EQ(again.window->inputs().taps().tapped(), QStringList {"JACK: " + synthIn});
    EXPECT_TRUE(again.dialogs->shown.empty())
        << again.dialogs->shownTexts().join(' ').toStdString();
}
