#pragma once

#include <QList>
#include <QString>

// What a bug report should quote: the versions of the libraries that handle the ports and the
// window, as the program finds them when it runs, and the system it runs on.
namespace LibraryVersions {

struct Library
{
    QString name;
    QString version;
};

// Qt (as it runs, and as Lumetra was built against), JACK and RtMidi.
QList<Library> libraries();

// Plain text, a line each: Lumetra's own version, the system, then the libraries.
QString report(const QString &lumetraVersion);

} // namespace LibraryVersions
