#pragma once

#include "main/frmMain.h"
#include "ports/MIDIInput.h"
#include "ports/MIDIOutput.h"
#include "ports/PortCommand.h"
#include "ports/PortSystem.h"
#include "support/Preferences.h"
#include "support/ScriptedDialogs.h"

#include <QAction>
#include <QTableView>
#include <QTest>

// The main window, shown offscreen, started on the loopback device; what the test sends on
// the window's output arrives on its input.
struct LoopbackWindow
{
    ScriptedDialogs *dialogs = nullptr;
    std::unique_ptr<frmMain> window;

    enum class Preferences { Fresh, AsStored };

    explicit LoopbackWindow(
        Preferences preferences = Preferences::Fresh, MessageQueue::Bounds queueBounds = {})
    {
        auto scripted = std::make_unique<ScriptedDialogs>();
        dialogs = scripted.get();
        if (preferences == Preferences::Fresh)
            forgetPreferences();
        window = std::make_unique<frmMain>(
            PortSystem::createLoopbackOnly(), std::move(scripted), queueBounds);
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
    QTableView *grid() const { return find<QTableView>("grdMIDIIn"); }
    // The grid's row count: header, messages, the empty last row.
    int gridRows() const { return grid()->model()->rowCount() + 1; }
    // Lets the queued MessagesWaiting reach the window.
    bool waitForRows(int rows) const
    {
        return QTest::qWaitFor([&] { return gridRows() == rows; }, 5000);
    }
    void toggle(const char *menuItem) { find<QAction>(menuItem)->trigger(); }
    QString row(int gridRow) const
    {
        QStringList cells;
        for (int column = 0; column < 7; ++column)
            cells << window->GetMIDIINText(gridRow, column);
        return cells.join('\t');
    }
};
