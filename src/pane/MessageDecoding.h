#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// The decoding of one row for the message pane, one field a line: the row's cells by their
// titles, then its Details words one a line, then a Property Exchange body pretty-printed
// where the message carries one.
namespace MessageDecoding {

struct Cell
{
    QString title;
    QString text;
};

// `body` is the JSON of a Property Exchange message, when it carries one.
QStringList lines(const QList<Cell> &cells, const QStringList &details, qsizetype byteCount,
    const std::optional<QByteArray> &body);

// The JSON body of a Property Exchange message, put back together and decoded; nothing for
// any other message. Here is where the MIDI-CI decoding is to hand the body to the pane:
// until it does, no message gives one.
std::optional<QByteArray> propertyExchangeBody(const QByteArray &bytes);

} // namespace MessageDecoding
