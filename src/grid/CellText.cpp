#include "CellText.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QRect>

CellText::CellText(const QFont &font)
    : m_font(font)
    , m_glyphs(QRawFont::fromFont(font))
{
    const QString probe = QStringLiteral("iW\u2026");
    const QList<quint32> glyphs = m_glyphs.glyphIndexesForString(probe);
    if (!m_glyphs.isValid() || glyphs.size() != 3 || glyphs.contains(0))
        return;
    const QList<QPointF> advances = m_glyphs.advancesForGlyphIndexes(glyphs);
    m_advance = advances[0].x();
    m_ellipsis = glyphs[2];
    m_fixedPitch = m_advance > 0 && advances[1].x() == m_advance && advances[2].x() == m_advance;
}

void CellText::draw(
    QPainter &painter, const QRect &rect, Qt::Alignment alignment, const QString &text)
{
    if (text.isEmpty())
        return;
    if (!m_fixedPitch || !layOut(text, rect.width())) {
        drawShaped(painter, rect, alignment, text);
        return;
    }
    const qreal width = qreal(m_indexes.size()) * m_advance;
    qreal x = rect.left();
    if (alignment & Qt::AlignRight)
        x = rect.right() + 1 - width;
    else if (alignment & Qt::AlignHCenter)
        x = rect.left() + (rect.width() - width) / 2;
    const qreal baseline = rect.top() + (rect.height() - m_glyphs.ascent() - m_glyphs.descent()) / 2
        + m_glyphs.ascent();
    QGlyphRun run;
    run.setRawFont(m_glyphs);
    run.setGlyphIndexes(m_indexes);
    run.setPositions(m_positions);
    painter.drawGlyphRun(QPointF(x, baseline), run);
}

// False when a character has no glyph of its own in the font.
bool CellText::layOut(const QString &text, int room)
{
    m_indexes = m_glyphs.glyphIndexesForString(text);
    if (m_indexes.contains(0))
        return false;
    const qsizetype fitting = qsizetype(room / m_advance);
    if (m_indexes.size() > fitting) {
        m_indexes.resize(std::max<qsizetype>(fitting - 1, 0));
        if (fitting > 0)
            m_indexes.append(m_ellipsis);
    }
    m_positions.resize(m_indexes.size());
    for (qsizetype i = 0; i < m_positions.size(); ++i)
        m_positions[i] = QPointF(qreal(i) * m_advance, 0);
    return true;
}

void CellText::drawShaped(
    QPainter &painter, const QRect &rect, Qt::Alignment alignment, const QString &text)
{
    painter.setFont(m_font);
    painter.drawText(rect, int(alignment | Qt::AlignVCenter),
        QFontMetrics(m_font).elidedText(text, Qt::ElideRight, rect.width()));
}
