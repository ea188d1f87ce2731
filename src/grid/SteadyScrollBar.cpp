#include "SteadyScrollBar.h"

#include <QEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionSlider>

SteadyScrollBar::SteadyScrollBar(Qt::Orientation orientation, QWidget *parent)
    : QScrollBar(orientation, parent)
{ }

void SteadyScrollBar::setSteps(int maximum, int pageStep, int value)
{
    const Steps steps {maximum, pageStep, value};
    if (m_painted && lookOf(steps) == *m_painted) {
        m_kept = steps;
        return;
    }
    m_kept.reset();
    apply(steps);
}

void SteadyScrollBar::apply(const Steps &steps)
{
    setRange(0, steps.maximum);
    setPageStep(steps.pageStep);
    setValue(steps.value);
}

// Quietly: the figures kept back are those of the view already, which must not take them
// for the user's move.
void SteadyScrollBar::applyKept()
{
    if (!m_kept)
        return;
    const QSignalBlocker quiet(this);
    apply(*std::exchange(m_kept, std::nullopt));
}

bool SteadyScrollBar::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::StyleChange:
        applyKept();
        break;
    default:
        break;
    }
    return QScrollBar::event(event);
}

void SteadyScrollBar::paintEvent(QPaintEvent *event)
{
    m_painted = lookOf({maximum(), pageStep(), value()});
    QScrollBar::paintEvent(event);
}

// The arrows of a bar at either end are drawn as of no use.
SteadyScrollBar::Look SteadyScrollBar::lookOf(const Steps &steps) const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.minimum = 0;
    option.maximum = steps.maximum;
    option.pageStep = steps.pageStep;
    option.sliderPosition = steps.value;
    option.sliderValue = steps.value;
    return {
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
        steps.value == 0, steps.value == steps.maximum};
}
