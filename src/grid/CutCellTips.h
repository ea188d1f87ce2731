#pragma once

#include <QStyledItemDelegate>

// Draws the grid's cells as the style does; a cell too narrow for its text, which then ends
// in an ellipsis, shows the whole text in a tooltip.
class CutCellTips : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The room a cell's text leaves beside it, in pixels, in the style of `view`.
    static int textMargins(const QWidget &view);

    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
        const QModelIndex &index) override;
};
