#pragma once

#include "RememberedState.h"

class ColumnFit;
class FileDialogFolders;
class HiddenMessages;
class RecentFilesMenu;
class ViewControls;

// The parts of the window whose state lasts from run to run beside the devices and the
// filter: given back from the remembered state when the window opens, gathered into it when
// the window closes.
struct WindowMemory
{
    ViewControls &view;
    RecentFilesMenu &recentFiles;
    ColumnFit &columns;
    FileDialogFolders &folders;
    HiddenMessages &hiddenMessages;

    void restore(const RememberedState &state) const;
    void collect(RememberedState &state) const;
};
