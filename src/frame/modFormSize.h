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

// What a control does when the window grows.
enum Follow : std::uint8_t {
    Fixed = 0,
    MoveRight = 1, // Left grows with the width
    MoveDown = 2, // Top grows with the height
    GrowWidth = 4, // Width grows with the width
    GrowHeight = 8, // Height grows with the height
    GivesHeight = 16, // on a short screen, gives up height once the grid is down to its least
    GivesWidth = 32, // on a narrow screen, gives up width to what stands right of it
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
};

// The places for a window grown by dW and dH twips past its designed size; growth below
// zero (a minimised window) lays out as designed.
Layout layoutFor(std::int64_t dW, std::int64_t dH);

// The places for a window smaller than designed in width or height (dW or dH below zero: a
// small screen or a high scale factor). In height the grid gives up room first, down to
// `gridLeastHeight` (the height of a few rows), then the message box down to two lines; in
// width the grid and what stands right of it give room until the buttons would meet the
// controls to their left, and the device lists give some of theirs to the notices beside
// them. What is still missing the whole layout gives in proportion, so
// that every control stays inside and none is left out. Growth in the other direction goes
// to the grid as ever.
Layout shrunkLayout(std::int64_t dW, std::int64_t dH, std::int64_t gridLeastHeight);

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
