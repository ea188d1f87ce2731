#include "FileDrops.h"

#include "CaptureFiles.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace {

// The first file of what is dragged, or an empty text.
QString droppedFile(const QMimeData *dragged)
{
    const QList<QUrl> urls = dragged->urls();
    return urls.isEmpty() ? QString() : urls.front().toLocalFile();
}

} // namespace

FileDrops::FileDrops(QWidget &window, CaptureFiles &files)
    : QObject(&window)
    , m_files(files)
{
    window.setAcceptDrops(true);
    window.installEventFilter(this);
}

bool FileDrops::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::DragEnter && event->type() != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    auto *drop = static_cast<QDropEvent *>(event); // a QDragEnterEvent is one too
    const QString path = droppedFile(drop->mimeData());
    if (path.isEmpty())
        return false;
    drop->acceptProposedAction();
    if (event->type() == QEvent::Drop)
        m_files.open(path);
    return true;
}
