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

SourceNames::SourceNames(Shape shape)
    : m_shape(std::move(shape))
{ }

const std::vector<std::string> &SourceNames::of(const CaptureStore &rows)
{
    if (m_names.empty() || m_named != rows.sourceCount()) {
        m_names = namesOfSources(rows);
        if (m_shape)
            for (std::string &name : m_names)
                name = m_shape(name);
        m_named = rows.sourceCount();
    }
    return m_names;
}

QString countOf(std::size_t count, const QString &singular, const QString &plural)
{
    return QString::number(count) + ' ' + (count == 1 ? singular : plural);
}

} // namespace ExportFile
