#include "BackgroundTask.h"

#include <QtConcurrent/QtConcurrentRun>

BackgroundTask::BackgroundTask(DialogService &dialogs, QObject *parent)
    : QObject(parent)
    , m_dialogs(dialogs)
{
    connect(&m_watcher, &QFutureWatcher<Outcome>::progressValueChanged, this, [this](int value) {
        if (m_dialog)
            m_dialog->setValue(value);
    });
    connect(&m_watcher, &QFutureWatcher<Outcome>::finished, this, &BackgroundTask::finish);
}

BackgroundTask::~BackgroundTask()
{
    waitForEnd();
}

bool BackgroundTask::run(const QString &text, Display display, Work work)
{
    if (isRunning())
        return false;
    m_progress = std::make_unique<TaskProgress>();
    TaskProgress *progress = m_progress.get();
    m_dialog = display == Display::Busy ? m_dialogs.showBusy(text)
                                        : m_dialogs.showModalProgress(text, ProgressSteps,
                                            [progress] { progress->cancelled = true; });
    m_watcher.setFuture(
        QtConcurrent::run([progress, work = std::move(work)](QPromise<Outcome> &promise) {
            promise.setProgressRange(0, ProgressSteps);
            progress->report = [&promise](std::size_t done, std::size_t total) {
                if (total > 0)
                    promise.setProgressValue(int(double(done) / double(total) * ProgressSteps));
            };
            promise.addResult(work(*progress));
        }));
    return true;
}

void BackgroundTask::finish()
{
    if (!isRunning())
        return; // waited for at the end, its outcome left
    const Outcome outcome = m_watcher.result();
    m_dialog.reset();
    m_progress.reset();
    if (outcome)
        outcome();
    emit finished();
}

void BackgroundTask::waitForEnd()
{
    if (!isRunning())
        return;
    m_progress->cancelled = true;
    m_watcher.waitForFinished();
    m_dialog.reset();
    m_progress.reset();
}
