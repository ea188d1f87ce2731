#pragma once

#include "main/frmMain.h"
#include "main/modGlobals.h"
#include "ports/LoopbackBackend.h"
#include "ports/MIDIInput.h"
#include "ports/MIDIOutput.h"
#include "ports/PortCommand.h"
#include "ports/PortSystem.h"
#include "support/Preferences.h"
#include "support/ScriptedDialogs.h"
#include "support/SendMessage.h"

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

    explicit LoopbackWindow(Preferences preferences = Preferences::Fresh)
    {
        std::vector<std::unique_ptr<PortBackend>> backends;
        backends.push_back(std::make_unique<LoopbackBackend>());
        auto scripted = std::make_unique<ScriptedDialogs>();
        dialogs = scripted.get();
        if (preferences == Preferences::Fresh)
            forgetPreferences();
        window = std::make_unique<frmMain>(
            std::make_shared<PortSystem>(std::move(backends)), std::move(scripted));
        window->Form_Load();
        window->show();
        // Focus checks need the window active, which the platform makes it a moment later.
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("the main window did not become active");
    }

    void send(std::int16_t status, std::initializer_list<std::int16_t> data = {})
    {
        sendMessage(window->MIDIOutput1(), status, data);
    }
    void sendSysEx(const QByteArray &bytes) { ::sendSysEx(window->MIDIOutput1(), bytes); }

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
