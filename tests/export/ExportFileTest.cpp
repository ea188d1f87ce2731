#include "export/ExportFile.h"

#include "settings/SafeFile.h"
#include "support/Files.h"

#include <QDir>
#include <QIODevice>
#include <QTemporaryDir>
#include <cerrno>

TEST(ExportFile, AFullDiskKeepsTheOldFileAndSaysWhy)
{
    QTemporaryDir folder;
    const QByteArray before(20'000, 'o');
    const QString path = writeFile(folder.filePath("old.bin"), before);
    QString error;
    {
        // The disk fills up after 10,000 bytes of the 40,000 written in blocks, as exports write.
        const DiskLimit full(10'000);
        ASSERT_TRUE(full.active());
        error = ExportFile::save(path, [](QIODevice &out) {
            for (int block = 0; block < 10; ++block)
                if (!SafeFile::writeAll(out, QByteArray(4'000, 'n')))
                    return false;
            return true;
        });
    }
    EXPECT_EQ(error, qt_error_string(EFBIG));
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList {"old.bin"});
}
