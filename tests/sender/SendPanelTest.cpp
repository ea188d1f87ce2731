#include "sender/RepeatTimer.h"
#include "sender/modSendMessage.h"
#include "support/LoopbackPorts.h"
#include "support/LoopbackWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

const QString FastRateText = "Your PC is likely unable to send messages faster than 20 ms apart.  "
                             "Some messages will be dropped.";
const QString RateRangeText = "Please select a rate between 1 and 10000";

struct Panel : LoopbackWindow
{
    QPlainTextEdit *box = find<QPlainTextEdit>("txtBoxSend");
    QPushButton *button = find<QPushButton>("btnSend");
    QCheckBox *repeat = find<QCheckBox>("chkRepeat");
    QLineEdit *rate = find<QLineEdit>("txtRepeat");
    QComboBox *history = find<QComboBox>("ComboHistory");
    RepeatTimer *timer = find<RepeatTimer>("Timer1");

    void checkRepeat() { QTest::mouseClick(repeat, Qt::LeftButton); }
    // Starts repeating at `rateText`; returns the boxes shown.
    QStringList startRepeating(const QString &rateText)
    {
        checkRepeat();
        rate->setText(rateText);
        dialogs->shown.clear();
        button->click();
        return dialogs->shownTexts();
    }
};

} // namespace

TEST(SendPanel, ASingleSendAppendsTheSentRowAndTheReceivedOne)
{
    Panel p;
    p.box->setPlainText("f0 7e 7f 09 01");
    p.button->click();
    EXPECT_EQ(p.dialogs->shownTexts(), QStringList {modSendMessage::AppendingEoxText});
    EXPECT_EQ(p.row(1), "SENT\tF0\t\t\t\t\tF0 7E 7F 09 01 F7 ");
    ASSERT_TRUE(p.waitForRows(4)) << "the loopback brings it back";
    EXPECT_EQ(p.window->GetMIDIINText(2, 6), "F0 7E 7F 09 01 F7 ") << "byte for byte, with the F7";
    EXPECT_TRUE(p.box->hasFocus());
}

TEST(SendPanel, AFailedSendEndsInTheFailureRowAndAnEmptyBoxSendsNothing)
{
    const std::tuple<QString, bool, QString> cases[] = {
        {"   ", true, modSendMessage::FailureText}, // spaces alone are no message
        {"90 3C 7F", false, "The MIDI output port is not open."},
        // The row keeps the bytes that failed, and still reads as a bare SEND ERR.
        {"F0 01 F7", false, "The MIDI output port is not open."},
    };
    for (const auto &[text, outputOpen, shown] : cases) {
        Panel p;
        p.button->click();
        EXPECT_TRUE(p.dialogs->shown.empty()) << "an empty box sends nothing";
        EXPECT_EQ(p.gridRows(), 2);
        if (!outputOpen)
            p.window->MIDIOutput1().setCommand(CommandClose);
        p.box->setPlainText(text);
        p.button->click();
        EXPECT_EQ(p.dialogs->shownTexts(), QStringList {shown});
        EXPECT_EQ(p.row(1), "SEND ERR\t\t\t\t\t\t");
        EXPECT_EQ(p.box->toPlainText(), text) << "the text stays as it was";
        EXPECT_TRUE(p.entries("ComboHistory").isEmpty());
    }
}

// What a send hands back is what the grid stores and a saved capture keeps: the bytes that
// went to the port, or that the port refused (their words are the known traffic's).
TEST(SendMIDIMessage, TheRecordHoldsTheBytesThatWentToThePortOrFailedTo)
{
    const struct
    {
        const char *text;
        bool outputOpen;
        Origin origin;
        QByteArray bytes;
    } cases[] = {
        {"90 3C 7F 00", true, Origin::Sent, "\x90\x3C\x7F"}, // 00 not sent
        {"90 3C 7F", false, Origin::SendFailed, "\x90\x3C\x7F"},
        {"90 3G", true, Origin::SendFailed, ""}, // a text that did not parse has no bytes
    };
    for (const auto &c : cases) {
        LoopbackPorts loop;
        if (!c.outputOpen)
            loop.output.setCommand(CommandClose);
        ScriptedDialogs dialogs;
        QStringList history;
        const SentMessage sent
            = modSendMessage::SendMIDIMessage(c.text, {loop.output, dialogs, history, [] {}});
        EXPECT_EQ(sent.origin, c.origin) << c.text;
        EXPECT_EQ(sent.bytes, c.bytes) << c.text;
    }
}

TEST(SendPanel, HistoryKeepsElevenDistinctEntriesNewestFirst)
{
    Panel p;
    for (int i = 0; i < 12; ++i) {
        p.box->setPlainText(QStringLiteral("C0 %1").arg(i, 2, 16, QChar('0')));
        p.button->click();
    }
    QStringList expected;
    for (int i = 11; i >= 1; --i)
        expected << QStringLiteral("C0 %1 ").arg(i, 2, 16, QChar('0')).toUpper();
    EXPECT_EQ(p.entries("ComboHistory"), expected) << "the twelfth pushed the oldest out";

    p.box->setPlainText("c0 05"); // already there, not the oldest, other case
    p.button->click();
    EXPECT_EQ(p.history->count(), 10) << "the oldest goes before duplicates are looked for";
    EXPECT_EQ(p.history->itemText(0), "C0 05 ");
    EXPECT_EQ(p.entries("ComboHistory").filter("C0 05", Qt::CaseInsensitive).size(), 1);

    p.history->setCurrentIndex(3);
    emit p.history->activated(3);
    EXPECT_EQ(p.box->toPlainText(), p.history->itemText(3)) << "picked, not sent";
    EXPECT_TRUE(p.box->hasFocus());
}

