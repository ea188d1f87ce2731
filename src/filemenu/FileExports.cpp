#include "FileExports.h"

#include "capture/CaptureDocument.h"
#include "capture/IncomingTraffic.h"
#include "export/CsvLog.h"
#include "export/ExportFile.h"
#include "export/MidiFile.h"
#include "export/SysExFile.h"
#include "export/TrafficLog.h"
#include "files/MemoryRoom.h"
#include "frame/NamedWidgets.h"
#include "grid/EventGrid.h"
#include "grid/EventGridModel.h"
#include "ports/InputSet.h"

#include <QStatusBar>
#include <cmath>

FileExports::FileExports(const Wiring &wiring, QObject *parent)
    : QObject(parent)
    , m_wiring(wiring)
{ }

void FileExports::write(const QString &path, std::function<Outcome()> write)
{
    if (m_wiring.task.isRunning())
        return; // the busy dialog keeps the user from the menus meanwhile
    const CaptureStore &rows = m_wiring.document.rows();
    if (!hasRoomToSave(path))
        return;
    if (rows.size() <= LargeRows && rows.bytesHeld() <= LargeBytes) {
        write()();
        return;
    }
    m_wiring.inputs.setEventsEnabled(false);
    m_wiring.document.hold(true);
    m_wiring.task.run(QStringLiteral("Saving \"%1\"...").arg(path), BackgroundTask::Display::Busy,
        [this, write = std::move(write)](TaskProgress &) {
            return [this, outcome = write()] {
                m_wiring.document.hold(false);
                m_wiring.inputs.setEventsEnabled(true);
                outcome();
            };
        });
}

void FileExports::addMenuItems(QMenu *file)
{
    const struct
    {
        const char *name, *caption;
        void (FileExports::*handler)();
    } items[] = {
        {"mnuSaveSysEx", "Save SysEx as .syx...", &FileExports::saveSysEx},
        {"mnuExportCsv", "Export as CSV...", &FileExports::exportCsv},
        {"mnuSaveMidiFile", "Save as MIDI File...", &FileExports::saveMidiFile},
    };
    for (const auto &item : items)
        connect(addNamedItem(file, item.name, QString::fromLatin1(item.caption)),
            &QAction::triggered, this, item.handler);
}

QString FileExports::askPath(const QString &dialog, const QString &filter)
{
    m_wiring.inputs.setEventsEnabled(false);
    const QString path = m_wiring.dialogs.askSavePath(dialog, filter);
    m_wiring.inputs.setEventsEnabled(true);
    // What queued up while the dialog was open belongs in the file.
    m_wiring.incoming.drainAll();
    return path;
}

bool FileExports::hasRoomToSave(const QString &path)
{
    const CaptureStore &rows = m_wiring.document.rows();
    const double needed = double(rows.size()) * 12 - double(rows.bytesHeld());
    const qint64 room = MemoryRoom::available();
    if (needed <= double(room))
        return true;
    constexpr double MiB = 1 << 20;
    tellFailure(path,
        QStringLiteral("its rows on disk would be read back whole to be saved, and would need "
                       "%1 MiB of memory, more than the %2 MiB there is room for.")
            .arg(std::ceil(needed / MiB), 0, 'f', 0)
            .arg(double(room) / MiB, 0, 'f', 0));
    return false;
}

void FileExports::tellFailure(const QString &path, const QString &error)
{
    m_wiring.dialogs.showMessage(QStringLiteral("Cannot save \"%1\": %2").arg(path, error));
}

void FileExports::tellSaved(const QString &sentence)
{
    m_wiring.statusBar.showMessage(sentence, SavedNoticeTime);
}

void FileExports::saveTextLog(bool withSentRows)
{
    const QString path
        = askPath(QStringLiteral("TextLog"), QStringLiteral("Text files (*.txt);;All files (*)"));
    if (path.isEmpty())
        return;
    write(path, [this, path, withSentRows]() -> Outcome {
        const QString error = TrafficLog::save(m_wiring.document.rows(),
            withSentRows ? TrafficLog::Rows::All : TrafficLog::Rows::IncomingOnly, path);
        if (!error.isEmpty())
            return [this, path, error] { tellFailure(path, error); };
        return [this, withSentRows] { m_wiring.grid.markLogRead(withSentRows); };
    });
}

void FileExports::saveSysEx()
{
    const std::vector<std::size_t> selected = m_wiring.grid.selectedRows();
    if (SysExFile::rowsToSave(m_wiring.document.rows(), selected).empty()) {
        m_wiring.dialogs.showMessage(SysExFile::nothingToSaveSentence(!selected.empty()));
        return;
    }
    const QString path
        = askPath(QStringLiteral("SysEx"), QStringLiteral("SysEx files (*.syx);;All files (*)"));
    if (path.isEmpty())
        return;
    write(path, [this, path, selected]() -> Outcome {
        const CaptureStore &store = m_wiring.document.rows();
        const auto saved = SysExFile::save(store, SysExFile::rowsToSave(store, selected), path);
        return [this, path, saved] {
            if (!saved.error.isEmpty())
                tellFailure(path, saved.error);
            else
                tellSaved(SysExFile::savedSentence(saved.counts, path));
        };
    });
}

void FileExports::exportCsv()
{
    const QString path
        = askPath(QStringLiteral("Csv"), QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty())
        return;
    const MessageDetails::MiddleC middleC = m_wiring.grid.viewSettings().middleC;
    write(path, [this, path, middleC]() -> Outcome {
        const QString error = CsvLog::save(m_wiring.document.rows(), middleC, path);
        return [this, path, error] {
            if (!error.isEmpty())
                tellFailure(path, error);
        };
    });
}

void FileExports::saveMidiFile()
{
    const QString path
        = askPath(QStringLiteral("MidiFile"), QStringLiteral("MIDI files (*.mid);;All files (*)"));
    if (path.isEmpty())
        return;
    write(path, [this, path]() -> Outcome {
        const auto saved = MidiFile::save(m_wiring.document.rows(), path);
        return [this, path, saved] {
            if (!saved.error.isEmpty())
                tellFailure(path, saved.error);
            else
                tellSaved(MidiFile::savedSentence(saved.counts, path));
        };
    });
}
