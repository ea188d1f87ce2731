#include "modPreferences.h"

namespace modPreferences {

// Nothing is stored between runs yet: the device indexes keep their start values.
void LoadPreferences() { }

void SaveDeviceSettings() { }

} // namespace modPreferences
