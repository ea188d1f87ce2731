#include "CommandLine.h"
#include "cli/StopSignals.h"
#include "cli/ToolLine.h"
#include "cli/ToolMain.h"
#include "files/SafeFile.h"
#include "frame/ApplicationIcon.h"
#include "frmMain.h"
#include "ports/PortNameMatch.h"
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

// The devices asked for, by the names the lists show; what is not there, or is named by a
// part several names hold, is said at once, before anything is opened.
QString resolveDevices(CommandLine &line, const PortSystem &ports)
{
    QString refusals
        = PortNameMatch::resolve(line.inputs.names, ports.names(PortDirection::Input), "input");
    refusals += PortNameMatch::resolve(line.taps, ports.tappableNames(), "port");
    if (line.outputName.isEmpty())
        return refusals;
    QStringList output {line.outputName};
    refusals += PortNameMatch::resolve(output, ports.names(PortDirection::Output), "output");
    line.outputName = output.front();
    return refusals;
}

int print(std::FILE *stream, const QString &text, int status)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    return status;
}

int listPorts(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const auto ports = PortSystem::createDefault();
    for (const QString &notice : ports->notices())
        print(stderr, QStringLiteral("lumetra: ") + notice + QLatin1Char('\n'), 0);
    return print(stdout,
        portListing(ports->names(PortDirection::Input), ports->names(PortDirection::Output)), 0);
}

// The window, on the devices, patterns, recording and file that the command line names.
int runWindow(int argc, char *argv[], CommandLine &line)
{
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("example.quillfeather.Lumetra"));
    QApplication::setWindowIcon(applicationIcon());
    const auto ports = PortSystem::createDefault();
    if (const QString missing = resolveDevices(line, *ports); !missing.isEmpty())
        return print(stderr, QStringLiteral("lumetra: ") + missing, 2);
    frmMain window(ports);
    // Ended by a script or the system (SIGTERM, or Ctrl+C in its terminal), the window closes
    // as it does for the user: a recording ends with the last rows, the settings are saved.
    // Quit leaves a dialog that is open, too.
    StopSignals stops;
    QObject::connect(&stops, &StopSignals::stopRequested, &window, [&window] {
        window.close();
        QCoreApplication::quit();
    });
    window.preferDevices(line.inputs, line.outputName, line.taps);
    window.Form_Load();
    if (line.hiddenPatterns)
        window.hideMessagesLike(*line.hiddenPatterns);
    if (!line.recordPath.isEmpty())
        window.recordTo(line.recordPath, line.rotation);
    window.show();
    if (!line.openPath.isEmpty())
        window.openFile(line.openPath);
    return QApplication::exec();
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
    CommandLine line = CommandLine::parse(arguments);
    switch (line.action) {
    case CommandLine::Action::Help:
    case CommandLine::Action::Version:
        return print(stdout, line.text, 0);
    case CommandLine::Action::Refuse:
        return print(stderr, QStringLiteral("lumetra: ") + line.text, 2);
    case CommandLine::Action::ListPorts:
        return listPorts(argc, argv);
    case CommandLine::Action::Run:
        break;
    }
    if (!displayReachable(line))
        return print(stderr,
            QStringLiteral("lumetra: the window needs a display, and none was found (DISPLAY is "
                           "not set).\nWithout one, 'lumetra capture' and 'lumetra send' "
                           "work (see lumetra help).\n"),
            1);
    return runWindow(argc, argv, line);
}
