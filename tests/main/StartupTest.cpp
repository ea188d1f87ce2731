#include "grid/EventGridModel.h"
#include "support/Files.h"
#include "support/Preferences.h"
#include "support/ScriptedBackend.h"
#include "support/TestWindow.h"

#include <gtest/gtest.h>

namespace {

const QString StartupFailure
    = "MIDI I/O Error... you need to configure a MIDI card to use this program.";

// A main window over one scripted backend, with remembered device indexes.
struct Startup : TestWindow
{
    ScriptedBackend *backend = nullptr;

    Startup(QStringList inputs, QStringList outputs, std::int16_t rememberedIn = 0,
        std::int16_t rememberedOut = 0, bool failOpen = false)
    {
        rememberDevices(rememberedIn, rememberedOut);
        create(ScriptedBackend::system(backend, std::move(inputs), std::move(outputs)));
        backend->failOpen = failOpen;
        window->Form_Load();
    }
};

} // namespace

TEST(Startup, OpensTheRememberedDevicesOrElseTheFirstQuietly)
{
    struct Case
    {
        std::int16_t rememberedIn, rememberedOut;
        QStringList opened;
        std::int16_t chosenIn;
        const char *why;
    };
    const Case cases[] = {
        {0, 0, {"open out O0", "open in I0"}, 0, "the first of each list"},
        {3, -1, {"open out O0", "open in I0"}, 0, "past the end and negative"},
        {2, 1, {"open out O1", "open in I2"}, 2, "the last device of each list"},
    };
    for (const Case &c : cases) {
        Startup s({"I0", "I1", "I2"}, {"O0", "O1"}, c.rememberedIn, c.rememberedOut);
        EXPECT_EQ(s.backend->events, c.opened) << c.why;
        EXPECT_EQ(s.window->MIDIInput1().DeviceIndex(), c.chosenIn) << c.why;
        EXPECT_EQ(s.window->remembered().input.index, c.chosenIn) << c.why;
        EXPECT_EQ(s.combo("ComboMidiIn")->currentIndex(), c.chosenIn) << c.why;
        EXPECT_EQ(s.combo("ComboMidiOut")->count(), 2) << c.why;
        EXPECT_EQ(s.window->MIDIInput1().PortState(), 2) << "the input is started";
        EXPECT_EQ(s.window->MIDIOutput1().PortState(), 1) << c.why;
        EXPECT_TRUE(s.dialogs->shown.empty()) << c.why;
    }
}

TEST(Startup, AMissingOrFailingDeviceShowsTheMessageOnceAndStopsThere)
{
    struct Case
    {
        QStringList inputs, outputs;
        bool failOpen;
        QStringList events;
        int outputsListed;
        const char *why;
    };
    const Case cases[] = {
        {{"In A"}, {}, false, {}, 0, "no output: the input list is never filled"},
        {{}, {"O0"}, false, {"open out O0"}, 1, "no input: the output stays open"},
        {{"In A"}, {"O0", "O1"}, true, {}, 2, "a failing open"},
    };
    for (const Case &c : cases) {
        Startup s(c.inputs, c.outputs, 0, 1, c.failOpen);
        ASSERT_EQ(s.dialogs->shownTexts(), QStringList {StartupFailure}) << c.why;
        EXPECT_EQ(s.dialogs->shown.front().title, "Lumetra");
        EXPECT_EQ(s.backend->events, c.events) << c.why;
        EXPECT_EQ(s.window->MIDIOutput1().PortState(), c.events.isEmpty() ? 0 : 1) << c.why;
        EXPECT_EQ(s.combo("ComboMidiOut")->count(), c.outputsListed) << c.why;
        EXPECT_EQ(s.combo("ComboMidiIn")->count(), 0) << c.why;
        EXPECT_EQ(s.window->MIDIInput1().PortState(), 0) << c.why;
        EXPECT_TRUE(!c.failOpen || s.window->remembered().output.index == 1)
            << "the chosen index is stored before the port is touched";
    }
}

TEST(Shutdown, ClosesOutputBeforeInputAndNeverAPortThatDidNotOpen)
{
    for (const bool failOpen : {false, true}) {
        Startup s({"In A"}, {"Out A"}, 0, 0, failOpen);
        s.backend->events.clear();
        s.window->close();
        EXPECT_EQ(s.backend->events,
            failOpen ? QStringList() : QStringList({"close out Out A", "close in In A"}));
        EXPECT_EQ(s.window->MIDIInput1().PortState(), 0);
    }
}

TEST(DeviceChoice, SwitchingClosesTheOldPortAndKeepsTheFilter)
{
    Startup s({"In A", "In B"}, {"Out A", "Out B"});
    s.toggle("mnuNoteOn");
    s.backend->events.clear();
    QTest::qWait(50); // the old device's clock runs on
    const std::uint8_t openSysEx[] = {0xF0, 0x01};
    s.backend->deliver(openSysEx); // its F7 never comes: the close lets it go
    const qint64 switchedAt = QDateTime::currentMSecsSinceEpoch();
    s.choose("ComboMidiIn", 1);
    s.choose("ComboMidiOut", 1);
    EXPECT_EQ(s.backend->events,
        QStringList({"close in In A", "open in In B", "close out Out A", "open out Out B"}));
    EXPECT_EQ(s.window->MIDIInput1().PortState(), 2) << "the new input is started";
    EXPECT_TRUE(s.dialogs->shown.empty());

    const std::uint8_t noteOn[] = {0x90, 0x3C, 0x40}, noteOff[] = {0x80, 0x3C, 0x40};
    s.backend->deliver(noteOn);
    s.backend->deliver(noteOff);
    ASSERT_TRUE(QTest::qWaitFor([&] { return s.gridRows() == 4; }, 5000));
    EXPECT_EQ(s.window->GetMIDIINText(2, 1), "80") << "Note On still withheld";
    auto *model = static_cast<EventGridModel *>(s.grid()->model());
    EXPECT_LE(model->store().wallMs(0).value_or(-1), switchedAt)
        << "the old device's last SysEx keeps the old device's clock";

    s.window->close();
    const QByteArray saved = readFile(modPreferences::preferencesFile());
    EXPECT_TRUE(saved.startsWith(
        "[MIDI I/O]\r\nInput=1\r\nOutput=1\r\nInputName=In B\r\nOutputName=Out B\r\n"))
        << "the new choice is kept";
}

TEST(DeviceChoice, AFailingChoiceAfterStartupIsReportedWithItsReason)
{
    Startup s({"In A", "In B"}, {"Out A"});
    s.backend->failOpen = true;
    s.choose("ComboMidiIn", 1);
    EXPECT_EQ(s.dialogs->shownTexts(), QStringList {"scripted failure"});
    EXPECT_EQ(s.window->remembered().input.index, 1);
    EXPECT_EQ(s.window->MIDIInput1().PortState(), 0) << "the old port was closed first";
}
