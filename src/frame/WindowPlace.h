#pragma once

#include "ini/cInifile.h"

class QWidget;

// A top-level window as the settings file keeps it: its place and size in twips, and
// whether it is maximised.
class WindowPlace : public FormWindow
{
public:
    WindowPlace(QWidget &window, int twipsPerPixelX, int twipsPerPixelY);

    int WindowState() const override;
    void setWindowState(int state) override;
    double Left() const override;
    double Top() const override;
    double Width() const override;
    double Height() const override;
    void Move(double left, double top, double width, double height) override;

    // Where the window may go: its screen's area that panels leave free.
    ScreenTwips screen() const;

private:
    QWidget &m_window;
    int m_twipsX;
    int m_twipsY;
};
