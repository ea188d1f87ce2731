#include "Require.h"
#include "ini/ProfileString.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <cstdint>

namespace {

const QString &scratchFile()
{
    static const QString path = QDir::temp().filePath(
        QStringLiteral("lumetra-ini-fuzz-%1.ini").arg(QCoreApplication::applicationPid()));
    return path;
}

int listCount(const ProfileString::Text &section, int size, QByteArray &buffer)
{
    buffer = QByteArray(size, 'x');
    const int count
        = ProfileString::read(section, std::nullopt, std::nullopt, buffer, scratchFile());
    // A list that fits exactly counts size - 1; one that does not fit is cut to size - 2.
    require(count >= 0 && count <= std::max(0, size - 1));
    require(
        count == 0 || (buffer[count] == '\0' && (count == size - 2 || buffer[count - 1] == '\0')));
    return count;
}

bool namesSection(const QByteArray &list, const QByteArray &name)
{
    const QList<QByteArray> names = list.split('\0');
    return std::any_of(names.begin(), names.end(),
        [&](const QByteArray &listed) { return listed.compare(name, Qt::CaseInsensitive) == 0; });
}

} // namespace

// Any file: reads, lists and a write never fail unsafely; a value written reads back, and the
// write adds no more than its own section, leaving every byte before a new one as it was.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    {
        QFile file(scratchFile());
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    QByteArray sections;
    const int sectionBytes = listCount(std::nullopt, 8192, sections);
    const QByteArray first = sections.left(sectionBytes).split('\0').value(0);
    QByteArray keys;
    listCount(first, 64, keys);

    QByteArray value(255, 'x');
    const int valueCount = ProfileString::read(
        first, keys.split('\0').value(0), QByteArray("d"), value, scratchFile());
    require(valueCount >= 0 && valueCount <= 254);

    const bool addsSection
        = sectionBytes < 8190 && !namesSection(sections.left(sectionBytes), "Fuzz");
    if (ProfileString::write(
            QByteArray("Fuzz"), QByteArray("Key"), QByteArray("Value"), scratchFile())) {
        QByteArray readBack(255, '\0');
        const int count = ProfileString::read(
            QByteArray("fuzz"), QByteArray("KEY"), std::nullopt, readBack, scratchFile());
        require(readBack.left(count) == "Value");
        QByteArray after;
        const int afterBytes = listCount(std::nullopt, 1 << 20, after);
        require(afterBytes <= sectionBytes + 5 || sectionBytes >= 8190);
        QFile file(scratchFile());
        require(file.open(QIODevice::ReadOnly));
        require(!addsSection
            || file.readAll().startsWith(
                QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size))));
    }
    QFile::remove(scratchFile());
    return 0;
}
