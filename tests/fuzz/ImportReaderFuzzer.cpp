#include "Require.h"
#include "capture/TaskProgress.h"
#include "export/TrafficLog.h"
#include "imports/FileImport.h"
#include "rows/RowCells.h"

#include <QBuffer>
#include <cstdint>

namespace {

CaptureReader::Loaded readFrom(QByteArrayView bytes)
{
    TaskProgress progress;
    return FileImport::read(bytes, QStringLiteral("fuzz"), progress);
}

std::vector<std::string> cellsOf(const CaptureStore &rows)
{
    std::vector<std::string> cells;
    for (std::size_t row = 0; row < rows.size(); ++row)
        cells.push_back(RowCells::row(rows, row));
    return cells;
}

} // namespace

// Any file that is no capture: refused with a reason, or read into rows whose text log, with
// stamps, reads back as the same cells.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const CaptureReader::Loaded loaded
        = readFrom(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    require(loaded.rows != nullptr || !loaded.reason.isEmpty());
    if (!loaded.rows || loaded.rows->size() == 0)
        return 0;
    QBuffer log;
    log.open(QIODevice::WriteOnly);
    require(TrafficLog::write(*loaded.rows, TrafficLog::Rows::All, log));
    const CaptureReader::Loaded again = readFrom(log.data());
    require(again.rows != nullptr && cellsOf(*again.rows) == cellsOf(*loaded.rows));
    return 0;
}
