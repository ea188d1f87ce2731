#include "modFilter.h"

#include "ports/MIDIInput.h"

#include <QWidget>

namespace modFilter {

void UpdateFilter(MIDIInput &input, QWidget &filterNotice)
{
    // Until the Filter menu has its items, nothing is withheld.
    for (int status = 0; status < 256; ++status)
        input.setStatusFilter(status, false);
    filterNotice.setVisible(false);
}

} // namespace modFilter
