#pragma once

#include "DialogService.h"

#include <optional>

class QWidget;

// The dialog behind File > "Record to Disk...": the file, and when the recording goes on in
// a new file and how many files stay.
namespace RecordDialog {

std::optional<DialogService::RecordingChoice> ask(
    QWidget *parent, const QString &proposed, const Rotation &rotation);

} // namespace RecordDialog
