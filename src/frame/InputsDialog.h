#pragma once

#include "ports/InputChoice.h"

#include <optional>

class QWidget;

// The dialog behind "Several Inputs...": every listed input with a check box, in the order
// of the lists, and "All inputs", which also takes those that come later.
namespace InputsDialog {

std::optional<InputChoice> ask(
    QWidget *parent, const QStringList &listed, const InputChoice &current);

} // namespace InputsDialog
