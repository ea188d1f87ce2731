#include "QtDialogService.h"

#include "InputsDialog.h"
#include "MemoryLimitDialog.h"
#include "RecordDialog.h"
#include "TapDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>

namespace {

// Not modal: a modal progress dialog runs the event loop inside setValue(), and whoever
// closes it from there would delete it under its own feet. It is deleted later, likewise.
class QtProgress : public DialogService::Progress
{
public:
    QtProgress(QWidget *parent, const QString &text, int total, std::function<void()> cancel)
        : m_dialog(new QProgressDialog(text, QStringLiteral("Cancel"), 0, total, parent))
    {
        m_dialog->setWindowTitle(DialogService::ApplicationTitle);
        m_dialog->setMinimumDuration(0);
        m_dialog->setAutoClose(false);
        QObject::connect(m_dialog, &QProgressDialog::canceled, m_dialog, std::move(cancel),
            Qt::QueuedConnection);
        m_dialog->show(); // not exec(): the run goes on in the event loop
    }
    ~QtProgress() override
    {
        QObject::disconnect(m_dialog, &QProgressDialog::canceled, nullptr, nullptr);
        m_dialog->hide();
        m_dialog->deleteLater();
    }
    void setValue(int done) override { m_dialog->setValue(done); }
    // Modal to the window; without a Cancel button unless it can be cancelled.
    void holdWindow(bool cancellable)
    {
        if (!cancellable)
            m_dialog->setCancelButton(nullptr);
        m_dialog->hide();
        m_dialog->setWindowModality(Qt::WindowModal);
        m_dialog->show();
    }

private:
    QProgressDialog *m_dialog;
};

// A file of dumps and the pause after each, asked in one dialog.
std::optional<DialogService::SysExSending> askSending(
    QWidget *parent, const QString &folder, std::chrono::milliseconds pause)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Send .syx File"));
    auto *path = new QLineEdit;
    auto *browse = new QPushButton(QStringLiteral("Browse..."));
    auto *pauseBox = new QSpinBox;
    pauseBox->setRange(0, 10000);
    pauseBox->setSuffix(QStringLiteral(" ms"));
    pauseBox->setValue(int(pause.count()));
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(path);
    fileRow->addWidget(browse);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Send"));
    auto *form = new QFormLayout(&dialog);
    form->addRow(QStringLiteral("File:"), fileRow);
    form->addRow(QStringLiteral("Pause after each dump:"), pauseBox);
    form->addRow(buttons);
    QObject::connect(browse, &QPushButton::clicked, &dialog, [&] {
        const QString chosen = QFileDialog::getOpenFileName(
            &dialog, QString(), folder, QStringLiteral("SysEx files (*.syx);;All files (*)"));
        if (!chosen.isEmpty())
            path->setText(chosen);
    });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted || path->text().isEmpty())
        return std::nullopt;
    return DialogService::SysExSending {path->text(), std::chrono::milliseconds(pauseBox->value())};
}

} // namespace

void QtDialogService::showMessage(const QString &text, const QString &title, Icon icon)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
    case Icon::None:
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

QString QtDialogService::askSaveFileName(const QString &proposed, const QString &filter)
{
    QFileDialog dialog(m_parent, QString(), proposed, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The dialog adds the extension before it asks about replacing a file of that name.
    const auto followType = [&dialog](const QString &type) {
        dialog.setDefaultSuffix(FileDialogFolders::extensionOf(type));
    };
    followType(dialog.selectedNameFilter());
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, followType);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

std::optional<int> QtDialogService::askChoice(const QString &text, const QStringList &choices)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(ApplicationTitle);
    box.setIcon(QMessageBox::Question);
    box.setText(text);
    std::vector<QAbstractButton *> buttons;
    for (const QString &choice : choices)
        buttons.push_back(box.addButton(choice, QMessageBox::AcceptRole));
    box.addButton(QMessageBox::Cancel);
    if (!buttons.empty())
        box.setDefaultButton(qobject_cast<QPushButton *>(buttons.front()));
    box.exec();
    const auto chosen = std::find(buttons.begin(), buttons.end(), box.clickedButton());
    return chosen == buttons.end() ? std::nullopt
                                   : std::optional<int>(int(chosen - buttons.begin()));
}

std::optional<QString> QtDialogService::askText(
    const QString &title, const QString &label, const QString &text)
{
    bool accepted = false;
    const QString typed
        = QInputDialog::getText(m_parent, title, label, QLineEdit::Normal, text, &accepted);
    return accepted ? std::optional(typed) : std::nullopt;
}

QString QtDialogService::askOpenFileName(const QString &folder, const QString &filter)
{
    return QFileDialog::getOpenFileName(m_parent, QString(), folder, filter);
}

std::optional<DialogService::SysExSending> QtDialogService::askSysExSending(
    const QString &folder, std::chrono::milliseconds pause)
{
    return askSending(m_parent, folder, pause);
}

std::optional<QStringList> QtDialogService::askTaps(
    const QStringList &listed, const QStringList &current)
{
    return TapDialog::ask(m_parent, listed, current);
}

std::optional<InputChoice> QtDialogService::askInputs(
    const QStringList &listed, const InputChoice &current)
{
    return InputsDialog::ask(m_parent, listed, current);
}

std::optional<DialogService::RecordingChoice> QtDialogService::askRecording(
    const QString &proposed, const Rotation &rotation)
{
    return RecordDialog::ask(m_parent, proposed, rotation);
}

std::optional<CaptureLimit> QtDialogService::askMemoryLimit(const CaptureLimit &current)
{
    return MemoryLimitDialog::ask(m_parent, current);
}

std::unique_ptr<DialogService::Progress> QtDialogService::showProgress(
    const QString &text, int total, std::function<void()> cancel)
{
    return std::make_unique<QtProgress>(m_parent, text, total, std::move(cancel));
}

std::unique_ptr<DialogService::Progress> QtDialogService::showBusy(const QString &text)
{
    auto busy = std::make_unique<QtProgress>(m_parent, text, 0, [] {});
    busy->holdWindow(false);
    return busy;
}

std::unique_ptr<DialogService::Progress> QtDialogService::showModalProgress(
    const QString &text, int total, std::function<void()> cancel)
{
    auto progress = std::make_unique<QtProgress>(m_parent, text, total, std::move(cancel));
    progress->holdWindow(true);
    return progress;
}

void QtDialogService::beep()
{
    QApplication::beep();
}
