#include "FileDialogFolders.h"

#include "modGetPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

QString FileDialogFolders::folderFor(const QString &dialog) const
{
    // A folder since removed would be offered as a file name.
    const QString last = m_folders.value(dialog);
    return !last.isEmpty() && QFileInfo(last).isDir() ? last : modGetPaths::fileDialogFolder();
}

void FileDialogFolders::remember(const QString &dialog, const QString &chosenFile)
{
    if (chosenFile.isEmpty())
        return;
    const QString folder = QFileInfo(chosenFile).absolutePath();
    m_folders.insert(dialog, folder);
    m_folders.insert(OpenDialog, folder);
}

QString FileDialogFolders::proposedPath(
    const QString &dialog, const QString &filter, const QDateTime &now) const
{
    QString name = QStringLiteral("lumetra-") + now.toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    if (const QString extension = extensionOf(filter); !extension.isEmpty())
        name += QLatin1Char('.') + extension;
    return QDir(folderFor(dialog)).filePath(name);
}

QString FileDialogFolders::extensionOf(const QString &filter)
{
    static const QRegularExpression firstPattern(QStringLiteral(R"(\(\s*\*\.([^\s;)*]+))"));
    const QRegularExpressionMatch match
        = firstPattern.match(filter.section(QStringLiteral(";;"), 0, 0));
    return match.hasMatch() ? match.captured(1) : QString();
}
