#include "RepeatRate.h"

#include <QRegularExpression>
#include <limits>

std::variant<int, QString> readRepeatRate(const QString &text)
{
    const QString rate = text.trimmed();
    static const QRegularExpression wholeNumber(QStringLiteral("^[+-]?[0-9]+$"));
    if (!wholeNumber.match(rate).hasMatch())
        return QStringLiteral("The repeat rate \"%1\" is not a whole number.").arg(text);
    bool fits = false;
    const qlonglong value = rate.toLongLong(&fits);
    if (!fits || value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min())
        return QStringLiteral("The repeat rate %1 is too large.").arg(rate);
    return int(value);
}
