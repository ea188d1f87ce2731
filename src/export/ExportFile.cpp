#include "ExportFile.h"

namespace ExportFile {

QString countOf(std::size_t count, const QString &singular, const QString &plural)
{
    return QString::number(count) + ' ' + (count == 1 ? singular : plural);
}

} // namespace ExportFile
