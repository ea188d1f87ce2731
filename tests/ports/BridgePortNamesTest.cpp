#include "ports/BridgePortNames.h"

#include <gtest/gtest.h>

TEST(BridgePortNames, ABridgedAlsaPortReadsAsItsDeviceAndPortInEitherPipeWire)
{
    const struct
    {
        const char *jackName;
        const char *shown;
    } cases[] = {
        // 0.3.x: the ALSA client's name
        {"Midi-Bridge:Midi Through:(capture_0) Midi Through Port-0",
            "Midi Through: Midi Through Port-0"},
        {"Midi-Bridge:UM-ONE:(playback_0) UM-ONE MIDI 1", "UM-ONE: UM-ONE MIDI 1"},
        // 1.x: the card's long name, its colons kept, '.' and ',' cleaned to '-'
        {"Midi-Bridge:Roland UM-ONE at usb-0000:00:14-0-2- full speed:(capture_0) UM-ONE MIDI 1",
            "Roland UM-ONE: UM-ONE MIDI 1"},
        {"Midi-Bridge:Arturia KeyStep 37 at usb-0000:06:00-3-1- full speed:(capture_1) "
         "KeyStep 37 MIDI 2",
            "Arturia KeyStep 37: KeyStep 37 MIDI 2"},
        // 1.x, a card with no long name: its number stays, being all that tells two apart
        {"Midi-Bridge:UM-ONE 2:(capture_0) UM-ONE MIDI 1", "UM-ONE 2: UM-ONE MIDI 1"},
        // not bridged: as JACK names them
        {"synth:out", "synth:out"},
        {"Midi-Bridge:no port number", "Midi-Bridge:no port number"},
        {"a:(capture_0) b", "a:(capture_0) b"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(BridgePortNames::readable(c.jackName), c.shown) << c.jackName;
}

// What a person chose is found again when the bridge numbers the port anew or the device is
// plugged in elsewhere; two ports that would read alike keep their JACK names.
TEST(BridgePortNames, AChoiceIsFoundUnderNewNumbersAndAlikePortsKeepTheirJackNames)
{
    const QStringList before {"synth:out",
        "Midi-Bridge:Roland UM-ONE at usb-0000:00:14-0-2- full speed:(capture_0) UM-ONE MIDI 1"};
    const QStringList after {
        "Midi-Bridge:Roland UM-ONE at usb-0000:00:14-0-4- full speed:(capture_3) UM-ONE MIDI 1",
        "synth:out"};
    const QString chosen = BridgePortNames::listed(before)[1];
    EXPECT_EQ(chosen, "Roland UM-ONE: UM-ONE MIDI 1");
    EXPECT_EQ(BridgePortNames::jackNameOf(chosen, after), after[0]);
    EXPECT_EQ(BridgePortNames::jackNameOf("synth:out", after), "synth:out");
    EXPECT_EQ(BridgePortNames::jackNameOf(after[0], after), after[0]) << "by its JACK name too";
    EXPECT_EQ(BridgePortNames::jackNameOf(chosen, {"synth:out"}), "") << "unplugged";

    const QStringList twins {"Midi-Bridge:UM-ONE:(capture_0) UM-ONE MIDI 1",
        "Midi-Bridge:UM-ONE:(capture_1) UM-ONE MIDI 1", "Midi-Bridge:Keys:(capture_0) In",
        "Keys: In"};
    EXPECT_EQ(BridgePortNames::listed(twins), twins) << "alike, or alike a JACK name";
    EXPECT_EQ(BridgePortNames::jackNameOf("UM-ONE: UM-ONE MIDI 1", twins), "");
}
