#include "CaptureMemorySettings.h"

#include "ini/cInifile.h"

#include <limits>
#include <optional>

namespace {

const QString Section = QStringLiteral("Capture Memory");
const QString RowsKey = QStringLiteral("LimitRows");
const QString MinutesKey = QStringLiteral("LimitMinutes");

std::optional<std::uint64_t> wholeNumber(const QString &text, std::uint64_t largest)
{
    bool number = false;
    const qulonglong value = text.trimmed().toULongLong(&number);
    return number && value <= largest ? std::optional(std::uint64_t(value)) : std::nullopt;
}

} // namespace

namespace CaptureMemorySettings {

CaptureLimit read(cInifile &ini)
{
    ini.setSection(Section);
    const auto value = [&](const QString &key) {
        ini.setKey(key);
        return ini.Value();
    };
    CaptureLimit limit;
    limit.rows = wholeNumber(value(RowsKey), std::numeric_limits<std::uint64_t>::max())
                     .value_or(limit.rows);
    limit.minutes
        = std::uint32_t(wholeNumber(value(MinutesKey), std::numeric_limits<std::uint32_t>::max())
                            .value_or(limit.minutes));
    return limit;
}

QString write(cInifile &ini, const CaptureLimit &limit)
{
    ini.setSection(Section);
    for (const auto &[key, value] : {std::pair(RowsKey, QString::number(limit.rows)),
             std::pair(MinutesKey, QString::number(limit.minutes))}) {
        ini.setKey(key);
        ini.setValue(value);
        if (!ini.Success())
            return ini.LastErrorText();
    }
    return {};
}

} // namespace CaptureMemorySettings
