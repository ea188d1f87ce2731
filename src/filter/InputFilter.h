#pragma once

#include "modFilter.h"

#include <QStringList>

class InputSet;

namespace modFilter {

// Keeps out of the capture what the checks filter and the traffic of the hidden sources,
// on every input watched; true when anything is kept out, which the window says.
bool applyTo(InputSet &inputs, const FilterChecks &checks, const QStringList &hiddenSources);

} // namespace modFilter
