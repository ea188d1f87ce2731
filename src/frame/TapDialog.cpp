#include "TapDialog.h"

#include "PortCheckList.h"

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace TapDialog {

std::optional<QStringList> ask(
    QWidget *parent, const QStringList &listed, const QStringList &current)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Tap a Port"));
    const PortCheckList list(QStringLiteral("lstTaps"), listed, current);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Show what other programs send into these "
                                                "ports, each sender as a source of its own:")));
    layout->addWidget(list.widget());
    if (!acceptedWithOkCancel(dialog))
        return std::nullopt;
    return list.checked();
}

} // namespace TapDialog
