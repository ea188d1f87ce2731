#include "support/LoopbackWindow.h"

#include <QCheckBox>
#include <QScreen>
#include <gtest/gtest.h>

// Run with a scale factor that makes the screen smaller than the designed window (the
// offscreen screen is 800 x 600; at scale 2 it holds 400 x 300).
TEST(ScaledLayout, EveryControlStaysOnTheScreen)
{
    ASSERT_GE(qEnvironmentVariableIntValue("QT_SCALE_FACTOR"), 2) << "meant for a large scale";
    LoopbackWindow w;
    const QRect screen = w.window->screen()->availableGeometry();
    EXPECT_LE(w.window->minimumWidth(), screen.width());
    EXPECT_LE(w.window->minimumHeight(), screen.height());
    EXPECT_LE(w.window->width(), screen.width());
    const QRect client = w.window->centralWidget()->rect();
    int shown = 0;
    for (QWidget *control :
        w.window->centralWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (control->isHidden())
            continue;
        ++shown;
        EXPECT_TRUE(client.contains(control->geometry())) << control->objectName().toStdString();
    }
    EXPECT_GE(shown, 14) << "all but the notices and the rate box";
    auto *repeat = w.find<QCheckBox>("chkRepeat");
    EXPECT_GE(repeat->width(), repeat->sizeHint().width()) << "\"Repeat\" is never cut";
}
