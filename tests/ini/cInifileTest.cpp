#include "ini/cInifile.h"

#include "support/Files.h"

#include <QTemporaryDir>

namespace {

struct Ini : testing::Test
{
    QTemporaryDir folder;
    cInifile ini;

    void SetUp() override
    {
        ini.setPath(folder.filePath("prefs.ini"));
        ini.setSection("Filter");
    }
    void put(const QString &key, const QString &value)
    {
        ini.setKey(key);
        ini.setValue(value);
        ASSERT_TRUE(ini.Success());
    }
};

// A window that records what was done to it.
struct FakeWindow : FormWindow
{
    int state = Normal;
    double left = 1000, top = 1000, width = 4000, height = 3500;
    int moves = 0;

    int WindowState() const override { return state; }
    void setWindowState(int s) override { state = s; }
    double Left() const override { return left; }
    double Top() const override { return top; }
    double Width() const override { return width; }
    double Height() const override { return height; }
    void Move(double l, double t, double w, double h) override
    {
        left = l, top = t, width = w, height = h;
        ++moves;
    }
};

const ScreenTwips Screen1024 {15360, 11520, 15, 15}; // 1024 x 768 at 15 twips per pixel

} // namespace

TEST_F(Ini, ReportsWritesOnlyAndReadsDefaults)
{
    ini.setKey("missing");
    EXPECT_EQ(ini.Value(), "");
    ini.setDefault("FAIL");
    EXPECT_EQ(ini.Value(), "FAIL");
    EXPECT_FALSE(ini.Success()) << "a read changes nothing";
    put("k", QString("a") + QChar(u'\0') + "b");
    EXPECT_EQ(ini.Value(), "ab");
    put("long", QString(300, 'v'));
    EXPECT_EQ(ini.Value(), QString(254, 'v'));
}

TEST_F(Ini, ListsAndDeletesKeysAndSections)
{
    put("0", "True");
    put("NoteOff", "False");
    ini.setSection("Other");
    put("x", "1");
    ini.setSection("Filter");
    EXPECT_EQ(ini.INISection(), QString("0") + QChar(u'\0') + "NoteOff" + QChar(u'\0'));

    QStringList keys {"stale"};
    std::int32_t count = -1;
    ini.EnumerateCurrentSection(keys, count);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(keys, (QStringList {"0", "NoteOff"}));

    ini.setKey("0");
    ini.DeleteKey();
    EXPECT_TRUE(ini.Success());
    ini.EnumerateCurrentSection(keys, count);
    EXPECT_EQ(keys, QStringList {"NoteOff"});
    ini.DeleteSection();
    ini.EnumerateAllSections(keys, count);
    EXPECT_EQ(keys, QStringList {"Other"});

    ini.setPath(folder.filePath("none.ini"));
    keys = QStringList {"stale"};
    ini.EnumerateAllSections(keys, count);
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(keys.isEmpty());
}

TEST(CLngDefault, ConvertsOrFallsBack)
{
    const std::tuple<const char *, std::int32_t, std::int32_t> cases[] = {
        {"12", 7, 12}, {"+8", 0, 8}, {" -3 ", 0, -3}, // blanks and a sign are allowed
        {"FAIL", 7, 7}, {"", 7, 7}, {"1e3", 5, 5}, {"0x10", 5, 5}, // no number as written
        {"2.5", 0, 2}, {"3.5", 0, 4}, // a half rounds to even
        {"-2147483648", 0, INT32_MIN}, {"2147483647.4", 0, INT32_MAX}, // the ends of the range
        {"99999999999", 7, 7}, // past the range
    };
    for (auto [text, fallback, expected] : cases)
        EXPECT_EQ(cInifile::CLngDefault(text, fallback), expected) << text;
}

TEST_F(Ini, SavesPositionByWindowState)
{
    ini.setSection("Window");
    ini.setKey("current");
    FakeWindow window;
    window.state = FormWindow::Minimised;
    ini.SaveFormPosition(window);
    EXPECT_EQ(ini.INISection(), "") << "minimised writes nothing";

    window.state = FormWindow::Normal;
    ini.SaveFormPosition(window);
    window.state = FormWindow::Maximised;
    window.left = 1;
    ini.SaveFormPosition(window);
    EXPECT_EQ(ini.Key(), "current") << "the current key is restored";
    QStringList keys;
    std::int32_t count = 0;
    ini.EnumerateCurrentSection(keys, count);
    EXPECT_EQ(keys, (QStringList {"Maximised", "Left", "Top", "Width", "Height"}));
    ini.setKey("Maximised");
    EXPECT_EQ(ini.Value(), "1");
    ini.setKey("Left");
    EXPECT_EQ(ini.Value(), "1000") << "a maximised window keeps the normal placement";
}

TEST_F(Ini, LoadsPositionInsideTheScreen)
{
    constexpr int Normal = FormWindow::Normal, Maximised = FormWindow::Maximised;
    const struct
    {
        QByteArray stored; // the lines of the section
        std::int32_t minWidth;
        double left, width;
        int state, moves;
        const char *why;
    } cases[] = {
        {"", 3000, 1000, 4000, Normal, 1, "nothing stored: the window's own"},
        {"Left=-500\nWidth=1000", 3000, 60, 3000, Normal, 1, "four pixels in, at least as wide"},
        {"Left=15000\nWidth=6000\nMaximised=1", 3000, 9300, 6000, Maximised, 1,
            "in from the right"},
        {"Width=20000", 3000, 60, 15360 - 120, Normal, 1, "no wider than the screen"},
        {"Width=20000", 15300, 1000, 4000, Normal, 0, "no room for the minimum: not moved"},
    };
    ini.setSection("Window");
    for (const auto &c : cases) {
        writeFile(folder.filePath("prefs.ini"), "[Window]\n" + c.stored);
        FakeWindow window;
        ini.LoadFormPosition(window, Screen1024, c.minWidth);
        EXPECT_EQ(window.left, c.left) << c.why;
        EXPECT_EQ(window.width, c.width) << c.why;
        EXPECT_EQ(window.state, c.state) << c.why;
        EXPECT_EQ(window.moves, c.moves) << c.why;
        EXPECT_EQ(ini.Default(), std::nullopt) << "the default is restored";
    }
}
