#pragma once

#include <QObject>

class CaptureDocument;
class DialogService;
class QMenu;

// View > "Memory Limit...": how much of a capture stays in memory, asked through the
// dialogs, applied to the capture at once and remembered from run to run. The limit
// remembered applies from the start.
class CaptureMemory : public QObject
{
    Q_OBJECT

public:
    // Adds its item to `viewMenu`.
    CaptureMemory(QMenu &viewMenu, CaptureDocument &document, DialogService &dialogs,
        QObject *parent = nullptr);

    void askLimit();

private:
    CaptureDocument &m_document;
    DialogService &m_dialogs;
};
