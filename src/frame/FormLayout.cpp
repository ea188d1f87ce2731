#include "FormLayout.h"

#include "modFormSize.h"

#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QTableView>

FormLayout::FormLayout(QMainWindow &window, QTableView &grid)
    : m_window(window)
    , m_grid(grid)
{ }

void FormLayout::setUp()
{
    const QScreen *screen = m_window.screen();
    m_twipsPerPixelX = modFormSize::twipsPerPixel(screen ? screen->logicalDotsPerInchX() : 96);
    m_twipsPerPixelY = modFormSize::twipsPerPixel(screen ? screen->logicalDotsPerInchY() : 96);
    m_window.resize(modFormSize::toPixels(modFormSize::ClientWidthTwips, m_twipsPerPixelX),
        modFormSize::toPixels(modFormSize::ClientHeightTwips, m_twipsPerPixelY)
            + m_window.menuBar()->sizeHint().height());
    m_window.setMinimumSize(m_window.size());
    if (screen)
        m_window.setMaximumSize(screen->size().expandedTo(m_window.size()));
    apply();
}

void FormLayout::apply()
{
    if (m_window.minimumWidth() == 0)
        return; // not set up yet
    const modFormSize::Layout layout = modFormSize::layoutFor(
        modFormSize::growthTwips(m_window.width(), m_window.minimumWidth(), m_twipsPerPixelX),
        modFormSize::growthTwips(m_window.height(), m_window.minimumHeight(), m_twipsPerPixelY));
    QWidget *client = m_window.centralWidget();
    for (const modFormSize::ControlPlacement &placement : layout.controls) {
        auto *control = client->findChild<QWidget *>(placement.objectName);
        control->setGeometry(
            modFormSize::toPixels(placement.twips, m_twipsPerPixelX, m_twipsPerPixelY));
        // A label never cuts its text when the system's font is wider than the designed one.
        if (auto *label = qobject_cast<QLabel *>(control))
            label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
    }
    m_grid.horizontalHeader()->resizeSection(m_grid.model()->columnCount() - 1,
        modFormSize::toPixels(layout.sysExColumnWidth, m_twipsPerPixelX));
}
