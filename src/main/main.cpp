#include "CommandLine.h"
#include "cli/ToolLine.h"
#include "cli/ToolMain.h"
#include "files/SafeFile.h"
#include "frame/ApplicationIcon.h"
#include "frmMain.h"
#include "ports/PortSystem.h"

#include <QApplication>
#include <cstdio>

namespace {

QStringList argumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// A device asked for by name that is not there: said at once, before anything is opened.
QString missingDevice(const CommandLine &line, const PortSystem &ports)
{
    const auto missing = [&](const QString &name, PortDirection direction, const char *kind) {
        return !name.isEmpty() && !ports.names(direction).contains(name)
            ? QStringLiteral("There is no MIDI %1 named \"%2\" (see lumetra --list-ports).\n")
                  .arg(QLatin1String(kind), name)
            : QString();
    };
    QString text;
    for (const QString &name : line.inputs.names)
        text += missing(name, PortDirection::Input, "input");
    return text + missing(line.outputName, PortDirection::Output, "output");
}

int print(std::FILE *stream, const QString &text, int status)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    return status;
}

} // namespace

int main(int argc, char *argv[])
{
    SafeFile::refuseWritesPastSizeLimit();
    QCoreApplication::setApplicationName(QStringLiteral("Lumetra"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LUMETRA_VERSION));
    const QStringList arguments = argumentsOf(argc, argv);
    if (ToolLine::isWord(arguments.value(1)))
        return runTool(argc, argv);
    const CommandLine line = CommandLine::parse(arguments);
    switch (line.action) {
    case CommandLine::Action::Help:
    case CommandLine::Action::Version:
        return print(stdout, line.text, 0);
    case CommandLine::Action::Refuse:
        return print(stderr, QStringLiteral("lumetra: ") + line.text, 2);
    case CommandLine::Action::ListPorts: {
        QCoreApplication app(argc, argv);
        const auto ports = PortSystem::createDefault();
        for (const QString &notice : ports->notices())
            print(stderr, QStringLiteral("lumetra: ") + notice + QLatin1Char('\n'), 0);
        return print(stdout,
            portListing(ports->names(PortDirection::Input), ports->names(PortDirection::Output)),
            0);
    }
    case CommandLine::Action::Run:
        break;
    }
    if (!displayReachable(line))
        return print(stderr,
            QStringLiteral("lumetra: the window needs a display, and none was found (DISPLAY is "
                           "not set).\nWithout one, 'lumetra capture' and 'lumetra send' "
                           "work (see lumetra help).\n"),
            1);

    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("example.quillfeather.Lumetra"));
    QApplication::setWindowIcon(applicationIcon());
    const auto ports = PortSystem::createDefault();
    if (const QString missing = missingDevice(line, *ports); !missing.isEmpty())
        return print(stderr, QStringLiteral("lumetra: ") + missing, 2);
    frmMain window(ports);
    window.preferDevices(line.inputs, line.outputName);
    window.Form_Load();
    window.show();
    if (!line.openPath.isEmpty())
        window.openFile(line.openPath);
    return QApplication::exec();
}
