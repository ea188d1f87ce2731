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
    std::function<void()> whileAsking; // what happens while the file dialog is open
    std::function<void()> whileShowing; // what happens while a message box is open
};
