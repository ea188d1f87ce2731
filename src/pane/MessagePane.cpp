#include "MessagePane.h"

#include "HexDumpModel.h"
#include "MessageDecoding.h"
#include "grid/EventGrid.h"
#include "grid/EventGridModel.h"
#include "grid/EventView.h"
#include "rows/RowColumns.h"
#include "rows/UmpRows.h"

#include <QAction>
#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPromise>
#include <QPushButton>
#include <QSplitter>
#include <QThreadPool>
#include <QVBoxLayout>

MessagePane::MessagePane(
    QMainWindow &window, QMenu &viewMenu, EventGrid &grid, EventGridModel &rows)
    : QDockWidget(QStringLiteral("Message Pane"), &window)
    , m_grid(grid)
    , m_rows(rows)
    , m_dump(new HexDumpModel(this))
    , m_dumpView(new QListView)
    , m_decoding(new QPlainTextEdit)
{
    setObjectName(QStringLiteral("dockMessagePane"));
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_dumpView->setObjectName(QStringLiteral("lstHexDump"));
    m_dumpView->setModel(m_dump);
    m_dumpView->setUniformItemSizes(true); // lays out millions of lines without asking each
    m_dumpView->setFont(fixed);
    m_decoding->setObjectName(QStringLiteral("txtDecoding"));
    m_decoding->setReadOnly(true);
    m_decoding->setFont(fixed);
    auto *split = new QSplitter(Qt::Horizontal);
    split->addWidget(
        section(QStringLiteral("Hex dump"), m_dumpView, "btnCopyDump", &MessagePane::copyDump));
    split->addWidget(section(
        QStringLiteral("Decoding"), m_decoding, "btnCopyDecoding", &MessagePane::copyDecoding));
    setWidget(split);
    window.addDockWidget(Qt::BottomDockWidgetArea, this);
    hide();

    QAction *item = toggleViewAction();
    item->setObjectName(QStringLiteral("mnuMessagePane"));
    viewMenu.addAction(item);
    connect(&grid.view(), &EventView::currentRowChanged, this, [this](std::size_t row) {
        if (isVisible())
            showRow(row);
    });
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible)
            showRow(m_grid.view().currentRow());
    });
    connect(&m_dumpText, &QFutureWatcher<QString>::finished, this,
        [this] { QGuiApplication::clipboard()->setText(m_dumpText.result()); });
}

QWidget *MessagePane::section(
    const QString &title, QWidget *view, const char *copyName, void (MessagePane::*copy)())
{
    auto *copyButton = new QPushButton(QStringLiteral("Copy"));
    copyButton->setObjectName(QLatin1String(copyName));
    connect(copyButton, &QPushButton::clicked, this, copy);
    auto *box = new QWidget;
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(title));
    layout->addWidget(view);
    layout->addWidget(copyButton, 0, Qt::AlignRight);
    return box;
}

void MessagePane::showRow(std::optional<std::size_t> row)
{
    const CaptureStore &store = m_rows.store();
    if (!row || *row >= store.size()) {
        m_dump->setBytes({});
        m_decoding->clear();
        return;
    }
    // A copy: the store's bytes go when the rows are cleared, the pane's stay until it reads
    // another row.
    const CapturedMessage message = store.at(*row);
    const std::span<const std::uint8_t> held = message.isUmp() ? message.ump : message.held();
    const QByteArray bytes(reinterpret_cast<const char *>(held.data()), qsizetype(held.size()));
    m_dump->setBytes(bytes);
    QList<MessageDecoding::Cell> cells;
    for (int column = 0; column < RowColumns::Count; ++column)
        cells.append({QLatin1String(RowColumns::Titles[column]),
            m_rows.cell(*row, column, Qt::DisplayRole).toString()});
    // The details of a UMP message are its fields, one a line, each of which may hold a comma.
    const QStringList details = message.isUmp()
        ? UmpRows::decodingLines(message.umpPacket())
        : m_rows.details(*row).split(QStringLiteral(", "), Qt::SkipEmptyParts);
    m_decoding->setPlainText(MessageDecoding::lines(
        cells, details, bytes.size(), MessageDecoding::propertyExchangeBody(bytes))
                                 .join(QLatin1Char('\n')));
}

void MessagePane::copyDump()
{
    if (m_dumpText.isRunning())
        return;
    // Shared, as the pool takes only what it can copy. The worker holds its own reference to
    // the bytes and nothing of the pane.
    auto promise = std::make_shared<QPromise<QString>>();
    m_dumpText.setFuture(promise->future());
    QThreadPool::globalInstance()->start([promise, bytes = m_dump->bytes()] {
        promise->start();
        promise->addResult(HexDumpModel::wholeText(bytes));
        promise->finish();
    });
}

void MessagePane::copyDecoding()
{
    QGuiApplication::clipboard()->setText(m_decoding->toPlainText());
}
