#pragma once

#include <QStringList>

// The inputs the user chose to watch, by the names the lists show: one, several, or every
// input there is, followed as inputs come and go.
struct InputChoice
{
    QStringList names; // in the order chosen; the first is the one the "MIDI In" list shows
    bool all = false;

    bool isSeveral() const { return all || names.size() > 1; }
    bool operator==(const InputChoice &) const = default;
};
