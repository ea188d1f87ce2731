#include "modPreferences.h"

#include "CaptureMemorySettings.h"
#include "files/modGetPaths.h"
#include "frame/DialogService.h"
#include "ini/ProfileString.h"
#include "ini/cInifile.h"

#include <QVariant>
#include <algorithm>
#include <cmath>
#include <optional>
#include <span>
#include <stdexcept>
#include <vector>

using modFilter::FilterItem;

namespace modPreferences {
namespace {

    const QString DevicesSection = QStringLiteral("MIDI I/O");
    const QString FilterSection = QStringLiteral("Filter");
    const QString ViewSection = QStringLiteral("View");
    const QString RecentSection = QStringLiteral("Recent Files");
    const QString WindowSection = QStringLiteral("Window");
    const QString ColumnsSection = QStringLiteral("Grid Columns");
    const QString FoldersSection = QStringLiteral("Folders");
    const QString HiddenSection = QStringLiteral("Hidden Messages");
    const QString HiddenCountKey = QStringLiteral("Count");
    const QString HiddenPatternKey = QStringLiteral("Pattern");
    constexpr int MostHiddenPatterns = 64;
    const QString TapsSection = QStringLiteral("Taps");
    const QString TapCountKey = QStringLiteral("Count");
    const QString TapPortKey = QStringLiteral("Port");
    constexpr int MostTaps = 64;
    // Wider than any screen: a width past it was not set by a hand.
    constexpr int WidestColumn = 20000;

    // The forms of the time column as the file names them, in the order of the enum. A
    // version that does not know a name keeps its default.
    const QString TimeNames[] = {QStringLiteral("SinceStart"), QStringLiteral("TimeOfDay"),
        QStringLiteral("Delta"), QStringLiteral("Seconds")};

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
        // A repeated key reads as its first anyway, and each read goes through the whole file:
        // a file of one key repeated thousands of times would otherwise stall the start-up.
        keys.removeDuplicates();
        return keys;
    }

    QString checkMarkText(bool checked)
    {
        return checked ? QStringLiteral("True") : QStringLiteral("False");
    }

    // A check mark the file does not hold, or holds wrongly, leaves the default.
    bool checkMarkOr(const QString &text, bool fallback)
    {
        try {
            return readCheckMark(text);
        } catch (const std::runtime_error &) {
            return fallback;
        }
    }

    // Of the watched inputs, the file's count says how many of the numbered keys count: a
    // longer list saved before leaves keys behind.
    constexpr int MostWatchedInputs = 256;
    const QString WatchedInputsKey = QStringLiteral("WatchedInputs");
    const QString WatchedInputKey = QStringLiteral("WatchedInput");
    const QString WatchAllKey = QStringLiteral("WatchAllInputs");

    // The values of the keys "<name>1" to "<name>N" that the key `countKey` counts, up to
    // `most`; a key missing or empty is passed over.
    QStringList readNumberedKeys(cInifile &ini, const QStringList &keys, const QString &countKey,
        const QString &name, int most)
    {
        const auto value = [&](const QString &key) {
            ini.setKey(key);
            return keys.contains(key) ? ini.Value() : QString();
        };
        QStringList values;
        const int count = std::clamp(value(countKey).toInt(), 0, most);
        for (int i = 1; i <= count; ++i)
            if (const QString read = value(name + QString::number(i)); !read.isEmpty())
                values << read;
        return values;
    }

    void appendNumberedKeys(std::vector<std::pair<QString, QString>> &keys, const QString &countKey,
        const QString &name, const QStringList &values)
    {
        keys.emplace_back(countKey, QString::number(values.size()));
        for (qsizetype i = 0; i < values.size(); ++i)
            keys.emplace_back(name + QString::number(i + 1), values[i]);
    }

