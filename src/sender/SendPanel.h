#pragma once

#include "capture/CaptureStore.h"

#include <QObject>
#include <QStringList>
#include <functional>

class DialogService;
class MIDIOutput;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class RepeatTimer;

// The Send button, the repeat controls and the send history. The button's caption is the
// state: "&Send", "&Start Sending" (Repeat checked) or "&Stop Sending" (repeating).
class SendPanel : public QObject
{
    Q_OBJECT

public:
    struct Controls
    {
        QPlainTextEdit *txtBoxSend;
        QPushButton *btnSend;
        QCheckBox *chkRepeat;
        QLabel *lblRepeat;
        QLineEdit *txtRepeat;
        QComboBox *ComboHistory;
        RepeatTimer *Timer1;
    };

    SendPanel(const Controls &controls, MIDIOutput &output, DialogService &dialogs,
        std::function<void(const SentMessage &)> addGridRow, QObject *parent = nullptr);

    void btnSend_Click();
    void StopRepeating();
    void chkRepeat_Click();
    void Timer1_Timer();
    void ComboHistory_Click();

protected:
    // txtRepeat_KeyPress: typed characters other than digits are refused with a beep.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void startRepeating();
    // Sends the box's text and appends its row; false when the box was empty.
    bool sendMessageBox();
    void showHistory();

    Controls m_controls;
    MIDIOutput &m_output;
    DialogService &m_dialogs;
    std::function<void(const SentMessage &)> m_addGridRow;
    QStringList m_history; // what ComboHistory shows, newest first
    bool m_sending = false;
};
