#include "WindowTitle.h"

#include "DialogService.h"

#include <QFileInfo>

namespace WindowTitle {

QString showing(const QString &filePath)
{
    if (filePath.isEmpty())
        return DialogService::ApplicationTitle;
    return QFileInfo(filePath).fileName() + QStringLiteral(" \u2014 ")
        + DialogService::ApplicationTitle;
}

} // namespace WindowTitle
