#include "DesignedLayout.h"

#include <cmath>

namespace DesignedLayout {
namespace {

    constexpr ControlPlacement Placements[] = {
        {"Label1", {120, 120, 3255, 255}},
        {"ComboMidiIn", {120, 360, 4215, 315}},
        {"lblMIDIOut", {4440, 120, 3255, 255}},
        {"ComboMidiOut", {4440, 360, 4215, 315}},
        {"lblFilter", {8760, 360, 1695, 255}},
        {"lblDropped", {10560, 360, 1935, 255}},
        {"grdMIDIIn", {120, 720, 12375, 3135}},
        {"lblGridInstructions", {8520, 3840, 3855, 255}},
        {"lblSend", {120, 3960, 4215, 255}},
        {"txtBoxSend", {120, 4200, 8535, 1215}},
        {"lblSendHistory", {120, 5520, 3255, 255}},
        {"ComboHistory", {120, 5760, 4215, 315}},
        {"btnSend", {4440, 5760, 1215, 375}},
        {"chkRepeat", {5760, 5700, 855, 495}},
        {"lblRepeat", {6720, 5640, 1575, 255}},
        {"txtRepeat", {6720, 5880, 1455, 270}},
        {"btnClear", {11400, 5760, 975, 375}},
    };

} // namespace

std::span<const ControlPlacement> mainWindow()
{
    return Placements;
}

int twipsPerPixel(double logicalDpi)
{
    return logicalDpi > 0 ? std::max(1, int(std::lround(1440.0 / logicalDpi))) : 15;
}

int toPixels(int twips, int twipsPerPixel)
{
    return twips / twipsPerPixel;
}

QRect toPixels(const QRect &twips, int twipsPerPixel)
{
    return {toPixels(twips.x(), twipsPerPixel), toPixels(twips.y(), twipsPerPixel),
        toPixels(twips.width(), twipsPerPixel), toPixels(twips.height(), twipsPerPixel)};
}

} // namespace DesignedLayout
