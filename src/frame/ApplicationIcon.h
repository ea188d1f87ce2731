#pragma once

#include <QIcon>

// Lumetra's icon, from the resources compiled into lumetra_gui: for the windows and the
// About box.
QIcon applicationIcon();
