#include "MessageDecoding.h"

#include <QJsonDocument>

namespace MessageDecoding {
namespace {

    // A body that is not JSON is shown as it came, so that a faulty one can still be read.
    QString prettyJson(const QByteArray &body)
    {
        const QJsonDocument document = QJsonDocument::fromJson(body);
        return document.isNull() ? QString::fromUtf8(body)
                                 : QString::fromUtf8(document.toJson(QJsonDocument::Indented));
    }

} // namespace

QStringList lines(const QList<Cell> &cells, const QStringList &details, qsizetype byteCount,
    const std::optional<QByteArray> &body)
{
    QStringList result;
    for (const Cell &cell : cells)
        if (!cell.text.isEmpty())
            result.append(cell.title + QStringLiteral(": ") + cell.text);
    result.append(QStringLiteral("Bytes: %1").arg(byteCount));
    result += details;
    if (body)
        result += QStringLiteral("Body:\n") + prettyJson(*body).trimmed();
    return result;
}

std::optional<QByteArray> propertyExchangeBody(const QByteArray &)
{
    return std::nullopt;
}

} // namespace MessageDecoding
