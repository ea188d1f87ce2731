#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>
#include <gtest/gtest.h>
#include <initializer_list>
#include <sys/resource.h>

inline QByteArray bytes(std::initializer_list<std::uint8_t> values)
{
    return QByteArray(reinterpret_cast<const char *>(std::data(values)), qsizetype(values.size()));
}

// A SysEx of `size` bytes, F0 and F7 included, its data bytes counting up.
inline QByteArray sysExOf(qsizetype size)
{
    QByteArray bytes(size, '\0');
    for (qsizetype i = 1; i < size - 1; ++i)
        bytes[i] = char(i % 0x80);
    bytes[0] = char(0xF0);
    bytes[size - 1] = char(0xF7);
    return bytes;
}

// What a file holds; a marker no file can hold when there is none to read.
inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A file for the test to start from; a test that cannot set it up fails.
inline QString writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
        ADD_FAILURE() << "cannot write " << qPrintable(path);
    return path;
}

// A disk that fills up after `room` bytes of any one file, for as long as this lives: the
// kernel refuses the bytes past the limit, as it would on a full disk, once the process
// has started as the program does (SafeFile::refuseWritesPastSizeLimit).
class DiskLimit
{
public:
    explicit DiskLimit(rlim_t room)
    {
        getrlimit(RLIMIT_FSIZE, &m_original);
        rlimit tight = m_original;
        tight.rlim_cur = room;
        m_active = setrlimit(RLIMIT_FSIZE, &tight) == 0;
    }
    ~DiskLimit() { setrlimit(RLIMIT_FSIZE, &m_original); }
    DiskLimit(const DiskLimit &) = delete;
    DiskLimit &operator=(const DiskLimit &) = delete;

    bool active() const { return m_active; }

private:
    rlimit m_original {};
    bool m_active = false;
};
