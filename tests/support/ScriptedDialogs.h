#pragma once

#include "frame/DialogService.h"

#include <QStringList>
#include <functional>

// Records every message box and answers file dialogs with what the test scripted.
class ScriptedDialogs : public DialogService
{
public:
    struct Shown
    {
        QString text;
        QString title;
        Icon icon;
    };

    void showMessage(const QString &text, const QString &title, Icon icon) override
    {
        shown.push_back({text, title, icon});
        if (whileShowing)
            whileShowing();
    }
    QString askSaveFileName(const QString &folder, const QString &) override
    {
        askedFolders << folder;
        if (whileAsking)
            whileAsking();
        return nextSaveFileName;
    }
    std::optional<int> askChoice(const QString &text, const QStringList &) override
    {
        shown.push_back({text, ApplicationTitle, Icon::None});
        return nextChoice;
    }
    std::optional<QString> askText(
        const QString &, const QString &label, const QString &text) override
    {
        shown.push_back({label, ApplicationTitle, Icon::None});
        offeredText = text;
        return nextText;
    }
    QString askOpenFileName(const QString &folder, const QString &) override
    {
        askedFolders << folder;
        return nextOpenFileName;
    }
    std::optional<SysExSending> askSysExSending(
        const QString &folder, std::chrono::milliseconds pause) override
    {
        askedFolders << folder;
        offeredPause = pause;
        return nextSysExSending;
    }
    std::optional<InputChoice> askInputs(const QStringList &listed, const InputChoice &) override
    {
        offeredInputs = listed;
        return nextInputs;
    }
    std::optional<QStringList> askTaps(const QStringList &listed, const QStringList &) override
    {
        offeredTaps = listed;
        return nextTaps;
    }
    std::optional<RecordingChoice> askRecording(const QString &proposed, const Rotation &) override
    {
        askedFolders << proposed;
        return nextRecording;
    }
    std::optional<CaptureLimit> askMemoryLimit(const CaptureLimit &) override
    {
        return nextMemoryLimit;
    }
    std::unique_ptr<Progress> showProgress(
        const QString &, int total, std::function<void()> cancel) override
    {
        progressTotal = total;
        cancelProgress = std::move(cancel);
        progressOpen = true;
        return std::make_unique<Recorded>(*this);
    }
    std::unique_ptr<Progress> showModalProgress(
        const QString &text, int total, std::function<void()> cancel) override
    {
        busyTexts << text;
        return showProgress(text, total, std::move(cancel));
    }
    std::unique_ptr<Progress> showBusy(const QString &text) override
    {
        busyTexts << text;
        progressOpen = true;
        return std::make_unique<Recorded>(*this);
    }
    void beep() override { ++beeps; }

    QStringList shownTexts() const
    {
        QStringList texts;
        for (const Shown &box : shown)
            texts << box.text;
        return texts;
    }

    std::vector<Shown> shown;
    int beeps = 0;
    QStringList askedFolders;
    QString nextSaveFileName;
    QString nextOpenFileName;
    std::optional<int> nextChoice; // the button a question is answered with
    std::optional<QString> nextText; // what is typed where a line of text is asked for
    QString offeredText; // the text the last such question offered
    std::function<void()> whileAsking; // what happens while the file dialog is open
    std::function<void()> whileShowing; // what happens while a message box is open
    std::optional<SysExSending> nextSysExSending;
    std::chrono::milliseconds offeredPause {0};
    QStringList offeredInputs;
    std::optional<InputChoice> nextInputs;
    QStringList offeredTaps;
    std::optional<QStringList> nextTaps;
    std::optional<RecordingChoice> nextRecording;
    std::optional<CaptureLimit> nextMemoryLimit;
    int progressTotal = 0;
    std::vector<int> progressValues;
    bool progressOpen = false; // a progress or busy dialog
    QStringList busyTexts;
    std::function<void()> cancelProgress; // what the progress dialog's Cancel does

private:
    struct Recorded : Progress
    {
        explicit Recorded(ScriptedDialogs &dialogs)
            : dialogs(dialogs)
        { }
        ~Recorded() override { dialogs.progressOpen = false; }
        void setValue(int done) override { dialogs.progressValues.push_back(done); }
        ScriptedDialogs &dialogs;
    };
};
