#include "ApplicationIcon.h"

QIcon applicationIcon()
{
    // The PNG sizes, not the SVG: drawing an SVG needs Qt's SVG module, which Lumetra does not
    // link. QIcon scales whichever of the two is nearest the size asked for.
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/lumetra-48.png"));
    icon.addFile(QStringLiteral(":/icons/lumetra-256.png"));
    return icon;
}
