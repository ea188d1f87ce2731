#pragma once

#include <QObject>
#include <QStringList>

class QMenu;

// File > "Open Recent": the files last opened, newest first, at most ten; choosing one opens
// it again. The list is the window's to remember from run to run.
class RecentFilesMenu : public QObject
{
    Q_OBJECT

public:
    static constexpr qsizetype Longest = 10;

    // Adds the submenu to `file`.
    explicit RecentFilesMenu(QMenu *file, QObject *parent = nullptr);

    void setFiles(const QStringList &paths);
    const QStringList &files() const { return m_files; }
    // A file opened: first in the list, once.
    void add(const QString &path);

signals:
    void chosen(const QString &path);

private:
    void rebuild();

    QMenu *m_menu;
    QStringList m_files;
};
