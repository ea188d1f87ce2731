#include "modFormSize.h"

#include <QFontInfo>
#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>

namespace modFormSize {
namespace {

    constexpr ControlPlacement Placements[] = {
        {"Label1", {120, 120, 3255, 255}},
        {"ComboMidiIn", {120, 360, 4215, 315}, GivesWidth},
        {"lblMIDIOut", {4440, 120, 3255, 255}},
        {"ComboMidiOut", {4440, 360, 4215, 315}, GivesWidth},
        {"lblFilter", {8760, 360, 1695, 255}},
        {"lblDropped", {8760, 120, 1935, 255}},
        {"grdMIDIIn", {120, 720, 12375, 3135}, GrowWidth | GrowHeight},
        {"lblGridInstructions", {8520, 3840, 3855, 255}, MoveRight | MoveDown},
        {"lblSend", {120, 3960, 4215, 255}, MoveDown},
        {"txtBoxSend", {120, 4200, 8535, 1215}, MoveDown | GivesHeight},
        {"lblSendHistory", {120, 5520, 3255, 255}, MoveDown},
        {"ComboHistory", {120, 5760, 4215, 315}, MoveDown},
        {"btnSend", {4440, 5760, 1215, 375}, MoveDown},
        {"chkRepeat", {5760, 5700, 855, 495}, MoveDown},
        {"lblRepeat", {6720, 5640, 1575, 255}, MoveDown},
        {"txtRepeat", {6720, 5880, 1455, 270}, MoveDown},
        {"btnClear", {11400, 5760, 975, 375}, MoveRight | MoveDown},
        {"btnPause", {10320, 5760, 975, 375}, MoveRight | MoveDown},
    };

    // How small the grid and the message box may become before the whole layout gives.
    constexpr std::int64_t GridMinWidthTwips = 4500;
    constexpr std::int64_t MessageBoxLeastHeightTwips = 600; // two lines
    // The room kept between controls that move towards each other.
    constexpr std::int64_t SpacingTwips = 105;

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

    // How far each kind of control moves or grows: growth in width goes to the grid and
    // moves what stands right of it; height goes to the grid, or to the message box, which
    // moves what stands below the box; the device lists may give width to what stands right
    // of them.
    struct Change
    {
        std::int64_t width = 0;
        std::int64_t gridHeight = 0;
        std::int64_t boxHeight = 0;
        std::int64_t listWidth = 0;
    };

    const ControlPlacement &placementOf(std::string_view name)
    {
        return *std::ranges::find(Placements, name,
            [](const ControlPlacement &p) { return std::string_view(p.objectName); });
    }

    bool overlapInHeight(const QRect &a, const QRect &b)
    {
        return a.top() <= b.bottom() && b.top() <= a.bottom();
    }

    // The lists that give width standing left of `r`, beside it.
    int givingListsLeftOf(const QRect &r)
    {
        return int(std::ranges::count_if(Placements, [&](const ControlPlacement &list) {
            return list.follow & GivesWidth && list.twips.right() < r.left()
                && overlapInHeight(list.twips, r);
        }));
    }

    Layout changedLayout(const Change &change)
    {
        const QRect box = placementOf("txtBoxSend").twips;
        Layout layout;
        for (ControlPlacement placement : Placements) {
            QRect &r = placement.twips;
            const std::uint8_t f = placement.follow;
            const std::int64_t down
                = change.gridHeight + (r.top() > box.bottom() ? change.boxHeight : 0);
            const std::int64_t right
                = (f & MoveRight ? change.width : 0) + givingListsLeftOf(r) * change.listWidth;
            r = QRect(clampToInt(r.x() + right), clampToInt(r.y() + (f & MoveDown ? down : 0)),
                clampToInt(r.width() + (f & GrowWidth ? change.width : 0)
                    + (f & GivesWidth ? change.listWidth : 0)),
                clampToInt(r.height() + (f & GrowHeight ? change.gridHeight : 0)
                    + (f & GivesHeight ? change.boxHeight : 0)));
            layout.controls.push_back(placement);
        }
        return layout;
    }

    // What the lists give, each, so that the notices right of them fit the width: at most
    // a quarter of a list.
    std::int64_t listsGive(std::int64_t width)
    {
        const QRect grid = placementOf("grdMIDIIn").twips;
        const QRect list = placementOf("ComboMidiIn").twips;
        int right = 0;
        for (const ControlPlacement &above : Placements)
            if (above.twips.bottom() < grid.top())
                right = std::max(right, above.twips.right() + 1);
        const auto lists = std::ranges::count_if(
            Placements, [](const ControlPlacement &p) { return p.follow & GivesWidth; });
        const std::int64_t overflow = right - width;
        return -std::clamp<std::int64_t>((overflow + lists - 1) / lists, 0, list.width() / 4);
    }

    // How far what stands right of the grid may move left before it meets a control that
    // stays: the buttons beside Clear All must keep clear of the repeat rate.
    std::int64_t roomToMoveLeft()
    {
        std::int64_t room = std::numeric_limits<std::int64_t>::max();
        for (const ControlPlacement &moving : Placements) {
            if (!(moving.follow & MoveRight))
                continue;
            for (const ControlPlacement &staying : Placements)
                if (!(staying.follow & (MoveRight | GrowWidth))
                    && overlapInHeight(moving.twips, staying.twips)
                    && staying.twips.right() < moving.twips.left())
                    room = std::min<std::int64_t>(
                        room, moving.twips.left() - staying.twips.right() - 1 - SpacingTwips);
        }
        return room;
    }

    int scaled(int twips, double factor)
    {
        return int(std::lround(twips * factor));
    }

} // namespace

Layout shrunkLayout(std::int64_t dW, std::int64_t dH, std::int64_t gridLeastHeight)
{
    const QRect grid = placementOf("grdMIDIIn").twips;
    const QRect box = placementOf("txtBoxSend").twips;
    Change change;
    change.width = std::max({dW, -roomToMoveLeft(), GridMinWidthTwips - grid.width()});
    change.gridHeight = std::max(dH, std::min<std::int64_t>(gridLeastHeight - grid.height(), 0));
    change.boxHeight = std::clamp<std::int64_t>(
        dH - change.gridHeight, MessageBoxLeastHeightTwips - box.height(), 0);
    change.listWidth = listsGive(ClientWidthTwips + dW);
    Layout layout = changedLayout(change);
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
    return layout;
}

Layout layoutFor(std::int64_t dW, std::int64_t dH)
{
    return changedLayout({std::max<std::int64_t>(dW, 0), std::max<std::int64_t>(dH, 0), 0});
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
