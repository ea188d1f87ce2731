#include "settings/CaptureMemory.h"

#include "capture/CaptureDocument.h"
#include "support/Files.h"
#include "support/Preferences.h"
#include "support/ScriptedDialogs.h"

#include <QAction>
#include <QMenu>
#include <gtest/gtest.h>

// The limit chosen applies at once and is saved in a section of its own; Cancel keeps it.
TEST(CaptureMemory, TheLimitChosenAppliesAtOnceAndIsRememberedInItsOwnSection)
{
    forgetPreferences();
    ScriptedDialogs dialogs;
    QMenu view;
    CaptureDocument document;
    CaptureMemory memory(view, document, dialogs);
    EXPECT_EQ(document.limit(), CaptureLimit {}) << "100 million rows, no minutes";
    const CaptureLimit chosen {5'000, 30};
    for (const auto answer : {std::optional(chosen), std::optional<CaptureLimit>()}) {
        dialogs.nextMemoryLimit = answer;
        view.findChild<QAction *>(QStringLiteral("mnuMemoryLimit"))->trigger();
        EXPECT_EQ(document.limit(), chosen);
    }
    EXPECT_EQ(readFile(modPreferences::preferencesFile()),
        "[Capture Memory]\r\nLimitRows=5000\r\nLimitMinutes=30\r\n");
    EXPECT_EQ(modPreferences::LoadCaptureLimit(), chosen);
}
