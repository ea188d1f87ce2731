#pragma once

#include <QString>

// Every message box and file dialog of the program goes through this, so that the program
// shows real dialogs and tests can script the answers and read what was shown.
class DialogService
{
public:
    enum class Icon { None, Information, Exclamation, Critical };

    static inline const QString ApplicationTitle = QStringLiteral("Lumetra");

    virtual ~DialogService() = default;
    // A modal box with an OK button.
    virtual void showMessage(
        const QString &text, const QString &title = ApplicationTitle, Icon icon = Icon::None)
        = 0;
    // The chosen path, or an empty text when the user cancelled.
    virtual QString askSaveFileName(const QString &folder, const QString &filter) = 0;
    // The system beep, for input that is refused.
    virtual void beep() = 0;
};

// Shows nothing and answers every file dialog with a cancel: for programs that run without
// anybody at the screen, such as the benchmarks and the screenshot tool.
class SilentDialogs : public DialogService
{
public:
    void showMessage(const QString &, const QString &, Icon) override { }
    QString askSaveFileName(const QString &, const QString &) override { return {}; }
    void beep() override { }
};
