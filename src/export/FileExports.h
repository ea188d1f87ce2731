#pragma once

#include "frame/DialogService.h"

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

class EventGrid;
class EventGridModel;
class IncomingTraffic;
class MIDIInput;
class MIDIOutput;
class QMenu;
class SysExFileSender;

// The File menu's ways to save the traffic, and to send a file of SysEx dumps. Every save
// asks for its file with the input's events held back, then puts what arrived meanwhile into
// the grid before it writes, so that the file holds it too.
class FileExports : public QObject
{
    Q_OBJECT

public:
    struct Wiring
    {
        MIDIInput &input;
        MIDIOutput &output;
        IncomingTraffic &incoming;
        EventGrid &grid;
        EventGridModel &rows;
        DialogService &dialogs;
    };

    FileExports(const Wiring &wiring, QObject *parent = nullptr);
    ~FileExports() override;

    // Adds the items for the other formats to the File menu.
    void addMenuItems(QMenu *file);
    // "Save MIDI IN as Text" (incoming rows only) and "Save MIDI IN and OUT as Text".
    void saveTextLog(bool withSentRows);
    void saveSysEx();
    void sendSysExFile();
    // Ends a file being sent, before the output closes.
    void stopSending();
    void exportCsv();
    void saveMidiFile();

private:
    QString askPath(const QString &filter);
    void tellFailure(const QString &path, const QString &error);

    Wiring m_wiring;
    std::unique_ptr<SysExFileSender> m_sender;
    std::unique_ptr<DialogService::Progress> m_progress;
};
