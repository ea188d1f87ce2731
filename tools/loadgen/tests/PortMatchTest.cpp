#include "loadgen/PortMatch.h"

#include <gtest/gtest.h>

TEST(PortMatch, TakesTheExactNameThenAStartThenAPattern)
{
    const QStringList ports {"Lumetra:MIDI In", "Lumetra:MIDI In 2", "synth:midi(1)"};
    struct Case
    {
        const char *wanted;
        QStringList matches;
        const char *why;
    };
    const Case cases[] = {
        {"Lumetra:MIDI In", {"Lumetra:MIDI In"}, "the exact name, though another begins so"},
        {"Lumetra:", {"Lumetra:MIDI In", "Lumetra:MIDI In 2"}, "a start that two share"},
        {"synth", {"synth:midi(1)"}, "the start of one"},
        {"In 2$", {"Lumetra:MIDI In 2"}, "a pattern"},
        {"midi(", {}, "not a pattern, and no port begins so"},
        {"mixer", {}, "nothing there"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(portsMatching(ports, QString::fromLatin1(c.wanted)), c.matches) << c.why;
}
