#include "CaptureMemory.h"

#include "capture/CaptureDocument.h"
#include "frame/DialogService.h"
#include "frame/NamedWidgets.h"
#include "modPreferences.h"

#include <QMenu>

CaptureMemory::CaptureMemory(
    QMenu &viewMenu, CaptureDocument &document, DialogService &dialogs, QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_dialogs(dialogs)
{
    connect(addNamedItem(&viewMenu, "mnuMemoryLimit", QStringLiteral("Memory Limit...")),
        &QAction::triggered, this, &CaptureMemory::askLimit);
    m_document.setLimit(modPreferences::LoadCaptureLimit());
}

void CaptureMemory::askLimit()
{
    const std::optional<CaptureLimit> limit = m_dialogs.askMemoryLimit(m_document.limit());
    if (!limit)
        return;
    m_document.setLimit(*limit);
    if (const QString failure = modPreferences::SaveCaptureLimit(*limit); !failure.isEmpty())
        m_dialogs.showMessage(
            failure, DialogService::ApplicationTitle, DialogService::Icon::Exclamation);
}
