#pragma once

#include "SysExFileSender.h"
#include "frame/DialogService.h"

#include <QObject>
#include <memory>

class MIDIOutput;

// "Send .syx File...": asks for a file and the pause between its dumps, takes the file only
// when all of it is sound, then sends it dump by dump under a progress dialog that can
// cancel the run.
class SysExFileSending : public QObject
{
    Q_OBJECT

public:
    SysExFileSending(MIDIOutput &output, DialogService &dialogs, SysExFileSender::AddRow addRow,
        QObject *parent = nullptr);
    ~SysExFileSending() override;

    void start();
    // Ends a file being sent, before the output closes.
    void stop();

private:
    DialogService &m_dialogs;
    SysExFileSender m_sender;
    std::unique_ptr<DialogService::Progress> m_progress;
};
