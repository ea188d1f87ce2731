#include "ExportFile.h"

#include "settings/modGetPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace ExportFile {

QString save(const QString &path, const std::function<bool(QIODevice &)> &write)
{
    // Unbuffered: a write the disk refuses part-way must be seen before the commit.
    QSaveFile file(path);
    const bool saved
        = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && write(file) && file.commit();
    return saved ? QString() : file.errorString();
}

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
