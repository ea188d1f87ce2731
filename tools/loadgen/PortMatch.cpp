#include "PortMatch.h"

#include <QRegularExpression>

QStringList portsMatching(const QStringList &ports, const QString &wanted)
{
    if (ports.contains(wanted))
        return {wanted};
    QStringList matches;
    for (const QString &port : ports)
        if (port.startsWith(wanted))
            matches << port;
    if (!matches.isEmpty())
        return matches;
    // Port names are full of characters that mean something in a pattern ("system:midi(1)"),
    // which is why a pattern is the last thing tried.
    const QRegularExpression pattern(wanted);
    return pattern.isValid() ? ports.filter(pattern) : QStringList {};
}
