#include "CutCellTips.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QToolTip>

int CutCellTips::textMargins(const QWidget &view)
{
    return 2 * (view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
}

bool CutCellTips::helpEvent(QHelpEvent *event, QAbstractItemView *view,
    const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const QString text = index.data().toString();
    if (option.fontMetrics.horizontalAdvance(text) + textMargins(*view) > option.rect.width())
        QToolTip::showText(event->globalPos(), text, view->viewport(), option.rect);
    else
        QToolTip::hideText();
    return true;
}
