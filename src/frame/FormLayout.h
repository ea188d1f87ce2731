#pragma once

class QMainWindow;
class QTableView;

// Lays the main window's controls out: the designed size is the smallest the window may
// take and the screen the largest; growth goes to the grid and its last column.
class FormLayout
{
public:
    FormLayout(QMainWindow &window, QTableView &grid);

    // Twips per pixel from the screen at hand, then the designed size and the size limits.
    void setUp();
    // Places every control for the window's present size.
    void apply();

    int TwipsPerPixelX() const { return m_twipsPerPixelX; }
    int TwipsPerPixelY() const { return m_twipsPerPixelY; }

private:
    QMainWindow &m_window;
    QTableView &m_grid;
    int m_twipsPerPixelX = 15;
    int m_twipsPerPixelY = 15;
};
