#include "MemoryLimitDialog.h"

#include "NumberText.h"
#include "capture/CaptureStore.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <algorithm>
#include <climits>

namespace MemoryLimitDialog {
namespace {

    constexpr int MostMinutes = 366 * 24 * 60;

    // 0 reads "No limit".
    QSpinBox *addNumber(QFormLayout &form, const char *name, const QString &caption,
        std::uint64_t value, int most, int step)
    {
        auto *number = new QSpinBox;
        number->setObjectName(QLatin1String(name));
        number->setRange(0, most);
        number->setSingleStep(step);
        number->setGroupSeparatorShown(true);
        number->setSpecialValueText(QStringLiteral("No limit"));
        number->setValue(int(std::min<std::uint64_t>(value, std::uint64_t(most))));
        form.addRow(caption, number);
        return number;
    }

} // namespace

std::optional<CaptureLimit> ask(QWidget *parent, const CaptureLimit &current)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Memory Limit"));
    auto *form = new QFormLayout(&dialog);
    auto *about = new QLabel(
        QStringLiteral("Past either limit, the oldest rows are let go of as new ones come, "
                       "%1 at a time. The status bar counts them.")
            .arg(groupedNumber(qint64(CaptureStore::ChunkRows))));
    about->setWordWrap(true);
    form->addRow(about);
    QSpinBox *rows = addNumber(
        *form, "numLimitRows", QStringLiteral("Rows kept:"), current.rows, INT_MAX, 1'000'000);
    QSpinBox *minutes = addNumber(*form, "numLimitMinutes", QStringLiteral("Minutes kept:"),
        current.minutes, MostMinutes, 10);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return CaptureLimit {std::uint64_t(rows->value()), std::uint32_t(minutes->value())};
}

} // namespace MemoryLimitDialog
