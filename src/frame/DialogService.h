#pragma once

#include "capture/CaptureLimit.h"
#include "files/FileDialogFolders.h"
#include "ports/InputChoice.h"
#include "recording/Rotation.h"

#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// Every message box and dialog of the program goes through this, so that the program shows
// real dialogs and tests can script the answers and read what was shown.
class DialogService
{
public:
    enum class Icon { None, Information, Exclamation, Critical };

    static inline const QString ApplicationTitle = QStringLiteral("Lumetra");

    // A file of SysEx dumps to send, and the pause a device needs after each.
    struct SysExSending
    {
        QString path;
        std::chrono::milliseconds pause;
    };

    // Where a recording goes, and when it goes on in a new file.
    struct RecordingChoice
    {
        QString path;
        Rotation rotation;
    };

    // A progress dialog while it is open; it closes when destroyed.
    class Progress
    {
    public:
        virtual ~Progress() = default;
        virtual void setValue(int done) = 0;
    };

    virtual ~DialogService() = default;

    // Where the dialog of that name saves: a dated name in its last folder is proposed, and
    // the folder chosen is kept for the next time. An empty text when the user cancelled.
    QString askSavePath(const QString &dialog, const QString &filter)
    {
        const QString path = askSaveFileName(
            folders.proposedPath(dialog, filter, QDateTime::currentDateTime()), filter);
        folders.remember(dialog, path);
        return path;
    }
    // The file to read that the user chose in the dialog of that name, which opens in its
    // last folder.
    QString askOpenPath(const QString &dialog, const QString &filter)
    {
        const QString path = askOpenFileName(folders.folderFor(dialog), filter);
        folders.remember(dialog, path);
        return path;
    }

    FileDialogFolders folders;

    // A modal box with an OK button.
    virtual void showMessage(
        const QString &text, const QString &title = ApplicationTitle, Icon icon = Icon::None)
        = 0;
    // The chosen path, or an empty text when the user cancelled; `proposed` is the folder
    // and name offered. A name typed without an extension gets the chosen type's.
    virtual QString askSaveFileName(const QString &proposed, const QString &filter) = 0;
    // A question with buttons of these captions, the first the default: the index of the
    // one chosen, or nothing when the user closed the box.
    virtual std::optional<int> askChoice(const QString &text, const QStringList &choices) = 0;
    // A line of text the user typed, offered `text` to edit; nothing when the user
    // cancelled.
    virtual std::optional<QString> askText(
        const QString &title, const QString &label, const QString &text)
        = 0;
    // The chosen file to read, or an empty text when the user cancelled.
    virtual QString askOpenFileName(const QString &folder, const QString &filter) = 0;
    // A file and the pause between its dumps, or nothing when the user cancelled.
    virtual std::optional<SysExSending> askSysExSending(
        const QString &folder, std::chrono::milliseconds pause)
        = 0;
    // The inputs to watch together, chosen from those listed, or nothing when the user
    // cancelled.
    virtual std::optional<InputChoice> askInputs(
        const QStringList &listed, const InputChoice &current)
        = 0;
    // The ports of other programs to tap, chosen from those listed, or nothing when the user
    // cancelled.
    virtual std::optional<QStringList> askTaps(
        const QStringList &listed, const QStringList &current)
        = 0;
    // The file to record to, offered as `proposed`, and its rotation, or nothing when the
    // user cancelled.
    virtual std::optional<RecordingChoice> askRecording(
        const QString &proposed, const Rotation &rotation)
        = 0;
    // The memory limit of the capture, offered `current` to change; nothing when the user
    // cancelled.
    virtual std::optional<CaptureLimit> askMemoryLimit(const CaptureLimit &current) = 0;
    // Shows progress out of `total` without holding the window; `cancel` is called if the
    // user cancels.
    virtual std::unique_ptr<Progress> showProgress(
        const QString &text, int total, std::function<void()> cancel)
        = 0;
    // Says that a long task goes on, and keeps the user from the window (which still paints)
    // until it is destroyed; there is no cancelling it.
    virtual std::unique_ptr<Progress> showBusy(const QString &text) = 0;
    // Keeps the user from the window as showBusy() does, with progress out of `total` and a
    // Cancel button that calls `cancel`.
    virtual std::unique_ptr<Progress> showModalProgress(
        const QString &text, int total, std::function<void()> cancel)
        = 0;
    // The system beep, for input that is refused.
    virtual void beep() = 0;
};

// Shows nothing and cancels every dialog: for programs that run without anybody at the
// screen, such as the benchmarks and the screenshot tool.
class SilentDialogs : public DialogService
{
public:
    void showMessage(const QString &, const QString &, Icon) override { }
    QString askSaveFileName(const QString &, const QString &) override { return {}; }
    QString askOpenFileName(const QString &, const QString &) override { return {}; }
    std::optional<QString> askText(const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    std::optional<int> askChoice(const QString &, const QStringList &) override
    {
        return std::nullopt;
    }
    std::optional<SysExSending> askSysExSending(const QString &, std::chrono::milliseconds) override
    {
        return std::nullopt;
    }
    std::optional<InputChoice> askInputs(const QStringList &, const InputChoice &) override
    {
        return std::nullopt;
    }
    std::optional<QStringList> askTaps(const QStringList &, const QStringList &) override
    {
        return std::nullopt;
    }
    std::optional<RecordingChoice> askRecording(const QString &, const Rotation &) override
    {
        return std::nullopt;
    }
    std::optional<CaptureLimit> askMemoryLimit(const CaptureLimit &) override
    {
        return std::nullopt;
    }
    std::unique_ptr<Progress> showProgress(const QString &, int, std::function<void()>) override
    {
        return nullptr;
    }
    std::unique_ptr<Progress> showBusy(const QString &) override { return nullptr; }
    std::unique_ptr<Progress> showModalProgress(
        const QString &, int, std::function<void()>) override
    {
        return nullptr;
    }
    void beep() override { }
};
