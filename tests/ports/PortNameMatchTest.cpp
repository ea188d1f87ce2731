#include "ports/PortNameMatch.h"

#include <gtest/gtest.h>

TEST(PortNameMatch, TakesAWholeNameAUniquePartOrTheListedNumber)
{
    const QStringList listed {"ALSA: UM-ONE:0", "JACK: synth:out", "JACK: synth:thru", "7"};
    const struct
    {
        QString given;
        QString name; // empty: refused
        const char *refusal = ""; // in part
        bool ambiguous = false;
    } cases[] = {
        {"JACK: synth:out", "JACK: synth:out"},
        {"um-one", "ALSA: UM-ONE:0"}, // any letter case
        {"synth:o", "JACK: synth:out"},
        {"2", "JACK: synth:out"}, // as --list-ports numbers it, from 1
        {"7", "7"}, // a device's whole name wins over a number
        {"5", "", "There is no MIDI input number 5: there are 4"},
        {"0", "", "There is no MIDI input number 0"},
        {"synth", "",
            "\"synth\" is part of the names of several MIDI inputs: \"JACK: synth:out\", "
            "\"JACK: synth:thru\"",
            true},
        {"piano", "", "There is no MIDI input named \"piano\" (see lumetra --list-ports)."},
        {"", "", "There is no MIDI input named \"\""},
    };
    for (const auto &c : cases) {
        const PortNameMatch::Found found = PortNameMatch::find(c.given, listed, "input");
        EXPECT_EQ(found.name, c.name) << c.given.toStdString();
        EXPECT_TRUE(found.refusal.contains(c.refusal)) << found.refusal.toStdString();
        EXPECT_EQ(found.ambiguous, c.ambiguous) << c.given.toStdString();
    }
    QStringList names {"thru", "piano", "1"};
    EXPECT_EQ(PortNameMatch::resolve(names, listed, "output"),
        "There is no MIDI output named \"piano\" (see lumetra --list-ports).\n");
    EXPECT_EQ(names, (QStringList {"JACK: synth:thru", "piano", "ALSA: UM-ONE:0"}));
}
