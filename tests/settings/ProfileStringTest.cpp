#include "settings/ProfileString.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

using ProfileString::Text;

namespace {

struct IniFixture : testing::Test
{
    QTemporaryDir folder;
    QString path = folder.filePath("test.ini");

    void put(const QByteArray &bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray contents() const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QByteArray value(
        const QByteArray &section, const QByteArray &key, Text fallback = {}, int size = 255) const
    {
        QByteArray buffer(size, 'x');
        const int count = ProfileString::read(section, key, fallback, buffer, path);
        return buffer.left(count);
    }
    std::pair<QByteArray, int> list(Text section, int size) const
    {
        QByteArray buffer(size, 'x');
        const int count = ProfileString::read(section, std::nullopt, std::nullopt, buffer, path);
        return {buffer, count};
    }
    bool set(Text section, Text key, Text value)
    {
        return ProfileString::write(section, key, value, path);
    }
};

} // namespace

TEST_F(IniFixture, ReadsIgnoringCaseBlanksAndQuotes)
{
    put("; a comment\r\n[Midi I/O]\r\n  Input = 3 \r\nquoted=\"a "
        "b\"\r\nbare\r\n[Other]\r\nInput=9\r\n");
    EXPECT_EQ(value("MIDI I/O", "INPUT"), "3");
    EXPECT_EQ(value("midi i/o", "quoted"), "a b");
    EXPECT_EQ(value("MIDI I/O", "bare"), "");
    EXPECT_EQ(value("MIDI I/O", "missing", QByteArray("FAIL")), "FAIL");
    EXPECT_EQ(value("Nowhere", "Input", QByteArray("d")), "d");
    EXPECT_EQ(value("Other", "Input", {}, 1), "") << "a buffer of one holds only the NUL";
    EXPECT_EQ(list(QByteArray("MIDI I/O"), 100).first.left(19),
        QByteArray("Input\0quoted\0bare\0\0", 19));
    EXPECT_EQ(list(QByteArray("MIDI I/O"), 100).second, 18);
}

TEST_F(IniFixture, CutsAListThatDoesNotFitAndCountsSizeLessTwo)
{
    put("[alpha]\n[beta]\n[gamma]\n");
    const auto [buffer, count] = list(std::nullopt, 10);
    EXPECT_EQ(count, 8);
    EXPECT_EQ(buffer, QByteArray("alpha\0be\0\0", 10));
    QFile::remove(path);
    EXPECT_EQ(list(std::nullopt, 10).second, 0) << "no file, no names";
}

TEST_F(IniFixture, WritesChangeOnlyWhatTheyNameAndKeepTheRestByteForByte)
{
    const QByteArray before
        = "# kept\r\n[One]\r\nA = 1 ; not a comment\r\nB=2\r\n\r\n[Two]\r\nC=3\r\n";
    put(before);
    ASSERT_TRUE(set("one", "b", "20"));
    EXPECT_EQ(
        contents(), "# kept\r\n[One]\r\nA = 1 ; not a comment\r\nb=20\r\n\r\n[Two]\r\nC=3\r\n");
    ASSERT_TRUE(set("One", "New", "x"));
    EXPECT_EQ(contents(),
        "# kept\r\n[One]\r\nA = 1 ; not a comment\r\nb=20\r\nNew=x\r\n\r\n[Two]\r\nC=3\r\n")
        << "a new key goes after the last line of its section, before the blank";
    ASSERT_TRUE(set("One", "A", std::nullopt));
    ASSERT_TRUE(set("TWO", std::nullopt, std::nullopt));
    EXPECT_EQ(contents(), "# kept\r\n[One]\r\nb=20\r\nNew=x\r\n\r\n");
    ASSERT_TRUE(set("Gone", "k", std::nullopt)) << "removing what is not there is no failure";
}

TEST_F(IniFixture, ANewFileKeepsTheOrderOfFirstWritesAndLfFilesStayLf)
{
    ASSERT_TRUE(set("MIDI I/O", "Input", "0"));
    ASSERT_TRUE(set("MIDI I/O", "Output", "1"));
    ASSERT_TRUE(set("Filter", "0", "False"));
    EXPECT_EQ(contents(), "[MIDI I/O]\r\nInput=0\r\nOutput=1\r\n[Filter]\r\n0=False\r\n");
    put("[S]\nk=v");
    ASSERT_TRUE(set("S", "n", "w"));
    EXPECT_EQ(contents(), "[S]\nk=v\nn=w\n");
}

TEST_F(IniFixture, RefusesLineBreaksThatWouldInjectLines)
{
    put("[S]\nk=v\n");
    for (auto [section, key, value] :
        {std::tuple<QByteArray, QByteArray, QByteArray> {"S", "k", "1\n[Evil]\nx=y"},
            {"S", "k\r\nx", "1"}, {"S\n[T", "k", "1"}, {"S", "a=b", "1"}, {"S]x", "k", "1"},
            {" S", "k", "1"}, // blanks at the ends would not be found again
            {"S", "[x", "1"}, // would read as a heading
            {"S", ";k", "1"}}) { // would read as a comment
        EXPECT_FALSE(set(section, key, value)) << value.constData();
    }
    EXPECT_EQ(contents(), "[S]\nk=v\n");
}

TEST_F(IniFixture, AFailedWriteLeavesTheOldFileWhole)
{
    EXPECT_FALSE(ProfileString::write("S", "k", "v", folder.filePath("no/such/dir/x.ini")));
    EXPECT_FALSE(QDir(folder.filePath("no")).exists());

    QByteArray before = "[S]\n";
    for (int i = 0; i < 2000; ++i)
        before += "key" + QByteArray::number(i) + "=some value\n";
    put(before);
    // A disk that fills up part-way through the write: the kernel refuses bytes past the limit.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit original {};
    getrlimit(RLIMIT_FSIZE, &original);
    rlimit tight = original;
    tight.rlim_cur = rlim_t(before.size() / 2);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    QString error;
    const bool written = ProfileString::write("S", "key5", "changed", path, &error);
    setrlimit(RLIMIT_FSIZE, &original);
    EXPECT_FALSE(written);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(contents(), before);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList {"test.ini"})
        << "no leftovers";
}
