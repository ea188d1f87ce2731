#include "PropertyHeader.h"

#include "Mcoded7.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <zlib.h>

namespace ci {
namespace {

    // A body that inflates past this is refused rather than let fill the memory.
    constexpr std::size_t MaxInflatedSize = std::size_t(64) << 20;

    std::string textOf(const QJsonObject &object, const char *key)
    {
        const QJsonValue value = object.value(QLatin1String(key));
        if (value.isString())
            return value.toString().toStdString();
        if (value.isDouble())
            return QByteArray::number(value.toDouble()).toStdString();
        return {};
    }

    std::optional<std::vector<std::uint8_t>> inflate(std::span<const std::uint8_t> packed)
    {
        z_stream stream {};
        if (inflateInit(&stream) != Z_OK)
            return std::nullopt;
        std::vector<std::uint8_t> bytes(std::max<std::size_t>(packed.size() * 4, 256));
        stream.next_in = const_cast<Bytef *>(packed.data());
        stream.avail_in = uInt(packed.size());
        int result = Z_OK;
        while (result == Z_OK) {
            if (stream.total_out == bytes.size()) {
                if (bytes.size() >= MaxInflatedSize)
                    break;
                bytes.resize(bytes.size() * 2);
            }
            stream.next_out = bytes.data() + stream.total_out;
            stream.avail_out = uInt(bytes.size() - stream.total_out);
            result = ::inflate(&stream, Z_NO_FLUSH);
        }
        inflateEnd(&stream);
        if (result != Z_STREAM_END)
            return std::nullopt;
        bytes.resize(stream.total_out);
        return bytes;
    }

} // namespace

PropertyHeader readPropertyHeader(std::span<const std::uint8_t> header)
{
    PropertyHeader read;
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray(reinterpret_cast<const char *>(header.data()), qsizetype(header.size())));
    if (!document.isObject()) {
        read.isJson = false;
        return read;
    }
    const QJsonObject object = document.object();
    read.resource = textOf(object, "resource");
    read.resId = textOf(object, "resId");
    read.command = textOf(object, "command");
    read.encoding = textOf(object, "mutualEncoding");
    read.message = textOf(object, "message");
    if (const QJsonValue status = object.value(QLatin1String("status")); status.isDouble())
        read.status = status.toInt();
    return read;
}

DecodedBody decodeBody(std::span<const std::uint8_t> body, const std::string &encoding)
{
    if (encoding.empty() || encoding == "ASCII")
        return {std::vector<std::uint8_t>(body.begin(), body.end()), {}};
    if (encoding != "Mcoded7" && encoding != "zlib+Mcoded7")
        return {std::nullopt, "unknown encoding '" + encoding + "'"};
    auto bytes = Mcoded7::decode(body);
    if (!bytes)
        return {std::nullopt, "body is not Mcoded7"};
    if (encoding == "Mcoded7")
        return {std::move(bytes), {}};
    auto inflated = inflate(*bytes);
    if (!inflated)
        return {std::nullopt, "zlib data damaged"};
    return {std::move(inflated), {}};
}

} // namespace ci
