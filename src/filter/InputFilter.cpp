#include "InputFilter.h"

#include "ports/InputSet.h"

namespace modFilter {

bool applyTo(InputSet &inputs, const FilterChecks &checks, const QStringList &hiddenSources,
    const std::vector<BytePattern> &hiddenPatterns)
{
    inputs.setWithheld(hiddenSources);
    inputs.setHiddenPatterns(hiddenPatterns);
    bool filtering = false;
    UpdateFilter(checks,
        {[&inputs](int status, bool withhold) { inputs.setStatusFilter(status, withhold); },
            [&filtering](bool visible) { filtering = visible; }});
    return filtering || !hiddenSources.isEmpty() || !hiddenPatterns.empty();
}

} // namespace modFilter
