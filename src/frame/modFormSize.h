#pragma once

#include <QFont>
#include <QFontDatabase>
#include <QRect>
#include <QSize>
#include <cstdint>
#include <span>
#include <vector>

// The main window's layout: every control's place at the window's smallest (designed) size,
// and how the places follow the window when it grows. Positions are in twips (1/1440 inch)
// and computed in 32 bits, so that the layout holds at any window size.
namespace modFormSize {

constexpr int ClientWidthTwips = 12525;
constexpr int ClientHeightTwips = 6240;
constexpr int SysExColumnWidthTwips = 4350;
constexpr int SysExColumn = 6; // the grid column that takes the growth

// What a control does when the window grows.
enum Follow : std::uint8_t {
    Fixed = 0,
    MoveRight = 1, // Left grows with the width
    MoveDown = 2, // Top grows with the height
    GrowWidth = 4, // Width grows with the width
    GrowHeight = 8, // Height grows with the height
    OnlyWhenRoom = 16, // left out when the window is smaller than designed
};

struct ControlPlacement
{
    const char *objectName;
    QRect twips;
    std::uint8_t follow = Fixed;
};

std::span<const ControlPlacement> designedLayout();

struct Layout
{
    std::vector<ControlPlacement> controls;
    int sysExColumnWidth = SysExColumnWidthTwips;
    std::vector<const char *> leftOut; // controls there is no room for
};

// The places for a window grown by dW and dH twips past its designed size; growth below
// zero (a minimised window) lays out as designed.
Layout layoutFor(std::int64_t dW, std::int64_t dH);

// The places for a window smaller than designed in width or height (dW or dH below zero: a
// screen too small for the designed size): the grid gives up its room first, down to a few
// rows; what it cannot give, the whole layout gives in proportion, so that every control
// stays inside. Growth in the other direction goes to the grid as ever.
Layout shrunkLayout(std::int64_t dW, std::int64_t dH);

// How far the window has grown past its minimum, in twips.
std::int64_t growthTwips(int sizePixels, int minimumPixels, int twipsPerPixel);

// 15 on a screen of 96 logical dots per inch.
int twipsPerPixel(double logicalDpi);
int toPixels(std::int64_t twips, int twipsPerPixel);
QRect toPixels(const QRect &twips, int twipsPerPixelX, int twipsPerPixelY);

// The designed font, or the closest the system has: the general font, or a fixed-width
// one where the design asks for a terminal font.
QFont designedFont(const QString &family, double points, QFontDatabase::SystemFont fallback);

} // namespace modFormSize
