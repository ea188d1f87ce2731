#pragma once

#include <QFont>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QString>

class QPainter;
class QRect;

// Draws the grid's cell texts. A frame draws a few hundred of them, and laying each out the
// general way (shaping it, then eliding it) took most of a frame; the grid's font is a fixed
// pitch one and its texts are bytes, words and numbers, so each character maps to one glyph
// of one width, looked up in the font's own table. A text with a character the font lacks,
// or a font of varied widths, is drawn the general way.
class CellText
{
public:
    explicit CellText(const QFont &font);
    const QFont &font() const { return m_font; }

    // In `rect`, centred in its height and aligned as told; a text too long for it ends in an
    // ellipsis.
    void draw(QPainter &painter, const QRect &rect, Qt::Alignment alignment, const QString &text);

private:
    bool layOut(const QString &text, int room);
    void drawShaped(
        QPainter &painter, const QRect &rect, Qt::Alignment alignment, const QString &text);

    QFont m_font;
    QRawFont m_glyphs;
    qreal m_advance = 0;
    quint32 m_ellipsis = 0;
    bool m_fixedPitch = false;
    QList<quint32> m_indexes; // of the text being drawn, kept for the next
    QList<QPointF> m_positions;
};
