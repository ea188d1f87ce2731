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

QByteArray saved(const CaptureStore &rows)
{
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    TaskProgress progress;
    require(CaptureWriter::write(rows, file, progress));
    return file.data();
}

} // namespace

// Any file: refused with a reason, or read into rows that a save and a second read give back
// unchanged, to the last byte the writer writes of them.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const CaptureReader::Loaded loaded
        = readFrom(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    require(loaded.rows != nullptr || !loaded.reason.isEmpty());
    if (!loaded.rows)
        return 0;
    const QByteArray file = saved(*loaded.rows);
    const CaptureReader::Loaded again = readFrom(file);
    require(again.rows != nullptr && saved(*again.rows) == file);
    return 0;
}
