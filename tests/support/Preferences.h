#pragma once

#include "settings/modPreferences.h"

#include <QDir>

// The preferences as a fresh installation has them: no settings folder at all.
inline void forgetPreferences()
{
    QDir(modPreferences::GetSettingsFolder()).removeRecursively();
}

// A preferences file that remembers these devices, as an earlier run would have left it.
inline void rememberDevices(
    std::int16_t input, std::int16_t output, QString inputName = {}, QString outputName = {})
{
    forgetPreferences();
    QDir().mkpath(modPreferences::GetSettingsFolder());
    RememberedState state;
    state.input = {input, inputName};
    state.output = {output, outputName};
    modPreferences::SaveDeviceSettings(state);
}
