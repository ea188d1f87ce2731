#pragma once

#include "support/Preferences.h"
#include "support/TestWindow.h"

// The main window, shown offscreen, started on the loopback device; what the test sends on
// the window's output arrives on its input.
struct LoopbackWindow : TestWindow
{
    enum class Preferences { Fresh, AsStored };

    explicit LoopbackWindow(
        Preferences preferences = Preferences::Fresh, MessageQueue::Bounds queueBounds = {})
    {
        if (preferences == Preferences::Fresh)
            forgetPreferences();
        create(PortSystem::createLoopbackOnly(), queueBounds);
        start();
    }
};
