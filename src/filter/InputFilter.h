#pragma once

#include "midi/BytePattern.h"
#include "modFilter.h"

#include <QStringList>
#include <vector>

class InputSet;

namespace modFilter {

// Keeps out of the capture what the checks filter, the traffic of the hidden sources and
// the messages the patterns match, on every input watched; true when anything is kept out,
// which the window says.
bool applyTo(InputSet &inputs, const FilterChecks &checks, const QStringList &hiddenSources,
    const std::vector<BytePattern> &hiddenPatterns);

} // namespace modFilter
