#include "modPreferences.h"

#include "cInifile.h"
#include "main/DialogService.h"
#include "main/modGlobals.h"
#include "modGetPaths.h"

#include <QRegularExpression>
#include <cmath>
#include <stdexcept>

using modFilter::FilterItem;

namespace modPreferences {
namespace {

    const QString DevicesSection = QStringLiteral("MIDI I/O");
    const QString FilterSection = QStringLiteral("Filter");

    // The order in which a new "Filter" section gets its keys.
    constexpr FilterItem SaveOrder[] = {
        FilterItem::Channel1,
        FilterItem::Channel2,
        FilterItem::Channel3,
        FilterItem::Channel4,
        FilterItem::Channel5,
        FilterItem::Channel6,
        FilterItem::Channel7,
        FilterItem::Channel8,
        FilterItem::Channel9,
        FilterItem::Channel10,
        FilterItem::Channel11,
        FilterItem::Channel12,
        FilterItem::Channel13,
        FilterItem::Channel14,
        FilterItem::Channel15,
        FilterItem::Channel16,
        FilterItem::ActiveSense,
        FilterItem::ChannelAftertouch,
        FilterItem::KeyAftertouch,
        FilterItem::NoteOff,
        FilterItem::NoteOn,
        FilterItem::PitchBend,
        FilterItem::ProgramChange,
        FilterItem::SystemCommon,
        FilterItem::SystemExclusive,
        FilterItem::SystemRealTime,
        FilterItem::ControlChange,
    };

    // The one instance, alive from first use to exit.
    cInifile &PreferencesIni()
    {
        static cInifile ini;
        ini.setPath(preferencesFile());
        return ini;
    }

    QStringList keysOf(cInifile &ini, const QString &section)
    {
        ini.setSection(section);
        QStringList keys;
        std::int32_t count = 0;
        ini.EnumerateCurrentSection(keys, count);
        return keys;
    }

    void loadDevices(cInifile &ini)
    {
        for (const QString &key : keysOf(ini, DevicesSection)) {
            ini.setKey(key);
            if (key == QLatin1String("Input"))
                modGlobals::InputDeviceIndex = readDeviceIndex(ini.Value());
            else if (key == QLatin1String("Output"))
                modGlobals::OutputDeviceIndex = readDeviceIndex(ini.Value());
        }
    }

    void loadFilter(cInifile &ini, const std::function<void(FilterItem, bool)> &setCheck)
    {
        for (const QString &key : keysOf(ini, FilterSection)) {
            for (FilterItem item : SaveOrder) {
                if (key == filterKey(item)) {
                    ini.setKey(key);
                    setCheck(item, readCheckMark(ini.Value()));
                }
            }
        }
    }

} // namespace

QString GetSettingsFolder()
{
    return modGetPaths::GetSpecialFolderPath(modGetPaths::ApplicationDataFolder) + u'/'
        + CompanyFolder + u'/' + ProductName;
}

QString preferencesFile()
{
    return GetSettingsFolder() + u'/' + FileName;
}

QString filterKey(FilterItem item)
{
    return QString::fromLatin1(modFilter::itemInfo(item).objectName).mid(3); // without "mnu"
}

std::int16_t readDeviceIndex(const QString &text)
{
    static const QRegularExpression leadingNumber(
        QStringLiteral("^\\s*([+-]?(\\d+(\\.\\d*)?|\\.\\d+))"));
    const QRegularExpressionMatch match = leadingNumber.match(text);
    if (!match.hasMatch())
        return 0;
    const double value = std::nearbyint(match.captured(1).toDouble());
    if (value < INT16_MIN || value > INT16_MAX)
        throw std::runtime_error("a device index in the preferences does not fit 16 bits");
    return std::int16_t(value);
}

bool readCheckMark(const QString &text)
{
    if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    static const QRegularExpression number(
        QStringLiteral("^\\s*[+-]?(\\d+(\\.\\d*)?|\\.\\d+)\\s*$"));
    if (!number.match(text).hasMatch())
        throw std::runtime_error("a filter setting in the preferences is neither True nor False");
    return text.trimmed().toDouble() != 0;
}

void LoadPreferences(const std::function<void(FilterItem, bool)> &setCheck)
{
    cInifile &ini = PreferencesIni();
    QStringList sections;
    std::int32_t count = 0;
    ini.EnumerateAllSections(sections, count);
    modGlobals::InputDeviceIndex = 0;
    modGlobals::OutputDeviceIndex = 0;
    for (const QString &section : sections) {
        if (section == DevicesSection)
            loadDevices(ini);
        else if (section == FilterSection)
            loadFilter(ini, setCheck);
    }
    modGetPaths::CreateFolderPath(GetSettingsFolder());
}

void SaveDeviceSettings()
{
    cInifile &ini = PreferencesIni();
    ini.setSection(DevicesSection);
    ini.setKey(QStringLiteral("Input"));
    ini.setValue(QString::number(modGlobals::InputDeviceIndex));
    ini.setKey(QStringLiteral("Output"));
    ini.setValue(QString::number(modGlobals::OutputDeviceIndex));
}

void SaveFilterSettings(const modFilter::FilterChecks &checks, DialogService &dialogs)
{
    cInifile &ini = PreferencesIni();
    try {
        modGetPaths::CreateFolderPath(GetSettingsFolder());
    } catch (const std::exception &) {
        // The write below fails too and says why.
    }
    ini.setSection(FilterSection);
    for (FilterItem item : SaveOrder) {
        ini.setKey(filterKey(item));
        ini.setValue(
            modFilter::isChecked(checks, item) ? QStringLiteral("True") : QStringLiteral("False"));
        if (!ini.Success()) {
            dialogs.showMessage(
                QStringLiteral("The filter settings could not be saved to \"%1\": %2")
                    .arg(preferencesFile(), ini.LastErrorText()),
                DialogService::ApplicationTitle, DialogService::Icon::Exclamation);
            return;
        }
    }
    dialogs.showMessage(QStringLiteral("MIDI Filter Settings Saved"));
}

} // namespace modPreferences
