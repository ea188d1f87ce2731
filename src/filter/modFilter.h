#pragma once

class QWidget;
class MIDIInput;

namespace modFilter {

// Hands the Filter menu's check marks to the input component and shows or hides the notice.
void UpdateFilter(MIDIInput &input, QWidget &filterNotice);

} // namespace modFilter
