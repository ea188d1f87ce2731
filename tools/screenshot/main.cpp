#include "frame/DialogService.h"
#include "frame/frmAbout.h"
#include "grid/EventView.h"
#include "main/frmMain.h"
#include "ports/MIDIOutput.h"
#include "ports/PortSystem.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

namespace {

const char Usage[]
    = "Usage: lumetra_screenshot [--size WIDTHxHEIGHT] [--dark] [--scale FACTOR]\n"
      "                          [--main-window FILE.png | FOLDER]\n"
      "Renders the main window (main-window.png), the same scrolled to its last column\n"
      "(details.png), the View menu (view-menu.png) and the About box (about.png) into FOLDER\n"
      "(the current one by default), or with --main-window only the main window into FILE.png.\n"
      "  --size    the main window's size in logical pixels (default: its designed size)\n"
      "  --dark    the Fusion style with a dark palette\n"
      "  --scale   device pixels per logical pixel, as QT_SCALE_FACTOR sets it\n";

struct Options
{
    std::optional<QSize> size;
    bool dark = false;
    double scale = 1;
    QString mainWindowFile;
    QString folder = QDir::currentPath();
};

std::optional<QSize> parseSize(const char *text)
{
    const auto match = QRegularExpression(QStringLiteral("^(\\d{2,5})x(\\d{2,5})$"))
                           .match(QString::fromLocal8Bit(text));
    if (!match.hasMatch())
        return std::nullopt;
    return QSize(match.captured(1).toInt(), match.captured(2).toInt());
}

// Read before QApplication exists: the scale factor only counts when it is set by then.
std::optional<Options> parseOptions(int argc, char *argv[])
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        const char *value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (word == "--dark") {
            options.dark = true;
            continue;
        }
        if (!word.starts_with("--")) {
            options.folder = QString::fromLocal8Bit(argv[i]);
            continue;
        }
        if (!value)
            return std::nullopt;
        ++i;
        if (word == "--size" && (options.size = parseSize(value)))
            continue;
        if (word == "--scale" && (options.scale = std::atof(value)) >= 1)
            continue;
        if (word == "--main-window")
            options.mainWindowFile = QString::fromLocal8Bit(value);
        else
            return std::nullopt;
    }
    return options;
}

// Qt's offscreen screen is 800 by 800 pixels unless told otherwise, and no window grows past
// its screen: this one is as large as the window is asked to be, in device pixels.
void useOffscreenScreen(const Options &options, const QTemporaryDir &scratch)
{
    const QSize logical = options.size.value_or(QSize(1920, 1200));
    QFile config(scratch.filePath(QStringLiteral("offscreen.json")));
    config.open(QIODevice::WriteOnly);
    config.write(QStringLiteral(R"({"screens": [{"name": "shot", "x": 0, "y": 0, "width": %1,)"
                                R"( "height": %2, "logicalDpi": 96}]})")
                     .arg(qRound(logical.width() * options.scale))
                     .arg(qRound(logical.height() * options.scale))
                     .toUtf8());
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
    qputenv("QT_SCALE_FACTOR", QByteArray::number(options.scale));
}

void useDarkTheme()
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette dark;
    const QColor window(0x2d, 0x2d, 0x30), base(0x1e, 0x1e, 0x1e), text(0xe8, 0xe8, 0xe8);
    dark.setColor(QPalette::Window, window);
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, window);
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, window);
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::ToolTipBase, base);
    dark.setColor(QPalette::ToolTipText, text);
    dark.setColor(QPalette::PlaceholderText, QColor(0x90, 0x90, 0x90));
    dark.setColor(QPalette::Highlight, QColor(0x2a, 0x6f, 0xb8));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::Link, QColor(0x6a, 0xb0, 0xf3));
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
    QApplication::setPalette(dark);
}

// Lets the window take in the traffic and draw it: the grid shows new rows a frame later.
void settle(int milliseconds = 100)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < milliseconds)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

void typeAndSend(frmMain &window, const QString &text)
{
    window.findChild<QPlainTextEdit *>(QStringLiteral("txtBoxSend"))->setPlainText(text);
    window.findChild<QPushButton *>(QStringLiteral("btnSend"))->click();
}

// A little of everything a grid shows, spread over a moment so that the stamps differ: notes,
// controllers, a program change, pressure, bend, clock and time code, a SysEx reply, and two
// messages sent from the message box.
void playSampleTraffic(frmMain &window)
{
    const std::vector<std::vector<std::uint8_t>> received = {
        {0xF8},
        {0x90, 0x3C, 0x64},
        {0x90, 0x40, 0x5A},
        {0xB0, 0x07, 0x64},
        {0xB0, 0x40, 0x7F},
        {0xD0, 0x30},
        {0x80, 0x3C, 0x40},
        {0x80, 0x40, 0x40},
        {0xC5, 0x07},
        {0xE0, 0x00, 0x48},
        {0xF1, 0x21},
        {0xF0, 0x7E, 0x10, 0x06, 0x02, 0x41, 0x2B, 0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0xF7},
        {0xF2, 0x10, 0x00},
        {0xFA},
    };
    MIDIOutput &output = window.MIDIOutput1();
    for (const auto &message : received) {
        sendMessage(output, message);
        settle(15);
    }
    typeAndSend(window, QStringLiteral("F0 7E 7F 06 01 F7"));
    settle(15);
    typeAndSend(window, QStringLiteral("90 40 7F"));
    window.findChild<QAction *>(QStringLiteral("mnuActiveSense"))->trigger();
    settle();
}

bool save(QWidget &widget, const QString &path)
{
    const bool saved = widget.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

bool saveOtherViews(frmMain &window, const QDir &out)
{
    auto *grid = window.findChild<EventView *>(QStringLiteral("grdMIDIIn"));
    grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
    settle();
    bool saved = save(window, out.filePath(QStringLiteral("details.png")));
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
    return saved;
}

} // namespace

// Renders Lumetra's windows with sample traffic to PNG files on Qt's offscreen platform: a
// look at Lumetra without a display, and the README's picture.
int main(int argc, char *argv[])
{
    const std::optional<Options> options = parseOptions(argc, argv);
    if (!options) {
        std::fputs(Usage, stderr);
        return 2;
    }
    QTemporaryDir home; // the window saves its devices on closing: not into the real settings
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    useOffscreenScreen(*options, home);
    QApplication app(argc, argv);
    if (options->dark)
        useDarkTheme();

    frmMain window(PortSystem::createLoopbackOnly(), std::make_unique<SilentDialogs>());
    window.Form_Load();
    if (options->size)
        window.resize(*options->size);
    window.show();
    playSampleTraffic(window);

    bool saved;
    if (!options->mainWindowFile.isEmpty()) {
        saved = save(window, options->mainWindowFile);
    } else {
        const QDir out(options->folder);
        saved = save(window, out.filePath(QStringLiteral("main-window.png")));
        saved = saveOtherViews(window, out) && saved;
    }
    window.close();
    return saved ? 0 : 1;
}
