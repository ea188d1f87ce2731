#include "CiReport.h"

#include "ci/CiWords.h"
#include "ci/PropertyHeader.h"
#include "decode/ManufacturerNames.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace CiReport {
namespace {

    QString text(const std::string &text)
    {
        return QString::fromStdString(text);
    }

    // "0ABCDEF": the 28 bits in hex, as a person types them back.
    QString muidJson(std::uint32_t muid)
    {
        return QString::number(muid, 16).toUpper().rightJustified(7, QLatin1Char('0'));
    }

    QJsonArray categoryNames(std::uint8_t categories)
    {
        constexpr const char *names[]
            = {nullptr, "protocol negotiation", "profiles", "property exchange", "process inquiry"};
        QJsonArray named;
        for (std::size_t bit = 1; bit < std::size(names); ++bit)
            if (categories & (1u << bit))
                named.append(QLatin1String(names[bit]));
        return named;
    }

    QJsonObject identityJson(const CiRun::Responder &responder)
    {
        const ci::Identity &identity = responder.identity;
        const auto name = ManufacturerNames::ofPadded(identity.manufacturer);
        QJsonObject object {
            {"muid", muidJson(responder.muid)},
            {"manufacturer", text(ci::hexText(identity.manufacturer))},
            {"manufacturer_name", name ? text(std::string(*name)) : QString()},
            {"family", identity.family},
            {"model", identity.model},
            {"version", text(ci::hexText(identity.version))},
            {"categories", categoryNames(identity.categories)},
            {"max_sysex_size", qint64(identity.maxSysExSize)},
        };
        if (identity.functionBlock)
            object.insert("function_block", *identity.functionBlock);
        return object;
    }

    QByteArray bytesOf(const std::vector<std::uint8_t> &bytes)
    {
        return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
    }

} // namespace

QString discoveryText(const std::vector<CiRun::Responder> &responders)
{
    QString lines;
    for (const CiRun::Responder &responder : responders)
        lines += text(ci::muidText(responder.muid) + ": "
            + ci::identityText(responder.identity, ManufacturerNames::ofPadded) + '\n');
    return lines;
}

QString discoveryJson(const std::vector<CiRun::Responder> &responders)
{
    QJsonArray array;
    for (const CiRun::Responder &responder : responders)
        array.append(identityJson(responder));
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact)) + '\n';
}

QString propertyText(const CiRun::PropertyReply &reply)
{
    const QString body = QString::fromUtf8(bytesOf(reply.body));
    return body.endsWith(QLatin1Char('\n')) ? body : body + QLatin1Char('\n');
}

QString propertyJson(const CiRun::PropertyReply &reply, const QString &resource)
{
    const QByteArray header(reply.header.data(), qsizetype(reply.header.size()));
    QJsonParseError error;
    const QJsonDocument body = QJsonDocument::fromJson(bytesOf(reply.body), &error);
    QJsonObject object {
        {"muid", muidJson(reply.muid)},
        {"resource", resource},
        {"header", QJsonDocument::fromJson(header).object()},
    };
    if (error.error == QJsonParseError::NoError)
        object.insert("body", body.isArray() ? QJsonValue(body.array()) : body.object());
    else
        object.insert("body", QString::fromUtf8(bytesOf(reply.body)));
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) + '\n';
}

QString statusFailure(const CiRun::PropertyReply &reply)
{
    const auto header = ci::readPropertyHeader(std::span(
        reinterpret_cast<const std::uint8_t *>(reply.header.data()), reply.header.size()));
    if (!header.status || (*header.status >= 200 && *header.status < 300))
        return {};
    QString reason
        = QStringLiteral("The device answered the Get with status %1").arg(*header.status);
    if (!header.message.empty())
        reason += QStringLiteral(": %1").arg(text(header.message));
    return reason + QLatin1Char('.');
}

} // namespace CiReport
