#include "ExportFile.h"

#include "settings/modGetPaths.h"

#include <QDir>
#include <QFileInfo>

namespace ExportFile {

QString startFolder()
{
    const QString documents = modGetPaths::GetSpecialFolderPath(modGetPaths::DocumentsFolder);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

QString countOf(std::size_t count, const QString &singular, const QString &plural)
{
    return QString::number(count) + ' ' + (count == 1 ? singular : plural);
}

} // namespace ExportFile
