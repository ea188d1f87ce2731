#include "ini/ProfileString.h"

#include "files/SafeFile.h"
#include "support/Files.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <future>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using ProfileString::Text;

namespace {

struct IniFixture : testing::Test
{
    QTemporaryDir folder;
    QString path = folder.filePath("test.ini");

    void put(const QByteArray &bytes) { writeFile(path, bytes); }
    QByteArray contents() const { return readFile(path); }
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

// What sits at a path, a symbolic link followed or not, so a test can tell it was left alone.
QString placeOf(const QString &path)
{
    struct stat link = {}, target = {};
    ::lstat(QFile::encodeName(path).constData(), &link);
    ::stat(QFile::encodeName(path).constData(), &target);
    return QString::number(link.st_mode & S_IFMT) + ' ' + QString::number(target.st_mode & S_IFMT)
        + ' ' + QFileInfo(path).symLinkTarget();
}

// Runs `operation` on a thread of its own. An operation still running after a while fails the
// test, and a reader stuck on a FIFO at `path` is then let go by opening its other end.
auto withoutBlocking(const auto &operation, const QString &path)
{
    auto result = std::async(std::launch::async, operation);
    if (result.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
        ADD_FAILURE() << "blocked on " << qPrintable(path);
        ::close(::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK));
    }
    return result.get();
}

} // namespace

TEST_F(IniFixture, ReadsIgnoringCaseBlanksAndQuotesAndCutsAListThatDoesNotFit)
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

    put("[alpha]\n[beta]\n[gamma]\n"); // a list that does not fit counts its size less two
    const auto [buffer, count] = list(std::nullopt, 10);
    EXPECT_EQ(count, 8);
    EXPECT_EQ(buffer, QByteArray("alpha\0be\0\0", 10));
    QFile::remove(path);
    EXPECT_EQ(list(std::nullopt, 10).second, 0) << "no file, no names";

    put("\xEF\xBB\xBF[One]\ra=1\r[Two]\rb=2\r"); // lines end in CR alone, after a mark
    EXPECT_EQ(list(std::nullopt, 20).first.left(9), QByteArray("One\0Two\0\0", 9));
    EXPECT_EQ(list(QByteArray("Two"), 20).first.left(3), QByteArray("b\0\0", 3));
    EXPECT_EQ(value("Two", "b"), "2");
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

// Every file Lumetra writes goes through the same whole-or-nothing save as this one.
TEST_F(IniFixture, AFailedWriteLeavesTheOldFileWhole)
{
    EXPECT_FALSE(ProfileString::write("S", "k", "v", folder.filePath("no/such/dir/x.ini")));
    EXPECT_FALSE(QDir(folder.filePath("no")).exists());

    QByteArray before = "[S]\n";
    for (int i = 0; i < 2000; ++i)
        before += "key" + QByteArray::number(i) + "=some value\n";
    put(before);
    {
        const DiskLimit fullHalfWay(rlim_t(before.size() / 2));
        ASSERT_TRUE(fullHalfWay.active());
        QString error;
        EXPECT_FALSE(ProfileString::write("S", "key5", "changed", path, &error));
        EXPECT_EQ(error, qt_error_string(EFBIG)) << "the system's reason";
    }
    EXPECT_EQ(contents(), before);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList {"test.ini"})
        << "no leftovers";
}

// A shell starts the program with SIGXFSZ at its default, which ends a process that writes
// past its file-size limit; in a child, so that the test runner lives to say so.
TEST_F(IniFixture, AFileSizeLimitRefusesTheWriteInsteadOfEndingTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::signal(SIGXFSZ, SIG_DFL);
            SafeFile::refuseWritesPastSizeLimit();
            QString error;
            {
                const DiskLimit full(8);
                ProfileString::write("S", "key", "a value past the limit", path, &error);
            }
            // The runner keeps the child's stderr in a file, which the limit covers too.
            std::fputs(qPrintable(error), stderr);
            std::exit(0);
        },
        testing::ExitedWithCode(0), qt_error_string(EFBIG).toStdString());
}

