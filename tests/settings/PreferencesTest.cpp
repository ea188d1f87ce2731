#include "settings/modPreferences.h"
#include "support/Files.h"
#include "support/LoopbackWindow.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <sys/stat.h>

namespace {

QByteArray preferencesBytes()
{
    return readFile(modPreferences::preferencesFile());
}

void writePreferences(const QByteArray &bytes)
{
    forgetPreferences();
    QDir().mkpath(modPreferences::GetSettingsFolder());
    writeFile(modPreferences::preferencesFile(), bytes);
}

} // namespace

TEST(Preferences, FirstRunCreatesTheFolderAndAtExitAFileWithTheDevicesOnly)
{
    forgetPreferences();
    {
        LoopbackWindow w;
        EXPECT_TRUE(QDir(modPreferences::GetSettingsFolder()).exists());
        EXPECT_TRUE(modPreferences::GetSettingsFolder().endsWith("/Quillfeather Audio/Lumetra"));
        EXPECT_FALSE(QFile::exists(modPreferences::preferencesFile()));
        w.window->close();
    }
    // The window's place in twips, wherever the platform put it.
    const QString expected
        = "\\[MIDI I/O\\]\r\nInput=0\r\nOutput=0\r\nInputName=Lumetra Loopback\r\n"
          "OutputName=Lumetra Loopback\r\nWatchAllInputs=False\r\nWatchedInputs=0"
          "\r\n\\[View\\]\r\nTime=SinceStart\r\nShowDetails=True\r\nMiddleC=C4\r\n"
          "ShowSource=False\r\nShowGroup=False\r\nColourByKind=True\r\n\\[Window\\]\r\n"
          "Maximised=0\r\nLeft=\\d+\r\nTop=\\d+\r\nWidth=\\d+\r\nHeight=\\d+\r\n";
    const QString saved = QString::fromLatin1(preferencesBytes());
    EXPECT_TRUE(
        QRegularExpression(QRegularExpression::anchoredPattern(expected)).match(saved).hasMatch())
        << saved.toStdString();
}

TEST(Preferences, ReadsIndexesLenientlyAndCheckMarksStrictly)
{
    const std::pair<const char *, std::int16_t> indexes[] = {
        {"3", 3}, {" 3", 3}, {"3 x", 3}, {"2.5", 2}, {"3.5", 4}, {"-2", -2}, {"abc", 0}, {"", 0}};
    for (auto [text, index] : indexes)
        EXPECT_EQ(modPreferences::readDeviceIndex(text), index) << text;
    EXPECT_THROW(modPreferences::readDeviceIndex("40000"), std::runtime_error);

    for (const char *text : {"True", "TRUE", "true", "1", "-1", " 2 "})
        EXPECT_TRUE(modPreferences::readCheckMark(text)) << text;
    for (const char *text : {"False", "FALSE", "0"})
        EXPECT_FALSE(modPreferences::readCheckMark(text)) << text;
    for (const char *text : {"yes", "", "1x"})
        EXPECT_THROW(modPreferences::readCheckMark(text), std::runtime_error) << text;
}

