#include "ExportFile.h"

#include "capture/CaptureStore.h"

namespace ExportFile {

std::vector<std::string> namesOfSeveralSources(const CaptureStore &rows)
{
    return rows.receivedSources().size() > 1 ? namesOfSources(rows) : std::vector<std::string>();
}

std::vector<std::string> namesOfSources(const CaptureStore &rows)
{
    std::vector<std::string> names;
    for (std::size_t source = 0; source < CaptureStore::MaxSources; ++source)
        names.push_back(rows.sourceName(CaptureStore::Source(source)).toStdString());
    return names;
}

QString countOf(std::size_t count, const QString &singular, const QString &plural)
{
    return QString::number(count) + ' ' + (count == 1 ? singular : plural);
}

} // namespace ExportFile
