#pragma once

#include "frame/DialogService.h"

#include <QObject>

class EventGrid;
class EventGridModel;
class IncomingTraffic;
class MIDIInput;
class QMenu;

// The File menu's ways to save the traffic. Every save asks for its file with the input's
// events held back, then puts what arrived meanwhile into the grid before it writes, so that
// the file holds it too.
class FileExports : public QObject
{
    Q_OBJECT

public:
    struct Wiring
    {
        MIDIInput &input;
        IncomingTraffic &incoming;
        EventGrid &grid;
        EventGridModel &rows;
        DialogService &dialogs;
    };

    FileExports(const Wiring &wiring, QObject *parent = nullptr);

    // Adds the items for the other formats to the File menu.
    void addMenuItems(QMenu *file);
    // "Save MIDI IN as Text" (incoming rows only) and "Save MIDI IN and OUT as Text".
    void saveTextLog(bool withSentRows);
    void saveSysEx();
    void exportCsv();
    void saveMidiFile();

private:
    QString askPath(const QString &filter);
    void tellFailure(const QString &path, const QString &error);

    Wiring m_wiring;
};
