#pragma once

#include "RememberedState.h"
#include "capture/CaptureLimit.h"

#include <QString>
#include <cstdint>

class DialogService;
class FormWindow;
struct ScreenTwips;

// The preferences file: the chosen devices and the filter's check marks.
namespace modPreferences {

const QString CompanyFolder = QStringLiteral("Quillfeather Audio");
const QString ProductName = QStringLiteral("Lumetra");
const QString FileName = QStringLiteral("Lumetra.ini");

QString GetSettingsFolder();
QString preferencesFile();
// Why the preferences file cannot be used (it is no regular file, or far too large), with
// what Lumetra does about it; empty when it is fine or not there yet.
QString fileProblem();

// Reads the devices, the check marks and the files last opened into `state` (the devices start from
// none; a check mark the file does not hold is left as it is), then creates the settings folder.
// Throws std::runtime_error on a value it cannot read; what was read before stays set.
void LoadPreferences(RememberedState &state);
// Remembers the devices for the next run; why that failed, or an empty text.
QString SaveDeviceSettings(const RememberedState &state);
// Stores the check marks and says whether that worked.
void SaveFilterSettings(const modFilter::FilterChecks &checks, DialogService &dialogs);

// The View menu's choices, in a section of their own; a value the file does not hold, or
// one it holds wrongly, leaves the default.
ViewSettings LoadViewSettings();
// Why saving them failed, or an empty text.
QString SaveViewSettings(const ViewSettings &settings);

// The capture's memory limit, in a section of its own (see CaptureMemorySettings).
CaptureLimit LoadCaptureLimit();
// Why saving it failed, or an empty text (also when start-up already said the file is left
// alone).
QString SaveCaptureLimit(const CaptureLimit &limit);

// The main window's place and size, in a section of their own, fitted to the screen; a first
// start leaves the window as it is.
void LoadWindowPlace(
    FormWindow &window, const ScreenTwips &screen, int minWidthTwips, int minHeightTwips);
QString SaveWindowPlace(const FormWindow &window);

// Saves the devices, the View choices, the files last opened, the column widths, the
// dialogs' folders and the window's place; what to tell the user when that
// failed, or an empty text (also when start-up already said the file is left alone).
QString SaveAtExit(const RememberedState &state, const FormWindow &window);

// The key under which the preferences file keeps a filter item.
QString filterKey(modFilter::FilterItem item);
// A device index as the file holds it: the leading number of the text, rounded; 0 without
// one; throws when it does not fit 16 bits.
std::int16_t readDeviceIndex(const QString &text);
// True/False in any letter case, or a number (0 unchecked); throws on anything else.
bool readCheckMark(const QString &text);

} // namespace modPreferences