    InputChoice readInputChoice(cInifile &ini, const QStringList &keys)
    {
        InputChoice choice;
        choice.names
            = readNumberedKeys(ini, keys, WatchedInputsKey, WatchedInputKey, MostWatchedInputs);
        ini.setKey(WatchAllKey);
        choice.all = checkMarkOr(keys.contains(WatchAllKey) ? ini.Value() : QString(), false);
        return choice;
    }

    constexpr int MostRecentFiles = 10;
    const QString RecentCountKey = QStringLiteral("Count");
    const QString RecentFileKey = QStringLiteral("File");

    void loadDevices(cInifile &ini, RememberedState &state)
    {
        const QStringList keys = keysOf(ini, DevicesSection);
        state.inputs = readInputChoice(ini, keys);
        for (const QString &key : keys) {
            ini.setKey(key);
            if (key == QLatin1String("Input"))
                state.input.index = readDeviceIndex(ini.Value());
            else if (key == QLatin1String("Output"))
                state.output.index = readDeviceIndex(ini.Value());
            else if (key == QLatin1String("InputName"))
                state.input.name = ini.Value();
            else if (key == QLatin1String("OutputName"))
                state.output.name = ini.Value();
        }
    }

    void loadFilter(cInifile &ini, modFilter::FilterChecks &checks)
    {
        for (const QString &key : keysOf(ini, FilterSection)) {
            for (FilterItem item : modFilter::UpdateOrder()) {
                if (key == filterKey(item)) {
                    ini.setKey(key);
                    checks.set(std::size_t(item), readCheckMark(ini.Value()));
                }
            }
        }
    }

    // Every key of the section with its value; a key whose value `read` refuses is left out.
    template<typename Value>
    QMap<QString, Value> readKeyValues(
        cInifile &ini, const QString &section, std::optional<Value> (*read)(const QString &))
    {
        QMap<QString, Value> values;
        for (const QString &key : keysOf(ini, section)) {
            ini.setKey(key);
            if (const std::optional<Value> value = read(ini.Value()))
                values.insert(key, *value);
        }
        return values;
    }

    std::optional<int> columnWidth(const QString &text)
    {
        bool number = false;
        const int width = text.toInt(&number);
        return number && width > 0 && width <= WidestColumn ? std::optional(width) : std::nullopt;
    }

    std::optional<QString> folder(const QString &text)
    {
        return text.isEmpty() ? std::nullopt : std::optional(text);
    }

    // A write that still fails says why.
    void makeSettingsFolder()
    {
        try {
            modGetPaths::CreateFolderPath(GetSettingsFolder());
        } catch (const std::exception &) { }
    }

