#include "LibraryVersions.h"

#include "JackClient.h"
#include "RtMidiBackend.h"

#include <QSysInfo>
#include <QtGlobal>

namespace LibraryVersions {

QList<Library> libraries()
{
    // A Qt updated under an installed Lumetra is a likely cause of a new fault: both are named.
    const QString qt = QStringLiteral("%1 (built with %2)")
                           .arg(QString::fromLatin1(qVersion()), QStringLiteral(QT_VERSION_STR));
    return {
        {QStringLiteral("Qt"), qt},
        {QStringLiteral("JACK"), JackClient::libraryVersion()},
        {QStringLiteral("RtMidi"), RtMidiBackend::libraryVersion()},
    };
}

QString report(const QString &lumetraVersion)
{
    QString text = QStringLiteral("Lumetra %1\n").arg(lumetraVersion);
    text += QStringLiteral("System: %1 (%2)\n")
                .arg(QSysInfo::prettyProductName(), QSysInfo::currentCpuArchitecture());
    for (const Library &library : libraries())
        text += QStringLiteral("%1: %2\n").arg(library.name, library.version);
    return text;
}

} // namespace LibraryVersions
