#include "frame/DialogService.h"
#include "frame/frmAbout.h"
#include "main/frmMain.h"
#include "ports/MIDIOutput.h"
#include "ports/PortSystem.h"

#include <QAction>
#include <QMenu>
#include <QScrollBar>
#include <QTableView>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>

namespace {

void typeAndSend(frmMain &window, const QString &text)
{
    window.findChild<QPlainTextEdit *>(QStringLiteral("txtBoxSend"))->setPlainText(text);
    window.findChild<QPushButton *>(QStringLiteral("btnSend"))->click();
}

bool save(QWidget &widget, const QString &path)
{
    const bool saved = widget.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

// Lets the window take in the traffic and draw it: the grid shows new rows a frame later.
void settle()
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 100)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

} // namespace

// Renders the main window, with some traffic, the filter notice and a send history; the grid
// scrolled to its details column; the View menu; and the About box to PNG files, on Qt's
// offscreen platform: a look at Lumetra without a display.
// Usage: lumetra_screenshot [output folder]
int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home; // the window saves its devices on closing: not into the real settings
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath());

    frmMain window(PortSystem::createLoopbackOnly(), std::make_unique<SilentDialogs>());
    window.Form_Load();
    window.show();

    MIDIOutput &output = window.MIDIOutput1();
    sendMessage(output, {0x90, 0x3C, 0x64});
    sendMessage(output, {0x80, 0x3C, 0x40});
    sendMessage(output, {0xB0, 0x07, 0x64});
    sendMessage(output, {0xC5, 0x07});
    sendMessage(output, {0xE0, 0x00, 0x40});
    sendMessage(output, {0xF8});
    QApplication::processEvents();
    typeAndSend(window, QStringLiteral("F0 7E 7F 09 01 F7"));
    typeAndSend(window, QStringLiteral("90 40 7F"));
    window.findChild<QAction *>(QStringLiteral("mnuActiveSense"))->trigger();
    settle();

    bool saved = save(window, out.filePath(QStringLiteral("main-window.png")));
    auto *grid = window.findChild<QTableView *>(QStringLiteral("grdMIDIIn"));
    grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
    settle();
    saved = save(window, out.filePath(QStringLiteral("details.png"))) && saved;
    auto *view = window.findChild<QMenu *>(QStringLiteral("mnuView"));
    view->popup(window.mapToGlobal(QPoint(0, 0)));
    settle();
    saved = save(*view, out.filePath(QStringLiteral("view-menu.png"))) && saved;
    view->hide();
    window.findChild<QAction *>(QStringLiteral("mnuAbout"))->trigger();
    QApplication::processEvents();
    for (QWidget *top : QApplication::topLevelWidgets())
        if (auto *about = qobject_cast<frmAbout *>(top))
            saved = save(*about, out.filePath(QStringLiteral("about.png"))) && saved;
    window.close();
    return saved ? 0 : 1;
}
