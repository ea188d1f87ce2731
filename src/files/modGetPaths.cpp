#include "modGetPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <stdexcept>

namespace modGetPaths {

QString GetSpecialFolderPath(std::int32_t folder)
{
    // The per-user place for settings on this desktop, and the documents folder.
    const auto location = folder == ApplicationDataFolder ? QStandardPaths::GenericConfigLocation
        : folder == DocumentsFolder                       ? QStandardPaths::DocumentsLocation
                                                          : QStandardPaths::StandardLocation(-1);
    if (location == QStandardPaths::StandardLocation(-1))
        return {};
    return QDir::cleanPath(QStandardPaths::writableLocation(location));
}

void CreateFolderPath(const QString &path)
{
    const QString cleaned = QDir::cleanPath(path);
    for (qsizetype at = cleaned.indexOf(u'/', 1);; at = cleaned.indexOf(u'/', at + 1)) {
        const QString level = at < 0 ? cleaned : cleaned.left(at);
        // A level that exists already is what the walk expects to meet.
        if (!QFileInfo(level).isDir() && !QDir().mkdir(level))
            throw std::runtime_error(
                QStringLiteral("Cannot create the folder \"%1\".").arg(level).toStdString());
        if (at < 0)
            return;
    }
}

QString fileDialogFolder()
{
    const QString documents = GetSpecialFolderPath(DocumentsFolder);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

} // namespace modGetPaths