TEST(Preferences, RestoresTheSavedFilterAndIgnoresWronglyCasedNames)
{
    {
        LoopbackWindow w;
        w.toggle("mnu9");
        w.toggle("mnuActiveSense");
        w.find<QAction>("mnuSaveFilter")->trigger();
        ASSERT_EQ(w.dialogs->shownTexts(), QStringList {"MIDI Filter Settings Saved"});
        w.toggle("mnuClearFilter"); // leaves the saved filter alone
    }
    const QByteArray file = preferencesBytes();
    EXPECT_TRUE(file.contains("[Filter]\r\n0=False\r\n"));
    EXPECT_TRUE(file.contains("\r\n8=False\r\n9=True\r\n10=False\r\n"));
    EXPECT_TRUE(file.contains("\r\n15=False\r\nActiveSense=True\r\nChnAfter=False\r\n"));
    EXPECT_TRUE(file.endsWith("SysReal=False\r\nCtrlChngChnMode=False\r\n"));
    {
        LoopbackWindow w(LoopbackWindow::Preferences::AsStored);
        EXPECT_TRUE(w.find<QAction>("mnu9")->isChecked());
        EXPECT_TRUE(w.find<QAction>("mnuActiveSense")->isChecked());
        EXPECT_FALSE(w.find<QAction>("mnu0")->isChecked());
        EXPECT_TRUE(w.find<QLabel>("lblFilter")->isVisible());
        EXPECT_TRUE(w.window->MIDIInput1().StatusFilter(0xFE));
    }
    writePreferences("[filter]\r\n0=True\r\n");
    {
        LoopbackWindow w(LoopbackWindow::Preferences::AsStored);
        EXPECT_FALSE(w.find<QAction>("mnu0")->isChecked());
    }
    writePreferences("[Filter]\r\nnoteoff=True\r\nNoteOn=True\r\n[Hand]\r\nmine=1\r\n");
    {
        LoopbackWindow w(LoopbackWindow::Preferences::AsStored);
        EXPECT_FALSE(w.find<QAction>("mnuNoteOff")->isChecked());
        EXPECT_TRUE(w.find<QAction>("mnuNoteOn")->isChecked());
        w.window->close();
    }
    EXPECT_TRUE(preferencesBytes().contains("[Hand]\r\nmine=1\r\n"))
        << "hand-written lines survive";
}

TEST(Preferences, AnUnreadableValueFailsTheStartUp)
{
    writePreferences("[Filter]\r\n3=True\r\n4=yes\r\n[MIDI I/O]\r\nInput=0\r\n");
    LoopbackWindow w(LoopbackWindow::Preferences::AsStored);
    ASSERT_EQ(w.dialogs->shown.size(), 1u);
    EXPECT_EQ(w.dialogs->shown[0].text,
        "MIDI I/O Error... you need to configure a MIDI card to use this program.");
    EXPECT_TRUE(w.find<QAction>("mnu3")->isChecked()) << "what was read before stays set";
    EXPECT_EQ(w.find<QComboBox>("ComboMidiIn")->count(), 0);
}

TEST(Preferences, SavingWhereNothingCanBeWrittenSaysWhy)
{
    forgetPreferences();
    LoopbackWindow w;
    // The settings folder's place is taken by a file: nothing can be written there.
    forgetPreferences();
    writeFile(modPreferences::GetSettingsFolder(), "");
    w.dialogs->shown.clear();
    w.find<QAction>("mnuSaveFilter")->trigger();
    ASSERT_EQ(w.dialogs->shown.size(), 1u);
    const QString start = "The filter settings could not be saved to \""
        + modPreferences::preferencesFile() + "\": ";
    EXPECT_TRUE(w.dialogs->shown[0].text.startsWith(start));
    EXPECT_GT(w.dialogs->shown[0].text.size(), start.size()) << "the system's reason follows";
    w.window->close();
    ASSERT_EQ(w.dialogs->shown.size(), 2u) << "the settings lost at exit are not lost quietly";
    EXPECT_TRUE(w.dialogs->shown[1].text.startsWith(
        "The settings could not be saved to \"" + modPreferences::preferencesFile() + "\": "));
    QFile::remove(modPreferences::GetSettingsFolder());
}

TEST(Preferences, AFileThatIsNoRegularFileIsNamedLeftAloneAndNeverBlocks)
{
    forgetPreferences();
    QDir().mkpath(modPreferences::GetSettingsFolder());
    const QByteArray fifo = modPreferences::preferencesFile().toLocal8Bit();
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    {
        LoopbackWindow w(LoopbackWindow::Preferences::AsStored);
        EXPECT_EQ(w.dialogs->shownTexts().value(0),
            "\"" + modPreferences::preferencesFile()
                + "\" is not a regular file. Lumetra starts with its default settings and "
                  "leaves the file alone.");
        EXPECT_EQ(w.find<QComboBox>("ComboMidiIn")->currentText(), "Lumetra Loopback")
            << "the start-up goes on";
        w.window->close();
    }
    EXPECT_FALSE(QFileInfo(modPreferences::preferencesFile()).isFile()) << "not replaced";
    QFile::remove(modPreferences::preferencesFile());
}
