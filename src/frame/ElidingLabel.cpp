#include "ElidingLabel.h"

#include <QPainter>
#include <QStyle>

QSize ElidingLabel::sizeHint() const
{
    const QMargins margins = contentsMargins();
    return {fontMetrics().horizontalAdvance(text()) + margins.left() + margins.right(),
        minimumSizeHint().height()};
}

QSize ElidingLabel::minimumSizeHint() const
{
    const QMargins margins = contentsMargins();
    return {0, fontMetrics().height() + margins.top() + margins.bottom()};
}

void ElidingLabel::paintEvent(QPaintEvent *event)
{
    // The frame, and the background a style sheet gives it; the text is drawn here.
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect room = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, room.width());
    style()->drawItemText(&painter, room, int(alignment()) | Qt::TextSingleLine, palette(),
        isEnabled(), shown, foregroundRole());
}
