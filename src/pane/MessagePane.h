#pragma once

#include <QDockWidget>
#include <QFutureWatcher>
#include <cstddef>
#include <optional>

class EventGrid;
class EventGridModel;
class HexDumpModel;
class QListView;
class QMainWindow;
class QMenu;
class QPlainTextEdit;

// View > Message Pane: the selected row whole, as a hex dump and as its decoding one field
// a line, each with a Copy. It reads the row only while it is shown; the dump's lines are
// made as they come into sight, and its whole text for the clipboard on a worker thread,
// so that a dump of many megabytes never holds up the window.
class MessagePane : public QDockWidget
{
    Q_OBJECT

public:
    // Docks itself, hidden, at the bottom of `window`, and adds its item to `viewMenu`.
    MessagePane(QMainWindow &window, QMenu &viewMenu, EventGrid &grid, EventGridModel &rows);

    // Shows the store's row `row`, or nothing.
    void showRow(std::optional<std::size_t> row);

private:
    QWidget *section(
        const QString &title, QWidget *view, const char *copyName, void (MessagePane::*copy)());
    void copyDump();
    void copyDecoding();

    EventGrid &m_grid;
    EventGridModel &m_rows;
    HexDumpModel *m_dump;
    QListView *m_dumpView;
    QPlainTextEdit *m_decoding;
    QFutureWatcher<QString> m_dumpText;
};
