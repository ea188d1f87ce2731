#pragma once

#include "grid/EventView.h"
#include "main/frmMain.h"
#include "ports/MIDIInput.h"
#include "ports/MIDIOutput.h"
#include "ports/PortCommand.h"
#include "ports/PortSystem.h"
#include "support/Files.h"
#include "support/ScriptedDialogs.h"

#include <QAction>
#include <QComboBox>
#include <QTest>

// The main window over the ports a test gives it, with message boxes and file dialogs the test
// scripts.
struct TestWindow
{
    ScriptedDialogs *dialogs = nullptr;
    std::unique_ptr<frmMain> window;

    void create(std::shared_ptr<PortSystem> ports, MessageQueue::Bounds queueBounds = {})
    {
        auto scripted = std::make_unique<ScriptedDialogs>();
        dialogs = scripted.get();
        window = std::make_unique<frmMain>(std::move(ports), std::move(scripted), queueBounds);
    }
    // Loads and shows the window, as the program starts it.
    void start()
    {
        window->Form_Load();
        window->show();
        // Focus checks need the window active, which the platform makes it a moment later.
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("the main window did not become active");
    }

    void send(std::initializer_list<std::uint8_t> message)
    {
        sendMessage(window->MIDIOutput1(), message);
    }
    void send(const QByteArray &message)
    {
        sendMessage(window->MIDIOutput1(),
            {reinterpret_cast<const std::uint8_t *>(message.data()), std::size_t(message.size())});
    }

    template<typename T>
    T *find(const char *name) const
    {
        return window->findChild<T *>(QLatin1String(name));
    }
    EventView *grid() const { return find<EventView>("grdMIDIIn"); }
    // The grid's row count: header, messages, the empty last row.
    int gridRows() const { return int(grid()->rowCount()) + 1; }
    // Lets the queued MessagesWaiting reach the window.
    bool waitForRows(int rows) const
    {
        return QTest::qWaitFor([&] { return gridRows() == rows; }, 5000);
    }
    void toggle(const char *menuItem) { find<QAction>(menuItem)->trigger(); }
    // Saves through a File menu item to `path`, as the user would; what the file then holds.
    QByteArray saveAs(const char *menuItem, const QString &path)
    {
        dialogs->nextSaveFileName = path;
        toggle(menuItem);
        return readFile(path);
    }
    QString row(int gridRow) const
    {
        QStringList cells;
        for (int column = 0; column < 7; ++column)
            cells << window->GetMIDIINText(gridRow, column);
        return cells.join('\t');
    }

    QComboBox *combo(const char *name) const { return find<QComboBox>(name); }
    QStringList entries(const char *list) const
    {
        QStringList texts;
        for (int i = 0; i < combo(list)->count(); ++i)
            texts << combo(list)->itemText(i);
        return texts;
    }
    // Picks an entry as the user would; -1 when there is no such entry.
    void choose(const char *list, int entry)
    {
        combo(list)->setCurrentIndex(entry);
        emit combo(list)->activated(combo(list)->currentIndex());
    }
    void choose(const char *list, const QString &entry)
    {
        choose(list, combo(list)->findText(entry));
    }
};
