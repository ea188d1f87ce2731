#pragma once

#include <QLocale>
#include <QString>

// A count as the user's locale writes it, always with its thousands grouped ("12,345" where
// the locale groups with commas), also where the locale would leave them out.
inline QString groupedNumber(qint64 value)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(value);
}
