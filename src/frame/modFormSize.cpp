#include "modFormSize.h"

#include <QFontInfo>
#include <algorithm>
#include <cmath>

namespace modFormSize {
namespace {

    constexpr ControlPlacement Placements[] = {
        {"Label1", {120, 120, 3255, 255}},
        {"ComboMidiIn", {120, 360, 4215, 315}},
        {"lblMIDIOut", {4440, 120, 3255, 255}},
        {"ComboMidiOut", {4440, 360, 4215, 315}},
        {"lblFilter", {8760, 360, 1695, 255}},
        {"lblDropped", {8760, 120, 1935, 255}},
        {"grdMIDIIn", {120, 720, 12375, 3135}, GrowWidth | GrowHeight},
        {"lblGridInstructions", {8520, 3840, 3855, 255}, MoveRight | MoveDown},
        {"lblSend", {120, 3960, 4215, 255}, MoveDown},
        {"txtBoxSend", {120, 4200, 8535, 1215}, MoveDown},
        {"lblSendHistory", {120, 5520, 3255, 255}, MoveDown},
        {"ComboHistory", {120, 5760, 4215, 315}, MoveDown},
        {"btnSend", {4440, 5760, 1215, 375}, MoveDown},
        {"chkRepeat", {5760, 5700, 855, 495}, MoveDown},
        {"lblRepeat", {6720, 5640, 1575, 255}, MoveDown},
        {"txtRepeat", {6720, 5880, 1455, 270}, MoveDown},
        {"btnClear", {11400, 5760, 975, 375}, MoveRight | MoveDown},
    };

    int clampToInt(std::int64_t value)
    {
        // Far beyond any screen, and still clear of int overflow inside QRect.
        return int(std::clamp<std::int64_t>(value, 0, std::int64_t(1) << 28));
    }

} // namespace

std::span<const ControlPlacement> designedLayout()
{
    return Placements;
}

Layout layoutFor(std::int64_t dW, std::int64_t dH)
{
    dW = std::max<std::int64_t>(dW, 0);
    dH = std::max<std::int64_t>(dH, 0);
    Layout layout;
    for (ControlPlacement placement : Placements) {
        QRect &r = placement.twips;
        const std::uint8_t f = placement.follow;
        r = QRect(clampToInt(r.x() + (f & MoveRight ? dW : 0)),
            clampToInt(r.y() + (f & MoveDown ? dH : 0)),
            clampToInt(r.width() + (f & GrowWidth ? dW : 0)),
            clampToInt(r.height() + (f & GrowHeight ? dH : 0)));
        layout.controls.push_back(placement);
    }
    layout.sysExColumnWidth = clampToInt(SysExColumnWidthTwips + dW);
    return layout;
}

std::int64_t growthTwips(int sizePixels, int minimumPixels, int twipsPerPixel)
{
    return (std::int64_t(sizePixels) - minimumPixels) * twipsPerPixel;
}

int twipsPerPixel(double logicalDpi)
{
    return logicalDpi > 0 ? std::max(1, int(std::lround(1440.0 / logicalDpi))) : 15;
}

int toPixels(std::int64_t twips, int twipsPerPixel)
{
    return clampToInt(twips / twipsPerPixel);
}

QRect toPixels(const QRect &twips, int twipsPerPixelX, int twipsPerPixelY)
{
    return {toPixels(twips.x(), twipsPerPixelX), toPixels(twips.y(), twipsPerPixelY),
        toPixels(twips.width(), twipsPerPixelX), toPixels(twips.height(), twipsPerPixelY)};
}

QFont designedFont(const QString &family, double points, QFontDatabase::SystemFont fallback)
{
    QFont font(family);
    if (QFontInfo(font).family().compare(family, Qt::CaseInsensitive) != 0)
        font = QFontDatabase::systemFont(fallback);
    font.setPointSizeF(points);
    return font;
}

} // namespace modFormSize
