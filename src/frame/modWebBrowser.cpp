#include "modWebBrowser.h"

#include "DialogService.h"

#include <QDesktopServices>

namespace modWebBrowser {

bool openWithDesktop(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

void OpenURL(const QString &url, DialogService &dialogs, const UrlOpener &open)
{
    if (url.isEmpty())
        return;
    if (!open(QUrl(url)))
        dialogs.showMessage(QStringLiteral("Error jumping to:") + url, QStringLiteral("Warning"),
            DialogService::Icon::Exclamation);
}

} // namespace modWebBrowser
