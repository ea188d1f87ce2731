#include "CaptureFiles.h"

#include "FileExports.h"
#include "RecentFilesMenu.h"
#include "capture/CaptureDocument.h"
#include "capture/CaptureWriter.h"
#include "frame/NamedWidgets.h"
#include "grid/EventGrid.h"
#include "imports/FileImport.h"
#include "ports/InputSet.h"
#include "recording/Rotation.h"

namespace {

const QString CaptureFilter = QStringLiteral("Lumetra captures (*.lmc);;All files (*)");

} // namespace

CaptureFiles::CaptureFiles(const Wiring &wiring, QObject *parent)
    : QObject(parent)
    , m_wiring(wiring)
{ }

void CaptureFiles::addMenuItems(QMenu *file)
{
    connect(addNamedItem(file, "mnuSaveCapture", QStringLiteral("Save Capture...")),
        &QAction::triggered, this, &CaptureFiles::saveCapture);
    connect(addNamedItem(file, "mnuOpenCapture", QStringLiteral("Open Capture...")),
        &QAction::triggered, this, &CaptureFiles::openCapture);
    m_recent = new RecentFilesMenu(file, this);
    connect(m_recent, &RecentFilesMenu::chosen, this, &CaptureFiles::open);
}

void CaptureFiles::saveCapture()
{
    if (m_wiring.task.isRunning())
        return; // the progress dialog keeps the user from the menus meanwhile
    const QString path = m_wiring.exports.askPath(QStringLiteral("Capture"), CaptureFilter);
    if (!path.isEmpty())
        save(path, {});
}

void CaptureFiles::save(const QString &path, const std::function<void()> &then)
{
    if (!m_wiring.exports.hasRoomToSave(path))
        return;
    m_wiring.inputs.setEventsEnabled(false);
    m_wiring.document.hold(true);
    m_wiring.task.run(QStringLiteral("Saving \"%1\"...").arg(path),
        BackgroundTask::Display::Progress, [this, path, then](TaskProgress &progress) {
            const QString error = CaptureWriter::save(m_wiring.document.rows(), path, progress);
            return [this, path, error, then, cancelled = progress.cancelled.load()] {
                // Before the rows sent meanwhile are stored, which the file does not hold.
                if (error.isEmpty() && !cancelled)
                    m_wiring.document.markSaved();
                m_wiring.document.hold(false);
                m_wiring.inputs.setEventsEnabled(true);
                if (!error.isEmpty())
                    m_wiring.dialogs.showMessage(
                        QStringLiteral("Cannot save \"%1\": %2").arg(path, error));
                else if (then && !cancelled)
                    QTimer::singleShot(0, this, then); // once this task has ended
            };
        });
}

void CaptureFiles::openCapture()
{
    if (m_wiring.task.isRunning())
        return;
    const QString path
        = m_wiring.dialogs.askOpenPath(FileDialogFolders::OpenDialog, FileImport::dialogFilter());
    if (!path.isEmpty())
        open(path);
}

