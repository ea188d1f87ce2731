#include "RecordDialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace RecordDialog {
namespace {

    constexpr qint64 MegaByte = 1'000'000;

    // A check box that turns a number on, the number beside it.
    struct Limit
    {
        QCheckBox *on;
        QSpinBox *number;
    };

    Limit addLimit(
        QFormLayout &form, const char *name, const QString &text, bool isOn, qint64 value, int most)
    {
        Limit limit {new QCheckBox(text), new QSpinBox};
        limit.on->setObjectName(QStringLiteral("chk%1").arg(QLatin1String(name)));
        limit.number->setObjectName(QStringLiteral("num%1").arg(QLatin1String(name)));
        limit.number->setRange(1, most);
        limit.number->setValue(int(value));
        limit.on->setChecked(isOn);
        limit.number->setEnabled(isOn);
        QObject::connect(limit.on, &QCheckBox::toggled, limit.number, &QWidget::setEnabled);
        form.addRow(limit.on, limit.number);
        return limit;
    }

    template<typename Value>
    std::optional<Value> valueOf(const Limit &limit, qint64 unit = 1)
    {
        if (!limit.on->isChecked())
            return std::nullopt;
        return Value(limit.number->value() * unit);
    }

    QLineEdit *addPath(QDialog &dialog, QFormLayout &form, const QString &proposed)
    {
        auto *path = new QLineEdit(proposed);
        path->setObjectName(QStringLiteral("txtRecordPath"));
        auto *browse = new QPushButton(QStringLiteral("Browse..."));
        QObject::connect(browse, &QPushButton::clicked, &dialog, [&dialog, path] {
            const QString chosen
                = QFileDialog::getSaveFileName(&dialog, QStringLiteral("Record to"), path->text(),
                    QStringLiteral("Lumetra captures (*.lmc)"));
            if (!chosen.isEmpty())
                path->setText(chosen);
        });
        auto *row = new QHBoxLayout;
        row->addWidget(path);
        row->addWidget(browse);
        form.addRow(QStringLiteral("File:"), row);
        return path;
    }

} // namespace

std::optional<DialogService::RecordingChoice> ask(
    QWidget *parent, const QString &proposed, const Rotation &rotation)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Record to Disk"));
    auto *form = new QFormLayout(&dialog);
    form->addRow(new QLabel(QStringLiteral("The rows that arrive from now on are written to "
                                           "the file as they come.")));
    QLineEdit *path = addPath(dialog, *form, proposed);
    const Limit size = addLimit(*form, "RotateSize", QStringLiteral("New file every (MB):"),
        rotation.everyBytes.has_value(), rotation.everyBytes.value_or(1'000 * MegaByte) / MegaByte,
        1'000'000);
    const Limit time = addLimit(*form, "RotateMinutes", QStringLiteral("New file every (minutes):"),
        rotation.everyTime.has_value(),
        rotation.everyTime.value_or(std::chrono::minutes(60)).count(), 10'080);
    const Limit clock = addLimit(*form, "RotateInterval",
        QStringLiteral("New file on the clock's multiples of (minutes):"),
        rotation.onMultiplesOf.has_value(),
        rotation.onMultiplesOf.value_or(std::chrono::minutes(60)).count(), 10'080);
    const Limit ring = addLimit(*form, "KeepFiles", QStringLiteral("Keep at most (files):"),
        rotation.keepFiles > 0, rotation.keepFiles > 0 ? rotation.keepFiles : 24, 99'999);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted || path->text().trimmed().isEmpty())
        return std::nullopt;
    Rotation chosen {valueOf<qint64>(size, MegaByte), valueOf<std::chrono::minutes>(time),
        valueOf<std::chrono::minutes>(clock), int(valueOf<qint64>(ring).value_or(0))};
    return DialogService::RecordingChoice {path->text().trimmed(), chosen};
}

} // namespace RecordDialog
