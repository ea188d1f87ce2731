#include "SysExFileSending.h"

#include "files/SysExFileFormat.h"

SysExFileSending::SysExFileSending(
    MIDIOutput &output, DialogService &dialogs, SysExFileSender::AddRow addRow, QObject *parent)
    : QObject(parent)
    , m_dialogs(dialogs)
    , m_sender(output, std::move(addRow))
{
    connect(&m_sender, &SysExFileSender::progress, this, [this](int sent) {
        if (m_progress)
            m_progress->setValue(sent);
    });
    connect(&m_sender, &SysExFileSender::finished, this, [this] { m_progress.reset(); });
    connect(&m_sender, &SysExFileSender::failed, this, [this](int index, const QString &reason) {
        m_progress.reset();
        m_dialogs.showMessage(
            QStringLiteral("Dump %1 could not be sent: %2 Nothing after it was sent.")
                .arg(index + 1)
                .arg(reason),
            DialogService::ApplicationTitle, DialogService::Icon::Exclamation);
    });
}

SysExFileSending::~SysExFileSending() = default;

void SysExFileSending::stop()
{
    m_sender.cancel();
    m_progress.reset();
}

void SysExFileSending::start()
{
    const QString dialog = QStringLiteral("SendSysEx");
    const auto sending
        = m_dialogs.askSysExSending(m_dialogs.folders.folderFor(dialog), m_sender.pause());
    if (!sending)
        return;
    m_dialogs.folders.remember(dialog, sending->path);
    // The whole file is checked before anything is sent: a file refused anywhere sends
    // nothing.
    const SysExFileFormat::ReadResult file = SysExFileFormat::load(sending->path);
    if (!file) {
        m_dialogs.showMessage(
            QStringLiteral("Cannot send \"%1\": %2").arg(sending->path, file.reason),
            DialogService::ApplicationTitle, DialogService::Icon::Exclamation);
        return;
    }
    const std::size_t count = file.messages.size();
    m_progress = m_dialogs.showProgress(QStringLiteral("Sending %1 SysEx dump%2...")
                                            .arg(count)
                                            .arg(count == 1 ? QString() : QStringLiteral("s")),
        int(count), [this] { stop(); });
    m_sender.setPause(sending->pause);
    m_sender.send(file.messages);
}