TEST(SendPanel, RateCheckDecidesWhetherRepeatingStarts)
{
    const struct
    {
        QString rate;
        QStringList shown;
        bool starts;
    } cases[] = {
        {"", {RateRangeText}, false},
        {"0", {RateRangeText}, false},
        {"1", {FastRateText}, true},
        {"19", {FastRateText}, true},
        {"20", {}, true},
        {"10000", {}, true},
        {"10001", {RateRangeText}, false},
        {"99999999999", {"The repeat rate 99999999999 is too large."}, false},
        {"12a", {"The repeat rate \"12a\" is not a whole number."}, false},
    };
    for (const auto &c : cases) {
        Panel p;
        EXPECT_EQ(p.startRepeating(c.rate), c.shown) << c.rate.toStdString();
        EXPECT_EQ(p.button->text(), c.starts ? "&Stop Sending" : "&Start Sending");
        EXPECT_EQ(p.timer->isActive(), c.starts);
        EXPECT_EQ(p.rate->isEnabled(), !c.starts);
        EXPECT_EQ(p.repeat->isEnabled(), !c.starts);
        EXPECT_EQ(p.rate->text(), c.rate.isEmpty() ? "0" : c.rate) << "an empty box reads 0";
        EXPECT_TRUE(!c.starts || p.timer->interval() == c.rate.toInt()) << c.rate.toStdString();
        p.window->close();
        EXPECT_FALSE(p.timer->isActive()) << "no tick may send on the closed port";
    }
}

TEST(SendPanel, RepeatingSendsEveryIntervalAndStops)
{
    Panel p;
    p.box->setPlainText("F8");
    p.startRepeating("20");
    EXPECT_EQ(p.gridRows(), 2) << "nothing before the first interval";
    // Three sends and their echoes at least; a late tick may bring two at once.
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.gridRows() >= 2 + 6; }, 5000));
    EXPECT_TRUE(p.button->hasFocus());
    p.button->click();
    EXPECT_EQ(p.button->text(), "&Start Sending");
    EXPECT_FALSE(p.timer->isActive());
    EXPECT_TRUE(p.rate->isEnabled());
    QTest::mouseClick(p.repeat, Qt::LeftButton);
    EXPECT_EQ(p.button->text(), "&Send");
    EXPECT_FALSE(p.rate->isVisible());
}

TEST(SendPanel, AFailingTickEndsRepeatingAfterTheBox)
{
    Panel p;
    p.box->setPlainText("90 3G");
    p.startRepeating("20");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !p.timer->isActive(); }, 2000));
    EXPECT_EQ(p.dialogs->shownTexts(), QStringList {modSendMessage::FailureText});
    EXPECT_EQ(p.button->text(), "&Start Sending");
    EXPECT_TRUE(p.rate->isEnabled());
    EXPECT_EQ(p.row(1), "SEND ERR\t\t\t\t\t\t");
}

TEST(SendPanel, ATickThatFallsWhileABoxIsOpenIsSkipped)
{
    Panel p;
    p.box->setPlainText("F0 01"); // every send shows the box about the missing EOX
    p.startRepeating("10000");
    int ticksDuringTheBox = 0;
    p.dialogs->whileShowing = [&] {
        ++ticksDuringTheBox;
        emit p.timer->timeout();
    };
    emit p.timer->timeout();
    EXPECT_EQ(ticksDuringTheBox, 1);
    EXPECT_EQ(p.dialogs->shownTexts(), QStringList {modSendMessage::AppendingEoxText});
    EXPECT_EQ(p.row(1), "SENT\tF0\t\t\t\t\tF0 01 F7 ");
    EXPECT_EQ(p.row(2), "\t\t\t\t\t\t") << "one send, not two";
}

TEST(SendPanel, TheRateBoxTakesDigitsOnly)
{
    Panel p;
    p.checkRepeat();
    QTest::keyClicks(p.rate, "1a-2");
    QTest::keyClick(p.rate, Qt::Key_Backspace);
    EXPECT_EQ(p.rate->text(), "12");
    EXPECT_EQ(p.dialogs->beeps, 3);
}

TEST(RepeatTimer, CatchesUpALateTickButNotALongStall)
{
    RepeatTimer timer;
    int ticks = 0;
    QObject::connect(&timer, &RepeatTimer::timeout, [&] { ++ticks; });
    timer.setInterval(10);
    timer.start();
    QThread::msleep(45); // the event loop is held: four ticks fall due
    QTest::qWait(1);
    EXPECT_EQ(ticks, 4);
    ticks = 0;
    QThread::msleep(500); // a modal box: start counting afresh rather than burst
    QTest::qWait(1);
    EXPECT_LE(ticks, 1);
}
