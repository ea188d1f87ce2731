#include "WindowMemory.h"

#include "filemenu/RecentFilesMenu.h"
#include "files/FileDialogFolders.h"
#include "grid/ColumnFit.h"
#include "grid/ViewControls.h"

void WindowMemory::restore(const RememberedState &state) const
{
    recentFiles.setFiles(state.recentFiles);
    columns.setUserWidths(state.columnWidths);
    folders.setAll(state.folders);
}

void WindowMemory::collect(RememberedState &state) const
{
    state.view = view.settings();
    state.recentFiles = recentFiles.files();
    state.columnWidths = columns.userWidths();
    state.folders = folders.all();
}
