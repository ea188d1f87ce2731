#pragma once

#include "DialogService.h"

class QWidget;

// The real dialogs, owned by the main window and parented to it.
class QtDialogService : public DialogService
{
public:
    explicit QtDialogService(QWidget *parent)
        : m_parent(parent)
    { }
    void showMessage(const QString &text, const QString &title, Icon icon) override;
    QString askSaveFileName(const QString &proposed, const QString &filter) override;
    QString askOpenFileName(const QString &folder, const QString &filter) override;
    std::optional<int> askChoice(const QString &text, const QStringList &choices) override;
    std::optional<QString> askText(
        const QString &title, const QString &label, const QString &text) override;
    std::optional<SysExSending> askSysExSending(
        const QString &folder, std::chrono::milliseconds pause) override;
    std::optional<InputChoice> askInputs(
        const QStringList &listed, const InputChoice &current) override;
    std::optional<CaptureLimit> askMemoryLimit(const CaptureLimit &current) override;
    std::optional<QStringList> askTaps(
        const QStringList &listed, const QStringList &current) override;
    std::optional<RecordingChoice> askRecording(
        const QString &proposed, const Rotation &rotation) override;
    std::unique_ptr<Progress> showProgress(
        const QString &text, int total, std::function<void()> cancel) override;
    std::unique_ptr<Progress> showBusy(const QString &text) override;
    std::unique_ptr<Progress> showModalProgress(
        const QString &text, int total, std::function<void()> cancel) override;
    void beep() override;

private:
    QWidget *m_parent;
};
