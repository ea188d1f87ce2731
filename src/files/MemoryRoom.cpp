#include "MemoryRoom.h"

#include <QFile>
#include <algorithm>
#include <limits>
#include <sys/resource.h>
#include <unistd.h>

namespace MemoryRoom {
namespace {

    // The system's own estimate where it makes one.
    qint64 systemAvailable()
    {
        QFile info(QStringLiteral("/proc/meminfo"));
        if (info.open(QIODevice::ReadOnly)) {
            for (QByteArray line = info.readLine(); !line.isEmpty(); line = info.readLine()) {
                if (line.startsWith("MemAvailable:"))
                    return line.mid(13).trimmed().split(' ').value(0).toLongLong() * 1024;
            }
        }
        return qint64(::sysconf(_SC_AVPHYS_PAGES)) * ::sysconf(_SC_PAGESIZE);
    }

    // The process's address space and data, in bytes, from /proc/self/statm (in pages):
    // its size, then resident, shared, text, library and data.
    struct Held
    {
        qint64 addressSpace = 0;
        qint64 data = 0;
    };

    Held held()
    {
        QFile statm(QStringLiteral("/proc/self/statm"));
        if (!statm.open(QIODevice::ReadOnly))
            return {};
        const QList<QByteArray> pages = statm.readAll().trimmed().split(' ');
        const qint64 pageSize = ::sysconf(_SC_PAGESIZE);
        return {pages.value(0).toLongLong() * pageSize, pages.value(5).toLongLong() * pageSize};
    }

    // What is left under a limit of the process, or no bound when it has none.
    qint64 leftUnder(int resource, qint64 used)
    {
        rlimit limit = {};
        if (::getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
            return std::numeric_limits<qint64>::max();
        return std::max<qint64>(0, qint64(limit.rlim_cur) - used);
    }

} // namespace

qint64 available()
{
    const Held now = held();
    return std::min({systemAvailable(), leftUnder(RLIMIT_AS, now.addressSpace),
        leftUnder(RLIMIT_DATA, now.data)});
}

} // namespace MemoryRoom
