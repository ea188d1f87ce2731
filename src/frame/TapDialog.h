#pragma once

#include <QStringList>
#include <optional>

class QWidget;

// The dialog behind "Tap a Port...": every input port of another program with a check box,
// those tapped now checked.
namespace TapDialog {

std::optional<QStringList> ask(
    QWidget *parent, const QStringList &listed, const QStringList &current);

} // namespace TapDialog
