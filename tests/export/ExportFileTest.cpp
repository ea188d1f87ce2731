#include "export/ExportFile.h"

#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

TEST(ExportFile, AFullDiskKeepsTheOldFileAndSaysWhy)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("old.bin");
    const QByteArray before(20'000, 'o');
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(before);
    old.close();

    // The disk fills up after 10,000 bytes of the 40,000 written in blocks.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit original {};
    getrlimit(RLIMIT_FSIZE, &original);
    rlimit tight = original;
    tight.rlim_cur = 10'000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    const QString error = ExportFile::save(path, [](QIODevice &out) {
        for (int block = 0; block < 10; ++block)
            if (out.write(QByteArray(4'000, 'n')) != 4'000)
                return false;
        return true;
    });
    setrlimit(RLIMIT_FSIZE, &original);

    EXPECT_FALSE(error.isEmpty());
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), before);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList {"old.bin"});
}
