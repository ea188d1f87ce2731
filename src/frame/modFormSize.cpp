#include "modFormSize.h"

#include <QFontInfo>
#include <algorithm>
#include <cmath>
#include <string_view>

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
        {"btnPause", {10320, 5760, 975, 375}, MoveRight | MoveDown | OnlyWhenRoom},
    };

    // How small the grid may become before the other controls give up room too.
    constexpr std::int64_t GridMinWidthTwips = 4500;
    constexpr std::int64_t GridMinHeightTwips = 900;

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

namespace {

    Layout grownLayout(std::int64_t dW, std::int64_t dH)
    {
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

    int scaled(int twips, double factor)
    {
        return int(std::lround(twips * factor));
    }

} // namespace

Layout shrunkLayout(std::int64_t dW, std::int64_t dH)
{
    const QRect grid = std::ranges::find(
        Placements, std::string_view("grdMIDIIn"), [](const ControlPlacement &p) {
            return std::string_view(p.objectName);
        })->twips;
    // Growth goes to the grid as ever; a loss it takes as far as it can.
    Layout layout = grownLayout(std::max(dW, GridMinWidthTwips - grid.width()),
        std::max(dH, GridMinHeightTwips - grid.height()));
    std::erase_if(layout.controls, [&](const ControlPlacement &placement) {
        const bool out = placement.follow & OnlyWhenRoom;
        if (out)
            layout.leftOut.push_back(placement.objectName);
        return out;
    });
    int right = 0, bottom = 0;
    for (const ControlPlacement &placement : layout.controls) {
        right = std::max(right, placement.twips.right() + 1);
        bottom = std::max(bottom, placement.twips.bottom() + 1);
    }
    const double sx = std::min(1.0, double(ClientWidthTwips + dW) / right);
    const double sy = std::min(1.0, double(ClientHeightTwips + dH) / bottom);
    for (ControlPlacement &placement : layout.controls) {
        const QRect r = placement.twips;
        placement.twips = QRect(
            scaled(r.x(), sx), scaled(r.y(), sy), scaled(r.width(), sx), scaled(r.height(), sy));
    }
    layout.sysExColumnWidth = std::max(scaled(layout.sysExColumnWidth, sx), 600);
    return layout;
}

Layout layoutFor(std::int64_t dW, std::int64_t dH)
{
    dW = std::max<std::int64_t>(dW, 0);
    dH = std::max<std::int64_t>(dH, 0);
    return grownLayout(dW, dH);
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
