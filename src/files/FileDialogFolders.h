#pragma once

#include <QDateTime>
#include <QMap>
#include <QString>

// Where each file dialog opens: the folder it was last left in, kept by the dialog's name
// ("TextLog", "Capture", ...) from run to run, else the documents folder. A save dialog
// proposes a name of the date and time with its type's extension, so that two saves a
// minute apart never offer the same file.
class FileDialogFolders
{
public:
    using Folders = QMap<QString, QString>; // folder by dialog name
    // The dialog that opens files of any kind: it starts where the last file was saved or
    // opened, whichever dialog it was.
    static inline const QString OpenDialog = QStringLiteral("Open");

    QString folderFor(const QString &dialog) const;
    // The folder of a file the user chose in that dialog.
    void remember(const QString &dialog, const QString &chosenFile);

    const Folders &all() const { return m_folders; }
    void setAll(const Folders &folders) { m_folders = folders; }

    // "<folder>/lumetra-2026-12-07-154502.txt": the dialog's folder, the time given, and the
    // extension of the filter's first type.
    QString proposedPath(const QString &dialog, const QString &filter, const QDateTime &now) const;

    // "txt" of "Text files (*.txt);;All files (*)": the extension of a filter's first type,
    // empty when it takes any name.
    static QString extensionOf(const QString &filter);

private:
    Folders m_folders;
};
