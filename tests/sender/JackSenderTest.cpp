#include "sender/SysExFileSender.h"
#include "sender/modSendMessage.h"
#include "support/OpenedOnPeer.h"
#include "support/ScriptedDialogs.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using Bytes = JackPeer::Bytes;

// A JACK receiver reads each event as one message. Whatever the box or a file gives the
// output, no event holds a piece of a message or more than one: what is not whole is
// refused, and its record says so.
TEST(JackSender, TheBoxAndTheFileSenderWriteOnlyWholeMessagesAsEvents)
{
    REQUIRE_JACK_OR_SKIP();
    Sending s;
    MIDIOutput &output = s.port;
    JackPeer &peer = s.peer;
    ASSERT_TRUE(peer.connectedWithin("in", 5000));

    const struct
    {
        const char *text;
        Origin origin;
    } box[] = {
        {"90 3C 7F 00", Origin::Sent}, // goes out as 90 3C 7F
        {"F0 01", Origin::Sent}, // with its F7 added
        {"90 3C", Origin::SendFailed}, // short of a data byte
        {"8", Origin::SendFailed}, // a data byte alone
        {"C0 05 01", Origin::SendFailed}, // a program change takes one data byte
        {"F0 01 F7 02 F7", Origin::SendFailed}, // two messages
    };
    ScriptedDialogs dialogs;
    QStringList history;
    for (const auto &c : box) {
        const SentMessage sent
            = modSendMessage::SendMIDIMessage(c.text, {output, dialogs, history, [] {}});
        EXPECT_EQ(sent.origin, c.origin) << c.text;
    }
    EXPECT_TRUE(dialogs.shownTexts().last().contains("a JACK MIDI event holds one whole MIDI "
                                                     "message"))
        << dialogs.shownTexts().join('|').toStdString();

    std::vector<SentMessage> rows;
    SysExFileSender files(output, [&](const SentMessage &row) { rows.push_back(row); });
    files.setPause(std::chrono::milliseconds(0));
    QSignalSpy failed(&files, &SysExFileSender::failed);
    files.send({"\xF0\x02\xF7", "\xF0\x03\x90\xF7"});
    ASSERT_TRUE(failed.wait(5000));
    EXPECT_EQ(rows.back().origin, Origin::SendFailed);

    const std::vector<Bytes> whole {{0x90, 0x3C, 0x7F}, {0xF0, 0x01, 0xF7}, {0xF0, 0x02, 0xF7}};
    EXPECT_TRUE(QTest::qWaitFor([&] { return peer.received().size() >= whole.size(); }, 5000));
    EXPECT_EQ(peer.received(), whole);
    EXPECT_EQ(peer.notWhole(), std::vector<Bytes> {});
}
