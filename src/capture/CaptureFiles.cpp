#include "CaptureFiles.h"

#include "CaptureWriter.h"
#include "RecentFilesMenu.h"
#include "export/FileExports.h"
#include "frame/NamedWidgets.h"
#include "imports/FileImport.h"
#include "monitor/EventGrid.h"
#include "monitor/EventGridModel.h"
#include "ports/InputSet.h"

namespace {

const QString CaptureFilter = QStringLiteral("Lumetra captures (*.lmc);;All files (*)");

} // namespace

CaptureFiles::CaptureFiles(const Wiring &wiring, QObject *parent)
    : QObject(parent)
    , m_wiring(wiring)
{
    m_poll.setInterval(50);
    connect(&m_poll, &QTimer::timeout, this, &CaptureFiles::poll);
}

CaptureFiles::~CaptureFiles()
{
    endTask();
}

void CaptureFiles::endTask()
{
    if (!m_worker.joinable())
        return;
    m_progress->cancelled = true;
    m_worker.join();
}

void CaptureFiles::addMenuItems(QMenu *file)
{
    connect(addNamedItem(file, "mnuSaveCapture", QStringLiteral("Save Capture...")),
        &QAction::triggered, this, &CaptureFiles::saveCapture);
    connect(addNamedItem(file, "mnuOpenCapture", QStringLiteral("Open Capture...")),
        &QAction::triggered, this, &CaptureFiles::openCapture);
    m_recent = new RecentFilesMenu(file, this);
    connect(m_recent, &RecentFilesMenu::chosen, this, &CaptureFiles::open);
}

void CaptureFiles::run(const QString &text, std::function<Outcome(TaskProgress &)> task)
{
    m_progress = std::make_unique<TaskProgress>();
    m_finished = false;
    m_dialog = m_wiring.dialogs.showModalProgress(
        text, ProgressSteps, [progress = m_progress.get()] { progress->cancelled = true; });
    m_worker = std::thread([this, task = std::move(task)] {
        m_outcome = task(*m_progress);
        m_finished = true;
    });
    m_poll.start();
}

void CaptureFiles::poll()
{
    if (!m_finished) {
        const std::size_t total = m_progress->total;
        if (m_dialog && total > 0)
            m_dialog->setValue(int(double(m_progress->done) / double(total) * ProgressSteps));
        return;
    }
    m_poll.stop();
    m_worker.join();
    m_dialog.reset();
    m_progress.reset();
    std::exchange(m_outcome, {})();
    emit taskFinished();
}

void CaptureFiles::saveCapture()
{
    if (m_worker.joinable())
        return; // the progress dialog keeps the user from the menus meanwhile
    const QString path = m_wiring.exports.askPath(QStringLiteral("Capture"), CaptureFilter);
    if (!path.isEmpty())
        save(path, {});
}

void CaptureFiles::save(const QString &path, const std::function<void()> &then)
{
    m_wiring.inputs.setEventsEnabled(false);
    m_wiring.grid.holdStore(true);
    run(QStringLiteral("Saving \"%1\"...").arg(path), [this, path, then](TaskProgress &progress) {
        const QString error = CaptureWriter::save(m_wiring.rows.store(), path, progress);
        return [this, path, error, then, cancelled = progress.cancelled.load()] {
            m_wiring.grid.holdStore(false);
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
    if (m_worker.joinable())
        return;
    const QString path
        = m_wiring.dialogs.askOpenPath(QStringLiteral("Open"), FileImport::dialogFilter());
    if (!path.isEmpty())
        open(path);
}

void CaptureFiles::open(const QString &path)
{
    if (m_worker.joinable())
        return;
    const std::size_t rows = m_wiring.rows.store().size();
    if (rows == 0) {
        read(path, Placing::Replace, 0);
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
            save(savePath, [this, path, rows] { read(path, Placing::Replace, rows); });
    } else if (choice) {
        read(path, *choice == 1 ? Placing::After : Placing::Replace, rows);
    }
}

void CaptureFiles::read(const QString &path, Placing placing, std::size_t keptFrom)
{
    run(QStringLiteral("Opening \"%1\"...").arg(path), [=, this](TaskProgress &progress) {
        auto loaded = std::make_shared<CaptureReader::Loaded>(FileImport::load(path, progress));
        return [=, this] {
            if (!loaded->rows) {
                if (!loaded->reason.isEmpty())
                    m_wiring.dialogs.showMessage(loaded->reason, DialogService::ApplicationTitle,
                        DialogService::Icon::Exclamation);
                return;
            }
            m_recent->add(path);
            const std::size_t leftOut = placing == Placing::After
                ? m_wiring.grid.addCapture(*loaded->rows)
                : m_wiring.grid.showCapture(std::move(*loaded->rows), keptFrom);
            emit captureShown(path);
            if (leftOut > 0)
                m_wiring.dialogs.showMessage(
                    QStringLiteral("%1 rows were left out: their sources came after the %2 that "
                                   "one capture names.")
                        .arg(leftOut)
                        .arg(CaptureStore::MaxSources),
                    DialogService::ApplicationTitle, DialogService::Icon::Exclamation);
        };
    });
}
