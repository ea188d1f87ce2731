#pragma once

#include "filter/modFilter.h"
#include "grid/ViewSettings.h"
#include "ports/ChosenDevices.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <cstdint>

// What Lumetra remembers from run to run, as one value the main window owns: the chosen
// devices, by their positions in the lists (as earlier versions kept them) and by name,
// which stays right when the positions shift; the inputs watched together, the first of
// them also as `input`, which is all that earlier versions read; the filter's check marks;
// the View choices; the files last opened, newest first; the grid's column widths that the
// user set; the folder each file dialog was last left in; the patterns of the messages
// hidden.
struct RememberedState : ChosenDevices
{
    modFilter::FilterChecks filter;
    ViewSettings view;
    QStringList recentFiles;
    QMap<QString, int> columnWidths; // by column name, in pixels
    QMap<QString, QString> folders; // by dialog name
    QStringList hiddenPatterns; // Filter > "Hide Messages Like...", a pattern each
};
