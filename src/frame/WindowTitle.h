#pragma once

#include <QString>

// The main window's title: the application's alone, or after the name of the file it shows
// ("take.lmc — Lumetra"), as desktops name a document's window.
namespace WindowTitle {

QString showing(const QString &filePath);

} // namespace WindowTitle
