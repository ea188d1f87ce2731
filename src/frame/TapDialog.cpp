#include "TapDialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace TapDialog {

std::optional<QStringList> ask(
    QWidget *parent, const QStringList &listed, const QStringList &current)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Tap a Port"));
    auto *list = new QListWidget;
    list->setObjectName(QStringLiteral("lstTaps"));
    // A tapped port that is gone stays offered, so that opening the dialog never drops it.
    QStringList offered = listed;
    for (const QString &name : current)
        if (!offered.contains(name))
            offered << name;
    for (const QString &name : offered) {
        auto *item = new QListWidgetItem(name, list);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        item->setCheckState(current.contains(name) ? Qt::Checked : Qt::Unchecked);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Show what other programs send into these "
                                                "ports, each sender as a source of its own:")));
    layout->addWidget(list);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    QStringList chosen;
    for (int row = 0; row < list->count(); ++row)
        if (list->item(row)->checkState() == Qt::Checked)
            chosen << offered[row];
    return chosen;
}

} // namespace TapDialog
