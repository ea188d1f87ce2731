#pragma once

#include "frame/BackgroundTask.h"

#include <QObject>
#include <functional>

class CaptureDocument;
class EventGrid;
class IncomingTraffic;
class InputSet;
class QMenu;
class QStatusBar;

// The File menu's ways to save the traffic. Every save asks for its file with the inputs'
// events held back, then puts what arrived meanwhile into the grid before it writes, so that
// the file holds it too. A large capture is written as a background task behind a busy
// dialog, so that the window goes on painting; meanwhile the document takes no rows
// (arrivals wait in the input's queue, sent rows in the document).
class FileExports : public QObject
{
    Q_OBJECT

public:
    struct Wiring
    {
        CaptureDocument &document;
        InputSet &inputs;
        IncomingTraffic &incoming;
        EventGrid &grid; // for the selected rows and the place a text log leaves
        DialogService &dialogs;
        BackgroundTask &task;
        QStatusBar &statusBar; // where a save that worked says so
    };

    FileExports(const Wiring &wiring, QObject *parent = nullptr);

    // Adds the items for the other formats to the File menu.
    void addMenuItems(QMenu *file);
    // "Save MIDI IN as Text" (incoming rows only) and "Save MIDI IN and OUT as Text".
    void saveTextLog(bool withSentRows);
    void saveSysEx();
    void exportCsv();
    void saveMidiFile();
    // Asks for the file to save to with the input's events held back, then takes in what
    // arrived meanwhile, so that it is saved too. Empty when the user cancelled.
    QString askPath(const QString &dialog, const QString &filter);
    // Whether the memory there is holds every row read back at once, as a save reads the rows
    // on disk while the document is held; said as the save's failure when it does not.
    bool hasRoomToSave(const QString &path);

private:
    using Outcome = BackgroundTask::Outcome;
    // Captures past this are written in the background.
    static constexpr std::size_t LargeRows = 1'000'000;
    static constexpr std::size_t LargeBytes = std::size_t(64) << 20;
    // Long enough to read a path, short enough not to stand for the next save's.
    static constexpr int SavedNoticeTime = 10'000; // ms

    void write(const QString &path, std::function<Outcome()> write);
    void tellFailure(const QString &path, const QString &error);
    // A routine outcome: a notice, not a box to close.
    void tellSaved(const QString &sentence);

    Wiring m_wiring;
};
