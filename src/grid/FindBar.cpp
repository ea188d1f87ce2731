#include "FindBar.h"

#include "EventGrid.h"
#include "EventView.h"
#include "frame/NamedWidgets.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

FindBar::FindBar(EventGrid &grid, QWidget *parent)
    : QWidget(parent)
    , m_grid(grid)
{
    setObjectName(QStringLiteral("findBar"));
    m_text = named(new QLineEdit, "txtFind", this);
    m_text->setPlaceholderText(QStringLiteral("Text in the rows, e.g. F0 7E or note on"));
    auto *next = named(new QPushButton(QStringLiteral("Next")), "btnFindNext", this);
    auto *previous = named(new QPushButton(QStringLiteral("Previous")), "btnFindPrevious", this);
    m_result = namedLabel("lblFindResult", QString(), this);
    auto *close = named(new QToolButton, "btnFindClose", this);
    close->setText(QStringLiteral("Close"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 2, 0, 2);
    row->addWidget(namedLabel("lblFind", QStringLiteral("Find:"), this));
    row->addWidget(m_text, 1);
    m_tabChain = {m_text, next, previous, close};
    for (QWidget *control : m_tabChain)
        row->addWidget(control);
    row->insertWidget(row->indexOf(close), m_result);
    connect(next, &QPushButton::clicked, this, &FindBar::findNext);
    connect(previous, &QPushButton::clicked, this, &FindBar::findPrevious);
    connect(close, &QToolButton::clicked, this, &FindBar::close);
    connect(m_text, &QLineEdit::textEdited, m_result, &QLabel::clear);
    connect(&m_grid, &EventGrid::findFinished, this, &FindBar::showOutcome);
    hide();
}

void FindBar::open()
{
    if (isHidden()) {
        show();
        emit visibilityChanged();
    }
    m_text->setFocus();
    m_text->selectAll();
}

void FindBar::close()
{
    m_grid.cancelFind();
    // Hidden with the focus, the bar would pass it on to the window's first control.
    if (isAncestorOf(QApplication::focusWidget()))
        m_grid.view().setFocus();
    hide();
    emit visibilityChanged();
}

void FindBar::find(RowSearch::Direction direction)
{
    if (m_text->text().trimmed().isEmpty()) {
        open();
        return;
    }
    m_result->setText(QStringLiteral("Searching\u2026"));
    m_direction = direction;
    const std::optional<std::size_t> current = m_grid.view().currentRow();
    m_fromRow = current ? std::optional(m_grid.document().lasting(*current)) : std::nullopt;
    m_grid.find(m_text->text(), direction);
}

// "3 of 17", and where the search went round the end of the rows to the row found.
void FindBar::showOutcome(bool found)
{
    if (!found) {
        m_result->setText(QStringLiteral("Not found"));
        return;
    }
    const SearchPass::Place place = m_grid.foundPlace();
    QString text = QStringLiteral("%1 of %2").arg(place.ordinal).arg(place.total);
    const bool forward = m_direction == RowSearch::Direction::Forward;
    const std::size_t row = m_grid.view().currentRow().value_or(0);
    // Also when the row it began at is the only match: the search went all the way round.
    const auto from = [&] { return m_grid.document().rowNow(*m_fromRow); };
    if (m_fromRow && (forward ? row <= from() : row >= from()))
        text += forward ? QStringLiteral(", wrapped to the top")
                        : QStringLiteral(", wrapped to the bottom");
    m_result->setText(text);
}

void FindBar::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
    } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->modifiers() & Qt::ShiftModifier ? findPrevious() : findNext();
    } else {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}
