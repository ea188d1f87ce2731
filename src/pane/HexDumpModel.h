#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <QString>

// A message's bytes as the lines of a hex dump, 16 bytes a line after the offset of the first:
// a line's text is made only when a view asks for it, so that a dump of many megabytes shows
// at once and costs only the lines in sight.
class HexDumpModel : public QAbstractListModel
{
    Q_OBJECT

public:
    static constexpr int BytesPerLine = 16;

    using QAbstractListModel::QAbstractListModel;

    void setBytes(const QByteArray &bytes);
    const QByteArray &bytes() const { return m_bytes; }

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    // "00000010  F7 00 ..." for line `line` of `bytes`.
    static QString lineText(const QByteArray &bytes, qsizetype line);
    // Every line, each ended by a newline: what Copy puts on the clipboard.
    static QString wholeText(const QByteArray &bytes);

private:
    QByteArray m_bytes;
};
