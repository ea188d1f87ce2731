#pragma once

#include <QString>
#include <QUrl>
#include <functional>

class DialogService;

namespace modWebBrowser {

// Opens a link in the desktop's browser or mail program; false when nothing could.
using UrlOpener = std::function<bool(const QUrl &)>;
bool openWithDesktop(const QUrl &url);

// Asks the desktop to open the URL; when it cannot, warns "Error jumping to:" and the URL.
void OpenURL(const QString &url, DialogService &dialogs, const UrlOpener &open = openWithDesktop);

} // namespace modWebBrowser
