#include "RecentFilesMenu.h"

#include "frame/NamedWidgets.h"

#include <QDir>
#include <QFileInfo>

RecentFilesMenu::RecentFilesMenu(QMenu *file, QObject *parent)
    : QObject(parent)
    , m_menu(addNamedMenu(file, "mnuOpenRecent", QStringLiteral("Open &Recent")))
{
    rebuild();
}

void RecentFilesMenu::setFiles(const QStringList &paths)
{
    m_files = paths.mid(0, Longest);
    rebuild();
}

void RecentFilesMenu::add(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    m_files.removeAll(absolute);
    m_files.prepend(absolute);
    setFiles(m_files);
}

void RecentFilesMenu::rebuild()
{
    m_menu->clear();
    m_menu->setEnabled(!m_files.isEmpty());
    for (qsizetype i = 0; i < m_files.size(); ++i) {
        const QString path = m_files[i];
        // "&1" to "&9", then "1&0": a key for each.
        const QString number = i < 9 ? QStringLiteral("&%1").arg(i + 1) : QStringLiteral("1&0");
        QAction *item = addNamedItem(m_menu, "mnuRecentFile",
            number + QLatin1Char(' ') + QDir::toNativeSeparators(path).replace('&', "&&"));
        connect(item, &QAction::triggered, this, [this, path] { emit chosen(path); });
    }
}
