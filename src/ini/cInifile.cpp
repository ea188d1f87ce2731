#include "cInifile.h"

#include "ProfileString.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace {

constexpr int ValueBufferSize = 255;
constexpr int ListBufferSize = 8192;

ProfileString::Text bytesOf(const std::optional<QString> &text)
{
    return text ? ProfileString::Text(text->toLocal8Bit()) : std::nullopt;
}

QString pathOf(const std::optional<QString> &path)
{
    return path.value_or(QString());
}

// Splits a NUL-separated list; text after the last NUL is a cut name and is left out.
QStringList splitNames(const QString &list, bool keepEmpty)
{
    QStringList names = list.split(QChar(u'\0'));
    names.removeLast();
    if (!keepEmpty)
        names.removeAll(QString());
    return names;
}

double roundHalfEven(double value)
{
    return std::nearbyint(value); // the default rounding mode rounds a tie to even
}

bool fitsInt32(double value)
{
    return value >= std::numeric_limits<std::int32_t>::min()
        && value <= std::numeric_limits<std::int32_t>::max();
}

// A placement that cannot be carried out in 32-bit twips.
struct PlacementOutOfRange
{ };

std::int32_t checked(double value)
{
    const double rounded = roundHalfEven(value);
    if (!fitsInt32(rounded))
        throw PlacementOutOfRange {};
    return std::int32_t(rounded);
}

} // namespace

std::optional<double> decimalNumber(const QString &text, NumberAt where)
{
    static const QRegularExpression number(
        QStringLiteral("^\\s*([+-]?(\\d+(\\.\\d*)?|\\.\\d+))(\\s*$)?"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch() || (where == NumberAt::WholeText && match.capturedStart(4) < 0))
        return std::nullopt;
    return match.captured(1).toDouble();
}

QString cInifile::Value() const
{
    QByteArray buffer(ValueBufferSize, '\0');
    const int count = ProfileString::read(
        bytesOf(m_section), bytesOf(m_key), bytesOf(m_default), buffer, pathOf(m_path));
    return QString::fromLocal8Bit(buffer.left(count));
}

void cInifile::setValue(const QString &sValue)
{
    QString value = sValue;
    value.remove(QChar(u'\0'));
    write(m_key, value);
}

void cInifile::DeleteKey()
{
    write(m_key, std::nullopt);
}

void cInifile::DeleteSection()
{
    write(std::nullopt, std::nullopt);
}

void cInifile::write(const std::optional<QString> &key, const std::optional<QString> &value)
{
    m_lastError.clear();
    const bool done = ProfileString::write(
        bytesOf(m_section), bytesOf(key), bytesOf(value), pathOf(m_path), &m_lastError);
    m_lastReturnCode = done ? 1 : 0;
}

QString cInifile::readList(bool sectionNames) const
{
    QByteArray buffer(ListBufferSize, '\0');
    const int count = ProfileString::read(sectionNames ? std::nullopt : bytesOf(m_section),
        std::nullopt, bytesOf(m_default), buffer, pathOf(m_path));
    return QString::fromLocal8Bit(buffer.left(count));
}

QString cInifile::INISection() const
{
    return readList(false);
}

QString cInifile::Sections() const
{
    return readList(true);
}

void cInifile::EnumerateCurrentSection(QStringList &sKey, std::int32_t &iCount) const
{
    sKey = splitNames(INISection(), true);
    iCount = std::int32_t(sKey.size());
}

void cInifile::EnumerateAllSections(QStringList &sSections, std::int32_t &iCount) const
{
    sSections = splitNames(Sections(), false);
    iCount = std::int32_t(sSections.size());
}

std::int32_t cInifile::CLngDefault(const QString &sString, std::int32_t lDefault)
{
    const std::optional<double> number = decimalNumber(sString, NumberAt::WholeText);
    if (!number)
        return lDefault;
    const double value = roundHalfEven(*number);
    return fitsInt32(value) ? std::int32_t(value) : lDefault;
}

void cInifile::SaveFormPosition(const FormWindow &frmThis)
{
    const std::optional<QString> savedKey = m_key;
    const int state = frmThis.WindowState();
    if (state != FormWindow::Minimised) {
        auto store = [this](const char *key, const QString &value) {
            m_key = QString::fromLatin1(key);
            setValue(value);
        };
        store("Maximised",
            state == FormWindow::Maximised ? QStringLiteral("1") : QStringLiteral("0"));
        if (state != FormWindow::Maximised) {
            store("Left", QString::number(frmThis.Left(), 'g', 15));
            store("Top", QString::number(frmThis.Top(), 'g', 15));
            store("Width", QString::number(frmThis.Width(), 'g', 15));
            store("Height", QString::number(frmThis.Height(), 'g', 15));
        }
    }
    m_key = savedKey;
}

void cInifile::LoadFormPosition(
    FormWindow &frmThis, const ScreenTwips &screen, std::int32_t lMinWidth, std::int32_t lMinHeight)
{
    const std::optional<QString> savedKey = m_key;
    const std::optional<QString> savedDefault = m_default;
    m_default = QStringLiteral("FAIL");
    auto stored = [this](const char *key, double current) {
        m_key = QString::fromLatin1(key);
        return std::int64_t(CLngDefault(Value(), checked(current)));
    };
    try {
        const std::int64_t mx = checked(4 * screen.twipsPerPixelX);
        const std::int64_t my = checked(4 * screen.twipsPerPixelY);
        const std::int64_t screenWidth = checked(screen.width);
        const std::int64_t screenHeight = checked(screen.height);
        std::int64_t left = stored("Left", frmThis.Left());
        std::int64_t top = stored("Top", frmThis.Top());
        std::int64_t width = std::max<std::int64_t>(stored("Width", frmThis.Width()), lMinWidth);
        std::int64_t height
            = std::max<std::int64_t>(stored("Height", frmThis.Height()), lMinHeight);
        // Keeps a span inside [margin, extent - margin] where it can.
        auto fit = [](std::int64_t &start, std::int64_t &length, std::int64_t extent,
                       std::int64_t margin) {
            start = std::max(start, margin);
            if (start + length > extent - margin) {
                start = std::max(extent - margin - length, margin);
                if (start + length > extent - margin)
                    length = extent - start - margin;
            }
        };
        fit(left, width, screenWidth, mx);
        fit(top, height, screenHeight, my);
        for (std::int64_t sum : {left + width, top + height})
            checked(double(sum));
        if (width >= lMinWidth && height >= lMinHeight)
            frmThis.Move(double(left), double(top), double(width), double(height));
        m_key = QStringLiteral("Maximised");
        if (CLngDefault(Value(), 0) != 0)
            frmThis.setWindowState(FormWindow::Maximised);
    } catch (const PlacementOutOfRange &) {
        m_lastReturnCode = 0;
    }
    m_key = savedKey;
    m_default = savedDefault;
}