TEST_F(IniFixture, KeepsTheLineEndsAndByteOrderMarkOfEveryLineItDoesNotWrite)
{
    const struct
    {
        QByteArray before;
        Text key; // no key: the section goes
        Text value; // no value: the key goes
        QByteArray after;
        const char *reason;
    } cases[] = {
        {"[S]\r\na=1\nb=2\r\n", "b", "3", "[S]\r\na=1\nb=3\r\n", "mixed line ends stay mixed"},
        {"[S]\ra=1\rb=2\r", "b", "3", "[S]\ra=1\rb=3\r", "a lone CR ends a line"},
        {"[S]\ra=1\r", "c", "3", "[S]\ra=1\rc=3\r", "a new line takes the file's line end"},
        {"[S]\na=1\r\n", "c", "3", "[S]\na=1\r\nc=3\n", "the first line end, not the last"},
        {"[S]\na=1", "a", "2", "[S]\na=2", "a changed line keeps its lack of a line end"},
        {"[S]\na=1", "c", "3", "[S]\na=1\nc=3\n", "a line added after it gives it one"},
        {"[S]", "a", "1", "[S]\r\na=1\r\n", "a file without line ends takes CR LF"},
        {"[S]\na=1\r\nb=2\n[T]\rx=1", "a", std::nullopt, "[S]\nb=2\n[T]\rx=1",
            "a removed line takes its own line end along"},
        {"\xEF\xBB\xBF[S]\r\na=1\r\n", "a", "2", "\xEF\xBB\xBF[S]\r\na=2\r\n",
            "the first section after a byte-order mark is found, and the mark stays"},
        {"\xEF\xBB\xBF[S]\na=1\n[T]\n", std::nullopt, std::nullopt, "\xEF\xBB\xBF[T]\n",
            "removing the first section keeps the mark"},
        {"\xEF\xBB\xBF", "a", "1", "\xEF\xBB\xBF[S]\r\na=1\r\n", "a mark alone is no line"},
    };
    for (const auto &c : cases) {
        put(c.before);
        ASSERT_TRUE(set("S", c.key, c.value)) << c.reason;
        EXPECT_EQ(contents(), c.after) << c.reason;
        EXPECT_EQ(value("S", c.key.value_or("a"), QByteArray("gone")), c.value.value_or("gone"))
            << c.reason;
    }
}

TEST_F(IniFixture, ReadsWhatIsNotARegularFileAsMissingAndNeverReplacesIt)
{
    const QByteArray fifo = QFile::encodeName(folder.filePath("fifo"));
    const QByteArray link = QFile::encodeName(path);
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    // Root gets a device of the test's own, so that a fault cannot replace the system's; any
    // other user gets the system's, which only root could replace.
    QByteArray device = QFile::encodeName(folder.filePath("null"));
    if (::geteuid() != 0)
        device = "/dev/null";
    const bool haveDevice
        = ::geteuid() != 0 || ::mknod(device.constData(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    const std::pair<const char *, std::function<int()>> occupants[] = {
        {"a FIFO would block the open", [&] { return ::mkfifo(link.constData(), 0600); }},
        {"so would a link to one", [&] { return ::symlink(fifo.constData(), link.constData()); }},
        {"a link to /dev/zero never ends",
            [&] { return ::symlink("/dev/zero", link.constData()); }},
        {"a link to a device would be replaced by a file",
            [&] { return haveDevice ? ::symlink(device.constData(), link.constData()) : -1; }},
        {"a folder is no file", [&] { return ::mkdir(link.constData(), 0700); }},
    };
    const QString reason = '"' + path + "\" is not a regular file.";
    for (const auto &[why, occupy] : occupants) {
        SCOPED_TRACE(why);
        QFile::remove(path);
        QDir(path).removeRecursively();
        if (occupy() != 0) {
            ADD_FAILURE() << "cannot be set up as user " << ::geteuid();
            continue;
        }
        const QString before = placeOf(path);
        EXPECT_EQ(withoutBlocking([&] { return value("S", "k", QByteArray("d")); }, path), "d");
        EXPECT_EQ(withoutBlocking([&] { return ProfileString::fileProblem(path); }, path), reason);
        QString error;
        EXPECT_FALSE(withoutBlocking(
            [&] { return ProfileString::write("S", "k", "v", path, &error); }, path));
        EXPECT_EQ(error, reason);
        EXPECT_EQ(placeOf(path), before);
    }
}

TEST_F(IniFixture, WritesThroughALinkToARegularFile)
{
    const QString target = folder.filePath("real.ini");
    ASSERT_TRUE(QFile::link(target, path));
    EXPECT_EQ(ProfileString::fileProblem(path), "") << "a dangling link is a missing file";
    ASSERT_TRUE(set("S", "k", "v"));
    ASSERT_TRUE(set("S", "k", "w"));
    EXPECT_EQ(QFileInfo(path).symLinkTarget(), target) << "the link stays a link";
    EXPECT_EQ(readFile(target), "[S]\r\nk=w\r\n");
}

TEST_F(IniFixture, ReadsAndWritesUpToTheSizeLimitAndRefusesMore)
{
    put("[S]\nk=v\n");
    QFile file(path);
    ASSERT_TRUE(file.resize(ProfileString::MaxFileSize)); // the rest is NULs, one long line
    EXPECT_EQ(value("S", "k"), "v") << "a file of the limit is read";
    QString error;
    EXPECT_FALSE(ProfileString::write("S", "k", "longer", path, &error));
    EXPECT_EQ(error, '"' + path + "\" would be larger than 16 MiB.")
        << "a file past the limit would not be read back";

    ASSERT_TRUE(file.resize(ProfileString::MaxFileSize + 1));
    EXPECT_EQ(value("S", "k", QByteArray("d")), "d");
    const QString tooLarge = '"' + path + "\" is larger than 16 MiB.";
    EXPECT_EQ(ProfileString::fileProblem(path), tooLarge);
    EXPECT_FALSE(ProfileString::write("S", "k", "w", path, &error));
    EXPECT_EQ(error, tooLarge);
    EXPECT_EQ(QFileInfo(path).size(), ProfileString::MaxFileSize + 1) << "left as it was";
}
