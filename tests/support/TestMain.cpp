#include "files/SafeFile.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Widgets, queued signals and timers need an application object; tests run offscreen, and
// with a home folder of their own, so that no test reads or writes the real settings.
int main(int argc, char *argv[])
{
    SafeFile::refuseWritesPastSizeLimit(); // as the program starts
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
