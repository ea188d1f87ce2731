#include "FormLayout.h"

#include "modFormSize.h"

#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>

namespace {

// The window's title bar and borders, which the window system adds around it; the screen's
// available area must hold them too.
constexpr QSize FrameAllowance {16, 48};

// A label or check box never cuts its text when the system's font is wider than the
// designed one, as far as the window's edge allows.
void widenToText(QWidget *control)
{
    if (!qobject_cast<QLabel *>(control) && !qobject_cast<QCheckBox *>(control))
        return;
    const int room = control->parentWidget()->width() - control->x();
    control->resize(
        std::clamp(control->sizeHint().width(), control->width(), std::max(room, control->width())),
        control->height());
}

} // namespace

FormLayout::FormLayout(QMainWindow &window, QAbstractScrollArea &grid)
    : m_window(window)
    , m_grid(grid)
{ }

QSize FormLayout::designedSize() const
{
    return {modFormSize::toPixels(modFormSize::ClientWidthTwips, m_twipsPerPixelX),
        modFormSize::toPixels(modFormSize::ClientHeightTwips, m_twipsPerPixelY)
            + m_window.menuBar()->sizeHint().height()
            + (m_window.statusBar()->isHidden() ? 0 : m_window.statusBar()->sizeHint().height())};
}

void FormLayout::setUp()
{
    const QScreen *screen = m_window.screen();
    m_twipsPerPixelX = modFormSize::twipsPerPixel(screen ? screen->logicalDotsPerInchX() : 96);
    m_twipsPerPixelY = modFormSize::twipsPerPixel(screen ? screen->logicalDotsPerInchY() : 96);
    m_designed = designedSize();
    QSize smallest = m_designed;
    if (screen)
        smallest = smallest.boundedTo(screen->availableGeometry().size() - FrameAllowance);
    m_window.resize(smallest);
    m_window.setMinimumSize(smallest);
    if (screen)
        m_window.setMaximumSize(screen->size().expandedTo(smallest));
    apply();
}

void FormLayout::apply()
{
    if (m_designed.isEmpty() || m_window.isMinimized())
        return; // not set up yet, or nothing to see
    const std::int64_t dW
        = modFormSize::growthTwips(m_window.width(), m_designed.width(), m_twipsPerPixelX);
    const std::int64_t dH
        = modFormSize::growthTwips(m_window.height(), m_designed.height(), m_twipsPerPixelY);
    const modFormSize::Layout layout = dW < 0 || dH < 0
        ? modFormSize::shrunkLayout(dW, dH, gridLeastHeight() * m_twipsPerPixelY)
        : modFormSize::layoutFor(dW, dH);
    QWidget *client = m_window.centralWidget();
    for (const modFormSize::ControlPlacement &placement : layout.controls) {
        auto *control = client->findChild<QWidget *>(placement.objectName);
        control->setGeometry(
            modFormSize::toPixels(placement.twips, m_twipsPerPixelX, m_twipsPerPixelY));
        widenToText(control);
    }
    placeGridBar();
}

// On a short screen the message box gives up its height before the grid goes below this.
int FormLayout::gridLeastHeight() const
{
    return m_grid.minimumSizeHint().height();
}

void FormLayout::placeGridBar()
{
    if (!m_gridBar || m_gridBar->isHidden())
        return;
    const int height = m_gridBar->sizeHint().height();
    const QRect grid = m_grid.geometry();
    m_grid.resize(grid.width(), std::max(grid.height() - height, height));
    m_gridBar->setGeometry(grid.x(), m_grid.geometry().bottom() + 1, grid.width(), height);
}
