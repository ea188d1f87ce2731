#pragma once

#include <QStringList>

class QDialog;
class QListWidget;

// Ports with a check box each, those chosen now checked. A chosen port that is gone stays
// offered, so that opening a dialog never drops a choice.
class PortCheckList
{
public:
    PortCheckList(const QString &objectName, const QStringList &listed, const QStringList &chosen);

    QListWidget *widget() const { return m_widget; }
    // The names checked, in the order offered.
    QStringList checked() const;
    bool isChecked(const QString &name) const;

private:
    QListWidget *m_widget; // owned by the dialog it is laid out in
    QStringList m_offered;
};

// Runs a dialog with OK and Cancel under what `dialog` holds; true when OK closed it.
bool acceptedWithOkCancel(QDialog &dialog);
