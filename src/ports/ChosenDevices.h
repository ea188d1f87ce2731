#pragma once

#include "InputChoice.h"

#include <QString>
#include <QStringList>
#include <cstdint>

// The devices chosen in the two lists: each by its position in the list (as earlier
// versions kept it) and by name, which stays right when the positions shift; and the
// inputs watched together, the first of them also as `input`.
struct ChosenDevices
{
    struct Device
    {
        std::int16_t index = 0;
        QString name;
    };

    Device input;
    Device output;
    InputChoice inputs;
    // The input ports of other programs tapped, by the names the output list shows.
    QStringList taps;
};
