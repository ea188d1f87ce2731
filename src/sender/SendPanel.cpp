#include "SendPanel.h"

#include "RepeatRate.h"
#include "RepeatTimer.h"
#include "frame/DialogService.h"
#include "modSendMessage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

const QString SendCaption = QStringLiteral("&Send");
const QString StartCaption = QStringLiteral("&Start Sending");
const QString StopCaption = QStringLiteral("&Stop Sending");
const QString RateRangeText = QStringLiteral("Please select a rate between 1 and 10000");
const QString FastRateText = QStringLiteral(
    "Your PC is likely unable to send messages faster than 20 ms apart.  Some messages will be "
    "dropped.");

} // namespace

SendPanel::SendPanel(const Controls &controls, MIDIOutput &output, DialogService &dialogs,
    std::function<void(const SentMessage &)> addGridRow, QObject *parent)
    : QObject(parent)
    , m_controls(controls)
    , m_output(output)
    , m_dialogs(dialogs)
    , m_addGridRow(std::move(addGridRow))
{
    m_controls.lblRepeat->hide();
    m_controls.txtRepeat->hide();
    m_controls.txtRepeat->installEventFilter(this);
    connect(m_controls.btnSend, &QPushButton::clicked, this, &SendPanel::btnSend_Click);
    connect(m_controls.chkRepeat, &QCheckBox::clicked, this, &SendPanel::chkRepeat_Click);
    connect(m_controls.Timer1, &RepeatTimer::timeout, this, &SendPanel::Timer1_Timer);
    connect(m_controls.ComboHistory, &QComboBox::activated, this, &SendPanel::ComboHistory_Click);
}

void SendPanel::btnSend_Click()
{
    const QString caption = m_controls.btnSend->text();
    if (caption == StartCaption) {
        startRepeating();
    } else if (caption == StopCaption) {
        StopRepeating();
    } else if (sendMessageBox()) {
        m_controls.txtBoxSend->setFocus();
    }
}

void SendPanel::startRepeating()
{
    if (m_controls.txtRepeat->text().isEmpty())
        m_controls.txtRepeat->setText(QStringLiteral("0"));
    const std::variant<int, QString> rate = readRepeatRate(m_controls.txtRepeat->text());
    if (const QString *error = std::get_if<QString>(&rate)) {
        m_dialogs.showMessage(*error);
        return;
    }
    const int milliseconds = std::get<int>(rate);
    if (milliseconds > SlowestRepeatRate || milliseconds < 1) {
        m_dialogs.showMessage(RateRangeText);
        return;
    }
    if (milliseconds < WarnedRepeatRate)
        m_dialogs.showMessage(FastRateText);
    m_controls.chkRepeat->setEnabled(false);
    m_controls.txtRepeat->setEnabled(false);
    m_controls.btnSend->setText(StopCaption);
    m_controls.Timer1->setInterval(milliseconds);
    m_controls.Timer1->start();
}

void SendPanel::StopRepeating()
{
    if (m_controls.btnSend->text() != StopCaption)
        return;
    m_controls.btnSend->setText(StartCaption);
    m_controls.Timer1->stop();
    m_controls.chkRepeat->setEnabled(true);
    m_controls.txtRepeat->setEnabled(true);
}

void SendPanel::chkRepeat_Click()
{
    const bool checked = m_controls.chkRepeat->isChecked();
    m_controls.lblRepeat->setVisible(checked);
    m_controls.txtRepeat->setVisible(checked);
    m_controls.btnSend->setText(checked ? StartCaption : SendCaption);
}

void SendPanel::Timer1_Timer()
{
    // A tick that comes while a box of the previous send is still open is let go: the
    // sends must not pile up behind it.
    if (m_sending)
        return;
    if (sendMessageBox())
        m_controls.btnSend->setFocus();
}

bool SendPanel::sendMessageBox()
{
    const QString text = m_controls.txtBoxSend->toPlainText();
    if (text.isEmpty())
        return false;
    m_sending = true;
    const QStringList historyBefore = m_history;
    const SentMessage sent = modSendMessage::SendMIDIMessage(
        text, {m_output, m_dialogs, m_history, [this] { StopRepeating(); }});
    m_sending = false;
    if (m_history != historyBefore)
        showHistory();
    m_addGridRow(sent);
    return true;
}

void SendPanel::showHistory()
{
    QComboBox *combo = m_controls.ComboHistory;
    combo->clear();
    combo->addItems(m_history);
    combo->setCurrentIndex(0); // the box shows the newest entry
}

void SendPanel::ComboHistory_Click()
{
    m_controls.txtBoxSend->setPlainText(m_controls.ComboHistory->currentText());
    m_controls.txtBoxSend->setFocus();
}

bool SendPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_controls.txtRepeat || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    // Only typed characters are judged: navigation, Delete, Tab and shortcuts such as paste
    // keep working.
    if (key->text().isEmpty() || key->key() == Qt::Key_Delete || key->key() == Qt::Key_Tab
        || key->key() == Qt::Key_Backtab
        || key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return false;
    const QChar typed = key->text().front();
    if (typed >= u'0' && typed <= u'9')
        return false;
    m_dialogs.beep();
    return true;
}
