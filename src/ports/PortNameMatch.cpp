#include "PortNameMatch.h"

namespace PortNameMatch {
namespace {

    QString quotedList(const QStringList &names)
    {
        QStringList quoted;
        for (const QString &name : names)
            quoted << QLatin1Char('"') + name + QLatin1Char('"');
        return quoted.join(QStringLiteral(", "));
    }

    // A number names the device at that place of the list, as --list-ports numbers it.
    Found byNumber(const QString &given, int number, const QStringList &listed, const char *kind)
    {
        if (number >= 1 && number <= listed.size())
            return {listed[number - 1], {}};
        return {{},
            QStringLiteral("There is no MIDI %1 number %2: there are %3 (see lumetra "
                           "--list-ports).")
                .arg(QLatin1String(kind), given)
                .arg(listed.size())};
    }

} // namespace

Found find(const QString &given, const QStringList &listed, const char *kind)
{
    if (listed.contains(given))
        return {given, {}};
    bool isNumber = false;
    const int number = given.toInt(&isNumber);
    if (isNumber)
        return byNumber(given, number, listed, kind);
    QStringList holding;
    for (const QString &name : listed)
        if (!given.isEmpty() && name.contains(given, Qt::CaseInsensitive))
            holding << name;
    if (holding.size() == 1)
        return {holding.front(), {}};
    if (holding.isEmpty())
        return {{},
            QStringLiteral("There is no MIDI %1 named \"%2\" (see lumetra --list-ports).")
                .arg(QLatin1String(kind), given)};
    return {{},
        QStringLiteral("\"%1\" is part of the names of several MIDI %2s: %3; give more of one.")
            .arg(given, QLatin1String(kind), quotedList(holding)),
        true};
}

QString resolve(QStringList &names, const QStringList &listed, const char *kind)
{
    QString refusals;
    for (QString &name : names) {
        const Found found = find(name, listed, kind);
        if (found.name.isEmpty())
            refusals += found.refusal + QLatin1Char('\n');
        else
            name = found.name;
    }
    return refusals;
}

} // namespace PortNameMatch
