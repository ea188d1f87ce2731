#include "BridgePortNames.h"

#include <QRegularExpression>

namespace BridgePortNames {
namespace {

    // The device part may hold colons of its own (a USB place reads "usb-0000:00:14-0-2"):
    // it ends where the first "(capture_<n>)" or "(playback_<n>)" begins.
    const QRegularExpression &bridgeName()
    {
        static const QRegularExpression name(
            QStringLiteral(R"(^Midi-Bridge:(.+?):\((?:capture|playback)_\d+\) (.+)$)"));
        return name;
    }

    // A card's long name tells where it is plugged in after " at ".
    QString withoutPlace(const QString &device)
    {
        const qsizetype at = device.lastIndexOf(QStringLiteral(" at "));
        return at > 0 ? device.left(at) : device;
    }

} // namespace

QString readable(const QString &jackName)
{
    const QRegularExpressionMatch match = bridgeName().match(jackName);
    if (!match.hasMatch())
        return jackName;
    return withoutPlace(match.captured(1)) + QStringLiteral(": ") + match.captured(2);
}

QStringList listed(const QStringList &jackNames)
{
    QStringList readables;
    for (const QString &jackName : jackNames)
        readables << readable(jackName);
    QStringList names;
    for (qsizetype i = 0; i < readables.size(); ++i) {
        const bool alike = readables.count(readables[i]) > 1
            || (readables[i] != jackNames[i] && jackNames.contains(readables[i]));
        names << (alike ? jackNames[i] : readables[i]);
    }
    return names;
}

QString jackNameOf(const QString &shown, const QStringList &jackNames)
{
    if (jackNames.contains(shown))
        return shown;
    const qsizetype at = listed(jackNames).indexOf(shown);
    return at >= 0 ? jackNames[at] : QString();
}

} // namespace BridgePortNames
