#include "PortCheckList.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLayout>
#include <QListWidget>

PortCheckList::PortCheckList(
    const QString &objectName, const QStringList &listed, const QStringList &chosen)
    : m_widget(new QListWidget)
    , m_offered(listed)
{
    m_widget->setObjectName(objectName);
    for (const QString &name : chosen)
        if (!m_offered.contains(name))
            m_offered << name;
    for (const QString &name : m_offered) {
        auto *item = new QListWidgetItem(name, m_widget);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        item->setCheckState(chosen.contains(name) ? Qt::Checked : Qt::Unchecked);
    }
}

QStringList PortCheckList::checked() const
{
    QStringList names;
    for (const QString &name : m_offered)
        if (isChecked(name))
            names << name;
    return names;
}

bool PortCheckList::isChecked(const QString &name) const
{
    const qsizetype row = m_offered.indexOf(name);
    return row >= 0 && m_widget->item(int(row))->checkState() == Qt::Checked;
}

bool acceptedWithOkCancel(QDialog &dialog)
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    dialog.layout()->addWidget(buttons);
    return dialog.exec() == QDialog::Accepted;
}
