#include "HistogramView.h"

#include <QPainter>
#include <algorithm>

HistogramView::HistogramView(QWidget *parent)
    : QWidget(parent)
{
    setMinimumSize(320, 160);
}

void HistogramView::setBins(
    std::vector<std::size_t> counts, std::int64_t fromUs, std::int64_t widthUs)
{
    m_counts = std::move(counts);
    m_fromUs = fromUs;
    m_widthUs = widthUs;
    update();
}

void HistogramView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    if (m_counts.empty())
        return;
    const int textHeight = fontMetrics().height();
    const QRectF plot = QRectF(rect()).adjusted(4, 4, -4, -4 - textHeight);
    const double tallest = double(*std::ranges::max_element(m_counts));
    const double barWidth = plot.width() / double(m_counts.size());
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().highlight());
    for (std::size_t bin = 0; bin < m_counts.size(); ++bin) {
        const double height = tallest > 0 ? plot.height() * double(m_counts[bin]) / tallest : 0;
        painter.drawRect(QRectF(plot.left() + barWidth * double(bin), plot.bottom() - height,
            std::max(barWidth - 1, 1.0), height));
    }
    painter.setPen(palette().text().color());
    const QRectF scale(plot.left(), plot.bottom(), plot.width(), textHeight);
    painter.drawText(scale, Qt::AlignLeft, QStringLiteral("%1 \u00B5s").arg(m_fromUs));
    painter.drawText(scale, Qt::AlignRight,
        QStringLiteral("\u2265 %1 \u00B5s")
            .arg(m_fromUs + m_widthUs * std::int64_t(m_counts.size() - 1)));
}
