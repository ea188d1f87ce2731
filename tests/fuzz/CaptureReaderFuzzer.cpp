#include "Require.h"
#include "capture/CaptureReader.h"
#include "capture/CaptureWriter.h"
#include "capture/TaskProgress.h"

#include <QBuffer>
#include <cstdint>

namespace {

CaptureReader::Loaded readFrom(QByteArray bytes)
{
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    TaskProgress progress;
    return CaptureReader::read(file, qint64(64) << 20, progress);
}

bool sameRows(const CaptureStore &a, const CaptureStore &b)
{
    if (a.size() != b.size() || a.sourceCount() != b.sourceCount()
        || a.wallClockAtStart() != b.wallClockAtStart())
        return false;
    for (std::size_t row = 0; row < a.size(); ++row) {
        const CapturedMessage x = a.at(row), y = b.at(row);
        if (x.origin != y.origin || a.sourceName(x.source) != b.sourceName(y.source)
            || x.stampUs != y.stampUs || !std::ranges::equal(x.bytes, y.bytes)
            || a.portMs(row) != b.portMs(row))
            return false;
    }
    return true;
}

} // namespace

// Any file: refused with a reason, or read into rows that a save and a second read give back
// unchanged.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const CaptureReader::Loaded loaded
        = readFrom(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    require(loaded.rows != nullptr || !loaded.reason.isEmpty());
    if (!loaded.rows)
        return 0;
    QBuffer saved;
    saved.open(QIODevice::WriteOnly);
    TaskProgress progress;
    require(CaptureWriter::write(*loaded.rows, saved, progress));
    const CaptureReader::Loaded again = readFrom(saved.data());
    require(again.rows != nullptr && sameRows(*loaded.rows, *again.rows));
    return 0;
}
