#include "support/LoopbackWindow.h"
#include "support/Preferences.h"

#include <QLabel>

// Filter > "Hide Messages Like..." keeps out what its patterns match, counts it as filtered
// and turns the filter notice on; a text that is no pattern changes nothing; the patterns
// are there again in the next run.
TEST(HiddenMessages, KeepsOutWhatThePatternsMatchAndRemembersThem)
{
    {
        LoopbackWindow w;
        w.dialogs->nextText = "fe, F0 7D";
        w.toggle("mnuHideLike");
        w.send({0xFE});
        w.send(QByteArray("\xF0\x7D\x01\xF7", 4));
        w.send({0x90, 0x3C, 0x40});
        ASSERT_TRUE(w.waitForRows(3));
        EXPECT_EQ(w.window->GetMIDIINText(1, 1), "90");
        auto *filtered = w.find<QLabel>("lblFilteredCount");
        EXPECT_TRUE(QTest::qWaitFor([&] { return filtered->text() == "filtered: 2"; }, 2000))
            << filtered->text().toStdString();

        w.dialogs->nextText = "FE, 3C";
        w.toggle("mnuHideLike");
        EXPECT_EQ(w.dialogs->offeredText, "FE, F0 7D") << "the patterns hidden are offered";
        EXPECT_EQ(w.dialogs->shownTexts().back(),
            "Nothing changed: \"3C\" does not begin with a status byte (80 to FF).");
        w.window->close();
    }
    EXPECT_TRUE(readFile(modPreferences::preferencesFile())
                    .contains("[Hidden Messages]\r\nCount=2\r\nPattern1=FE\r\n"));
    LoopbackWindow next(LoopbackWindow::Preferences::AsStored);
    EXPECT_TRUE(next.find<QLabel>("lblFilter")->isVisible());
    next.send({0xFE});
    next.send({0x90, 0x3C, 0x40});
    ASSERT_TRUE(next.waitForRows(3));
    EXPECT_EQ(next.window->GetMIDIINText(1, 1), "90") << "the patterns are there again";
}