void CaptureFiles::open(const QString &path)
{
    if (m_wiring.task.isRunning())
        return;
    const QStringList set = Rotation::setOf(path);
    if (set.size() > 1) {
        const std::optional<int> choice = m_wiring.dialogs.askChoice(
            QStringLiteral("\"%1\" is one of the %2 files of a recording. Open them all as one "
                           "timeline, or this file alone?")
                .arg(path)
                .arg(set.size()),
            {QStringLiteral("Open All"), QStringLiteral("This File Alone")});
        if (!choice)
            return;
        m_paths = *choice == 0 ? set : QStringList {path};
    } else {
        m_paths = {path};
    }
    const std::size_t rows = m_wiring.document.rows().size();
    // The question waits on the user, and the file is read meanwhile: rows go on coming, and
    // the oldest may be dropped.
    const CaptureDocument::LastingRow keptFrom = m_wiring.document.lasting(rows);
    // Rows that some file holds as they are need no question; those arriving meanwhile stay.
    if (!m_wiring.document.hasUnsavedChanges()) {
        read(path, Placing::Replace, keptFrom);
        return;
    }
    const std::optional<int> choice = m_wiring.dialogs.askChoice(
        QStringLiteral("The %1 rows shown are not saved. Save them before \"%2\" opens in their "
                       "place, show its rows after them, or let them go?")
            .arg(rows)
            .arg(path),
        {QStringLiteral("Save Them First..."), QStringLiteral("Add After Them"),
            QStringLiteral("Replace Them")});
    if (choice == 0) {
        const QString savePath = m_wiring.exports.askPath(QStringLiteral("Capture"), CaptureFilter);
        // What comes while they are saved waits, and is kept after the file's rows.
        if (!savePath.isEmpty())
            save(savePath, [this, path, keptFrom] { read(path, Placing::Replace, keptFrom); });
    } else if (choice) {
        read(path, *choice == 1 ? Placing::After : Placing::Replace, keptFrom);
    }
}

// The files of a recording, read one after another into the first one's rows.
CaptureReader::Loaded CaptureFiles::loadAll(const QStringList &paths, Placing placing,
    const std::shared_ptr<RecordedRows> &onDisk, TaskProgress &progress)
{
    if (placing == Placing::Replace)
        if (std::optional<CaptureReader::Loaded> opened
            = FileImport::openRecording(paths, onDisk, progress))
            return std::move(*opened);
    CaptureReader::Loaded all = FileImport::load(paths.front(), progress);
    for (qsizetype next = 1; all.rows && next < paths.size() && !progress.cancelled; ++next) {
        CaptureReader::Loaded more = FileImport::load(paths[next], progress);
        if (!more.rows)
            return {nullptr, QStringLiteral("%1: %2").arg(paths[next], more.reason)};
        all.rows->append(*more.rows);
        all.notice = QStringList {all.notice, more.notice}.join(u' ').trimmed();
    }
    return all;
}

void CaptureFiles::read(const QString &path, Placing placing, CaptureDocument::LastingRow keptFrom)
{
    const QStringList paths = m_paths.isEmpty() ? QStringList {path} : m_paths;
    m_wiring.task.run(QStringLiteral("Opening \"%1\"...").arg(path),
        BackgroundTask::Display::Progress, [=, this](TaskProgress &progress) {
            auto loaded = std::make_shared<CaptureReader::Loaded>(
                loadAll(paths, placing, m_wiring.rowsOnDisk, progress));
            return [=, this] {
                if (loaded->rows)
                    m_recent->add(path);
                showRead(path, *loaded, placing, keptFrom);
            };
        });
}

void CaptureFiles::showRead(const QString &path, CaptureReader::Loaded &loaded, Placing placing,
    CaptureDocument::LastingRow keptFrom)
{
    if (!loaded.rows) {
        if (!loaded.reason.isEmpty())
            m_wiring.dialogs.showMessage(
                loaded.reason, DialogService::ApplicationTitle, DialogService::Icon::Exclamation);
        return;
    }
    CaptureDocument &document = m_wiring.document;
    const std::size_t first = document.rows().size();
    const std::size_t leftOut = placing == Placing::After
        ? document.addCapture(*loaded.rows)
        : document.showCapture(std::move(*loaded.rows), document.rowNow(keptFrom));
    if (placing == Placing::After)
        m_wiring.grid.showRowsFrom(first);
    emit captureShown(path);
    if (!loaded.notice.isEmpty())
        m_wiring.dialogs.showMessage(
            loaded.notice, DialogService::ApplicationTitle, DialogService::Icon::Exclamation);
    if (leftOut > 0)
        m_wiring.dialogs.showMessage(
            QStringLiteral("%1 rows were left out: their sources came after the %2 that one "
                           "capture names.")
                .arg(leftOut)
                .arg(CaptureStore::MaxSources),
            DialogService::ApplicationTitle, DialogService::Icon::Exclamation);
}
