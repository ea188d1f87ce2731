#include "WindowMemory.h"

#include "filemenu/RecentFilesMenu.h"
#include "files/FileDialogFolders.h"
#include "filter/HiddenMessages.h"
#include "grid/ColumnFit.h"
#include "grid/ViewControls.h"

void WindowMemory::restore(const RememberedState &state) const
{
    recentFiles.setFiles(state.recentFiles);
    columns.setUserWidths(state.columnWidths);
    folders.setAll(state.folders);
    hiddenMessages.setTexts(state.hiddenPatterns);
}

void WindowMemory::collect(RememberedState &state) const
{
    state.view = view.settings();
    state.recentFiles = recentFiles.files();
    state.columnWidths = columns.userWidths();
    state.folders = folders.all();
    state.hiddenPatterns = hiddenMessages.texts();
}
