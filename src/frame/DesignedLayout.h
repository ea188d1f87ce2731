#pragma once

#include <QRect>
#include <span>

// Where each control of the main window sits at the window's smallest size, in twips.
struct ControlPlacement
{
    const char *objectName;
    QRect twips;
};

namespace DesignedLayout {

constexpr int ClientWidthTwips = 12525;
constexpr int ClientHeightTwips = 6240;

std::span<const ControlPlacement> mainWindow();

// Twips are 1/1440 inch; a screen of `dpi` logical dots per inch has 1440/dpi per pixel.
int twipsPerPixel(double logicalDpi);
int toPixels(int twips, int twipsPerPixel);
QRect toPixels(const QRect &twips, int twipsPerPixel);

} // namespace DesignedLayout
