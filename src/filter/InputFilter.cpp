#include "InputFilter.h"

#include "ports/InputSet.h"

namespace modFilter {

bool applyTo(InputSet &inputs, const FilterChecks &checks, const QStringList &hiddenSources)
{
    inputs.setWithheld(hiddenSources);
    bool filtering = false;
    UpdateFilter(checks,
        {[&inputs](int status, bool withhold) { inputs.setStatusFilter(status, withhold); },
            [&filtering](bool visible) { filtering = visible; }});
    return filtering || !hiddenSources.isEmpty();
}

} // namespace modFilter
