#include "QtDialogService.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

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

QString QtDialogService::askSaveFileName(const QString &folder, const QString &filter)
{
    return QFileDialog::getSaveFileName(m_parent, QString(), folder, filter);
}

void QtDialogService::beep()
{
    QApplication::beep();
}
