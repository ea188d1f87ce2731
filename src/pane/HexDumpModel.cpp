#include "HexDumpModel.h"

namespace {

qsizetype lineCount(const QByteArray &bytes)
{
    return (bytes.size() + HexDumpModel::BytesPerLine - 1) / HexDumpModel::BytesPerLine;
}

} // namespace

void HexDumpModel::setBytes(const QByteArray &bytes)
{
    beginResetModel();
    m_bytes = bytes;
    endResetModel();
}

int HexDumpModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(lineCount(m_bytes));
}

QVariant HexDumpModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
    return lineText(m_bytes, index.row());
}

QString HexDumpModel::lineText(const QByteArray &bytes, qsizetype line)
{
    const qsizetype first = line * BytesPerLine;
    const QByteArray hex = bytes.mid(first, BytesPerLine).toHex(' ').toUpper();
    return QStringLiteral("%1  %2").arg(
        QStringLiteral("%1").arg(first, 8, 16, QLatin1Char('0')).toUpper(), QLatin1String(hex));
}

QString HexDumpModel::wholeText(const QByteArray &bytes)
{
    QString text;
    const qsizetype lines = lineCount(bytes);
    // Each line: the offset, two spaces and three characters a byte, less the last space.
    text.reserve(lines * (10 + 3 * BytesPerLine));
    for (qsizetype line = 0; line < lines; ++line)
        text += lineText(bytes, line) + QLatin1Char('\n');
    return text;
}
