#include "InputsDialog.h"

#include "PortCheckList.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace InputsDialog {

std::optional<InputChoice> ask(
    QWidget *parent, const QStringList &listed, const InputChoice &current)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Several Inputs"));
    const PortCheckList list(QStringLiteral("lstInputs"), listed, current.names);
    auto *all = new QCheckBox(QStringLiteral("All inputs, also those that come later"));
    all->setObjectName(QStringLiteral("chkAllInputs"));
    all->setChecked(current.all);
    list.widget()->setEnabled(!current.all);
    QObject::connect(all, &QCheckBox::toggled, list.widget(),
        [widget = list.widget()](bool on) { widget->setEnabled(!on); });
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Watch these MIDI inputs together:")));
    layout->addWidget(list.widget());
    layout->addWidget(all);
    if (!acceptedWithOkCancel(dialog))
        return std::nullopt;
    InputChoice choice {{}, all->isChecked()};
    // The first chosen stays first: it is the input that earlier versions remember.
    for (const QString &name : current.names)
        if (list.isChecked(name))
            choice.names << name;
    for (const QString &name : list.checked())
        if (!choice.names.contains(name))
            choice.names << name;
    return choice;
}

} // namespace InputsDialog
