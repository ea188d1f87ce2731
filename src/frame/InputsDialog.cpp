#include "InputsDialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace InputsDialog {

std::optional<InputChoice> ask(
    QWidget *parent, const QStringList &listed, const InputChoice &current)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Several Inputs"));
    auto *list = new QListWidget;
    list->setObjectName(QStringLiteral("lstInputs"));
    // Chosen inputs that are gone stay offered, so that a choice is never lost by opening it.
    QStringList offered = listed;
    for (const QString &name : current.names)
        if (!offered.contains(name))
            offered << name;
    for (const QString &name : offered) {
        auto *item = new QListWidgetItem(name, list);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        item->setCheckState(current.names.contains(name) ? Qt::Checked : Qt::Unchecked);
    }
    auto *all = new QCheckBox(QStringLiteral("All inputs, also those that come later"));
    all->setObjectName(QStringLiteral("chkAllInputs"));
    all->setChecked(current.all);
    list->setEnabled(!current.all);
    QObject::connect(all, &QCheckBox::toggled, list, [list](bool on) { list->setEnabled(!on); });
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Watch these MIDI inputs together:")));
    layout->addWidget(list);
    layout->addWidget(all);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    InputChoice choice {{}, all->isChecked()};
    // The first chosen stays first: it is the input that earlier versions remember.
    for (const QString &name : current.names)
        if (offered.contains(name)
            && list->item(int(offered.indexOf(name)))->checkState() == Qt::Checked)
            choice.names << name;
    for (int row = 0; row < list->count(); ++row)
        if (list->item(row)->checkState() == Qt::Checked && !choice.names.contains(offered[row]))
            choice.names << offered[row];
    return choice;
}

} // namespace InputsDialog