    // Writes the keys in order, up to the first that fails; why it failed, or an empty text.
    QString writeKeys(const QString &section, std::span<const std::pair<QString, QString>> keys)
    {
        cInifile &ini = PreferencesIni();
        ini.setSection(section);
        for (const auto &[key, value] : keys) {
            ini.setKey(key);
            ini.setValue(value);
            if (!ini.Success())
                return ini.LastErrorText();
        }
        return {};
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

QString fileProblem()
{
    const QString problem = ProfileString::fileProblem(preferencesFile());
    return problem.isEmpty() ? QString()
                             : problem
            + QStringLiteral(" Lumetra starts with its default settings and leaves the file "
                             "alone.");
}

QString filterKey(FilterItem item)
{
    return QString::fromLatin1(modFilter::itemInfo(item).objectName).mid(3); // without "mnu"
}

std::int16_t readDeviceIndex(const QString &text)
{
    const std::optional<double> number = decimalNumber(text, NumberAt::Start);
    if (!number)
        return 0;
    const double value = std::nearbyint(*number);
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
    const std::optional<double> number = decimalNumber(text, NumberAt::WholeText);
    if (!number)
        throw std::runtime_error("a filter setting in the preferences is neither True nor False");
    return *number != 0;
}

void LoadPreferences(RememberedState &state)
{
    cInifile &ini = PreferencesIni();
    QStringList sections;
    std::int32_t count = 0;
    ini.EnumerateAllSections(sections, count);
    state.input = {};
    state.output = {};
    state.inputs = {};
    state.taps = {};
    for (const QString &section : sections) {
        if (section == DevicesSection)
            loadDevices(ini, state);
        else if (section == FilterSection)
            loadFilter(ini, state.filter);
        else if (section == ColumnsSection)
            state.columnWidths = readKeyValues(ini, section, columnWidth);
        else if (section == FoldersSection)
            state.folders = readKeyValues(ini, section, folder);
        else if (section == RecentSection)
            state.recentFiles = readNumberedKeys(
                ini, keysOf(ini, RecentSection), RecentCountKey, RecentFileKey, MostRecentFiles);
        else if (section == TapsSection)
            state.taps = readNumberedKeys(
                ini, keysOf(ini, TapsSection), TapCountKey, TapPortKey, MostTaps);
        else if (section == HiddenSection)
            state.hiddenPatterns = readNumberedKeys(ini, keysOf(ini, HiddenSection), HiddenCountKey,
                HiddenPatternKey, MostHiddenPatterns);
    }
    modGetPaths::CreateFolderPath(GetSettingsFolder());
}

QString SaveDeviceSettings(const RememberedState &state)
{
    std::vector<std::pair<QString, QString>> keys = {
        {"Input", QString::number(state.input.index)},
        {"Output", QString::number(state.output.index)},
        {"InputName", state.input.name},
        {"OutputName", state.output.name},
        {WatchAllKey, checkMarkText(state.inputs.all)},
    };
    const QStringList watched = state.inputs.isSeveral() ? state.inputs.names : QStringList();
    appendNumberedKeys(keys, WatchedInputsKey, WatchedInputKey, watched.mid(0, MostWatchedInputs));
    return writeKeys(DevicesSection, keys);
}

ViewSettings LoadViewSettings()
{
    cInifile &ini = PreferencesIni();
    ini.setSection(ViewSection);
    const auto value = [&](const char *key) {
        ini.setKey(QLatin1String(key));
        return ini.Value();
    };
    ViewSettings settings;
    if (const auto time = std::ranges::find(TimeNames, value("Time")); time != std::end(TimeNames))
        settings.time = ViewSettings::Time(time - std::begin(TimeNames));
    settings.details = checkMarkOr(value("ShowDetails"), settings.details);
    if (value("MiddleC") == QLatin1String("C3"))
        settings.middleC = MessageDetails::MiddleC::C3;
    settings.source = checkMarkOr(value("ShowSource"), settings.source);
    settings.group = checkMarkOr(value("ShowGroup"), settings.group);
    settings.colourByKind = checkMarkOr(value("ColourByKind"), settings.colourByKind);
    return settings;
}

QString SaveViewSettings(const ViewSettings &settings)
{
    const std::pair<QString, QString> keys[] = {
        {"Time", TimeNames[int(settings.time)]},
        {"ShowDetails", checkMarkText(settings.details)},
        {"MiddleC",
            settings.middleC == MessageDetails::MiddleC::C3 ? QStringLiteral("C3")
                                                            : QStringLiteral("C4")},
        {"ShowSource", checkMarkText(settings.source)},
        {"ShowGroup", checkMarkText(settings.group)},
        {"ColourByKind", checkMarkText(settings.colourByKind)},
    };
    return writeKeys(ViewSection, keys);
}

CaptureLimit LoadCaptureLimit()
{
    return CaptureMemorySettings::read(PreferencesIni());
}

QString SaveCaptureLimit(const CaptureLimit &limit)
{
    makeSettingsFolder();
    const QString failure = CaptureMemorySettings::write(PreferencesIni(), limit);
    const QString file = preferencesFile();
    if (failure.isEmpty() || !ProfileString::fileProblem(file).isEmpty())
        return {};
    return QStringLiteral("The memory limit could not be saved to \"%1\": %2").arg(file, failure);
}

void LoadWindowPlace(
    FormWindow &window, const ScreenTwips &screen, int minWidthTwips, int minHeightTwips)
{
    cInifile &ini = PreferencesIni();
    QStringList sections;
    std::int32_t count = 0;
    ini.EnumerateAllSections(sections, count);
    if (!sections.contains(WindowSection))
        return;
    ini.setSection(WindowSection);
    ini.LoadFormPosition(window, screen, minWidthTwips, minHeightTwips);
}

QString SaveWindowPlace(const FormWindow &window)
{
    cInifile &ini = PreferencesIni();
    ini.setSection(WindowSection);
    ini.SaveFormPosition(window);
    return ini.Success() ? QString() : ini.LastErrorText();
}

namespace {

    // The section anew, so that a key no longer kept goes with it.
    template<typename Value>
    QString rewriteSection(const QString &section, const QMap<QString, Value> &values)
    {
        cInifile &ini = PreferencesIni();
        ini.setSection(section);
        ini.DeleteSection();
        std::vector<std::pair<QString, QString>> keys;
        for (auto value = values.cbegin(); value != values.cend(); ++value)
            keys.emplace_back(value.key(), QVariant(value.value()).toString());
        return writeKeys(section, keys);
    }

    // A section of numbered keys anew; a file of a run that kept none gets no section.
    QString rewriteNumberedSection(const QString &section, const QString &countKey,
        const QString &name, const QStringList &values)
    {
        cInifile &ini = PreferencesIni();
        ini.setSection(section);
        ini.DeleteSection();
        if (values.isEmpty())
            return {};
        std::vector<std::pair<QString, QString>> keys;
        appendNumberedKeys(keys, countKey, name, values);
        return writeKeys(section, keys);
    }

} // namespace

QString SaveAtExit(const RememberedState &state, const FormWindow &window)
{
    QString failure = SaveDeviceSettings(state);
    if (failure.isEmpty())
        failure = SaveViewSettings(state.view);
    if (failure.isEmpty() && !state.recentFiles.isEmpty()) {
        std::vector<std::pair<QString, QString>> keys;
        appendNumberedKeys(
            keys, RecentCountKey, RecentFileKey, state.recentFiles.mid(0, MostRecentFiles));
        failure = writeKeys(RecentSection, keys);
    }
    if (failure.isEmpty())
        failure = rewriteSection(ColumnsSection, state.columnWidths);
    if (failure.isEmpty())
        failure = rewriteSection(FoldersSection, state.folders);
    if (failure.isEmpty())
        failure = rewriteNumberedSection(HiddenSection, HiddenCountKey, HiddenPatternKey,
            state.hiddenPatterns.mid(0, MostHiddenPatterns));
    if (failure.isEmpty())
        failure = rewriteNumberedSection(
            TapsSection, TapCountKey, TapPortKey, state.taps.mid(0, MostTaps));
    if (failure.isEmpty())
        failure = SaveWindowPlace(window);
    const QString file = preferencesFile();
    if (failure.isEmpty() || !ProfileString::fileProblem(file).isEmpty())
        return {};
    return QStringLiteral("The settings could not be saved to \"%1\": %2").arg(file, failure);
}

void SaveFilterSettings(const modFilter::FilterChecks &checks, DialogService &dialogs)
{
    makeSettingsFolder();
    std::vector<std::pair<QString, QString>> keys;
    for (FilterItem item : modFilter::UpdateOrder())
        keys.emplace_back(filterKey(item), checkMarkText(modFilter::isChecked(checks, item)));
    if (const QString failure = writeKeys(FilterSection, keys); !failure.isEmpty()) {
        dialogs.showMessage(QStringLiteral("The filter settings could not be saved to \"%1\": %2")
                                .arg(preferencesFile(), failure),
            DialogService::ApplicationTitle, DialogService::Icon::Exclamation);
        return;
    }
    dialogs.showMessage(QStringLiteral("MIDI Filter Settings Saved"));
}

} // namespace modPreferences
