#include "FileExports.h"

#include "export/CsvLog.h"
#include "export/ExportFile.h"
#include "export/MidiFile.h"
#include "export/SysExFile.h"
#include "export/TrafficLog.h"
#include "frame/NamedWidgets.h"
#include "monitor/EventGrid.h"
#include "monitor/EventGridModel.h"
#include "monitor/IncomingTraffic.h"
#include "ports/MIDIInput.h"
#include "sender/SysExFileSender.h"

FileExports::FileExports(const Wiring &wiring, QObject *parent)
    : QObject(parent)
    , m_wiring(wiring)
    , m_sender(std::make_unique<SysExFileSender>(
          m_wiring.output, [this](std::string_view row) { m_wiring.grid.AddGridRow(row); }))
{
    connect(m_sender.get(), &SysExFileSender::progress, this, [this](int sent) {
        if (m_progress)
            m_progress->setValue(sent);
    });
    connect(m_sender.get(), &SysExFileSender::finished, this, [this] { m_progress.reset(); });
    connect(
        m_sender.get(), &SysExFileSender::failed, this, [this](int index, const QString &reason) {
            m_progress.reset();
            m_wiring.dialogs.showMessage(
                QStringLiteral("Dump %1 could not be sent: %2 Nothing after it was sent.")
                    .arg(index + 1)
                    .arg(reason),
                DialogService::ApplicationTitle, DialogService::Icon::Exclamation);
        });
}

FileExports::~FileExports() = default;

void FileExports::stopSending()
{
    m_sender->cancel();
    m_progress.reset();
}

void FileExports::addMenuItems(QMenu *file)
{
    const struct
    {
        const char *name, *caption;
        void (FileExports::*handler)();
    } items[] = {
        {"mnuSaveSysEx", "Save SysEx as .syx...", &FileExports::saveSysEx},
        {"mnuSendSysEx", "Send .syx File...", &FileExports::sendSysExFile},
        {"mnuExportCsv", "Export as CSV...", &FileExports::exportCsv},
        {"mnuSaveMidiFile", "Save as MIDI File...", &FileExports::saveMidiFile},
    };
    for (const auto &item : items)
        connect(addNamedItem(file, item.name, QString::fromLatin1(item.caption)),
            &QAction::triggered, this, item.handler);
}

QString FileExports::askPath(const QString &filter)
{
    m_wiring.input.setEventsEnabled(false);
    const QString path = m_wiring.dialogs.askSaveFileName(ExportFile::startFolder(), filter);
    m_wiring.input.setEventsEnabled(true);
    // What queued up while the dialog was open belongs in the file.
    m_wiring.incoming.drain(m_wiring.input.MessageCount());
    return path;
}

void FileExports::tellFailure(const QString &path, const QString &error)
{
    m_wiring.dialogs.showMessage(QStringLiteral("Cannot save \"%1\": %2").arg(path, error));
}

void FileExports::saveTextLog(bool withSentRows)
{
    const QString path = askPath(QStringLiteral("Text files (*.txt);;All files (*)"));
    if (path.isEmpty())
        return;
    const QString error = TrafficLog::save(m_wiring.rows.rows(),
        withSentRows ? TrafficLog::Rows::All : TrafficLog::Rows::IncomingOnly, path);
    if (!error.isEmpty())
        tellFailure(path, error);
    else
        m_wiring.grid.markLogRead(withSentRows);
}

void FileExports::saveSysEx()
{
    const std::vector<std::size_t> selected = m_wiring.grid.selectedRows();
    if (SysExFile::rowsToSave(m_wiring.rows.rows(), selected).empty()) {
        m_wiring.dialogs.showMessage(SysExFile::nothingToSaveSentence(!selected.empty()));
        return;
    }
    const QString path = askPath(QStringLiteral("SysEx files (*.syx);;All files (*)"));
    if (path.isEmpty())
        return;
    const auto rows = SysExFile::rowsToSave(m_wiring.rows.rows(), selected);
    const auto saved = SysExFile::save(m_wiring.rows.rows(), rows, path);
    if (!saved.error.isEmpty())
        tellFailure(path, saved.error);
    else
        m_wiring.dialogs.showMessage(SysExFile::savedSentence(saved.counts, path));
}

void FileExports::sendSysExFile()
{
    const auto sending
        = m_wiring.dialogs.askSysExSending(ExportFile::startFolder(), m_sender->pause());
    if (!sending)
        return;
    // The whole file is checked before anything is sent: a file refused anywhere sends
    // nothing.
    const SysExFile::ReadResult file = SysExFile::load(sending->path);
    if (!file) {
        m_wiring.dialogs.showMessage(
            QStringLiteral("Cannot send \"%1\": %2").arg(sending->path, file.reason),
            DialogService::ApplicationTitle, DialogService::Icon::Exclamation);
        return;
    }
    m_progress = m_wiring.dialogs.showProgress(
        QStringLiteral("Sending %1...")
            .arg(ExportFile::countOf(
                file.messages.size(), QStringLiteral("SysEx dump"), QStringLiteral("SysEx dumps"))),
        int(file.messages.size()), [this] { stopSending(); });
    m_sender->setPause(sending->pause);
    m_sender->send(file.messages);
}

void FileExports::exportCsv()
{
    const QString path = askPath(QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty())
        return;
    // The time of day and the details as the view would show them, whatever it shows now.
    const CsvLog::ExtraColumns extra {
        [this](std::size_t row) { return m_wiring.rows.timeOfDay(row); },
        [this](std::size_t row) { return m_wiring.rows.details(row); }};
    if (const QString error = CsvLog::save(m_wiring.rows.rows(), extra, path); !error.isEmpty())
        tellFailure(path, error);
}

void FileExports::saveMidiFile()
{
    const QString path = askPath(QStringLiteral("MIDI files (*.mid);;All files (*)"));
    if (path.isEmpty())
        return;
    const auto saved = MidiFile::save(m_wiring.rows.rows(), path);
    if (!saved.error.isEmpty())
        tellFailure(path, saved.error);
    else
        m_wiring.dialogs.showMessage(MidiFile::savedSentence(saved.counts, path));
}
