#include "WindowPlace.h"

#include <QScreen>
#include <QWidget>
#include <cmath>

WindowPlace::WindowPlace(QWidget &window, int twipsPerPixelX, int twipsPerPixelY)
    : m_window(window)
    , m_twipsX(twipsPerPixelX)
    , m_twipsY(twipsPerPixelY)
{ }

int WindowPlace::WindowState() const
{
    if (m_window.isMinimized())
        return Minimised;
    return m_window.isMaximized() ? Maximised : Normal;
}

void WindowPlace::setWindowState(int state)
{
    if (state == Maximised)
        m_window.setWindowState(m_window.windowState() | Qt::WindowMaximized);
}

// A maximised window is kept at the place it goes back to.
double WindowPlace::Left() const
{
    return double(m_window.normalGeometry().x()) * m_twipsX;
}

double WindowPlace::Top() const
{
    return double(m_window.normalGeometry().y()) * m_twipsY;
}

double WindowPlace::Width() const
{
    return double(m_window.normalGeometry().width()) * m_twipsX;
}

double WindowPlace::Height() const
{
    return double(m_window.normalGeometry().height()) * m_twipsY;
}

void WindowPlace::Move(double left, double top, double width, double height)
{
    m_window.setGeometry(int(std::lround(left / m_twipsX)), int(std::lround(top / m_twipsY)),
        int(std::lround(width / m_twipsX)), int(std::lround(height / m_twipsY)));
}

ScreenTwips WindowPlace::screen() const
{
    const QScreen *screen = m_window.screen();
    if (!screen)
        return {};
    const QRect free = screen->availableGeometry();
    return {double(free.right() + 1) * m_twipsX, double(free.bottom() + 1) * m_twipsY,
        double(m_twipsX), double(m_twipsY)};
}
