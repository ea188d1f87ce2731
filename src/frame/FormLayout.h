#pragma once

#include <QSize>

class QMainWindow;
class QAbstractScrollArea;
class QWidget;

// Lays the main window's controls out: the designed size is the smallest the window may
// take, as far as the screen allows, and the screen the largest; growth goes to the grid and
// its columns. On a screen too small for the designed size (a high scale factor), the
// grid gives up room first, down to a few rows, then the message box, and then the whole
// layout, so that every control stays on the screen.
class FormLayout
{
public:
    // The grid's minimum size hint is the least it may shrink to.
    FormLayout(QMainWindow &window, QAbstractScrollArea &grid);

    // Twips per pixel from the screen at hand, then the window's size and its limits.
    void setUp();
    // Places every control for the window's present size.
    void apply();
    // A bar that, while shown, takes the bottom of the grid's place.
    void setGridBar(QWidget *bar) { m_gridBar = bar; }

    int TwipsPerPixelX() const { return m_twipsPerPixelX; }
    int TwipsPerPixelY() const { return m_twipsPerPixelY; }

private:
    int gridLeastHeight() const; // in pixels
    QSize designedSize() const;
    void placeGridBar();

    QMainWindow &m_window;
    QAbstractScrollArea &m_grid;
    QWidget *m_gridBar = nullptr;
    QSize m_designed;
    int m_twipsPerPixelX = 15;
    int m_twipsPerPixelY = 15;
};
