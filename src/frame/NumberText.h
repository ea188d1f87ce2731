#pragma once

#include <QLocale>
#include <QString>

// The value of a hex digit of either case, or -1.
constexpr int hexDigitValue(char32_t c)
{
    if (c >= '0' && c <= '9')
        return int(c - '0');
    if (c >= 'A' && c <= 'F')
        return int(c - 'A' + 10);
    if (c >= 'a' && c <= 'f')
        return int(c - 'a' + 10);
    return -1;
}

// A count as the user's locale writes it, always with its thousands grouped ("12,345" where
// the locale groups with commas), also where the locale would leave them out.
inline QString groupedNumber(qint64 value)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(value);
}
