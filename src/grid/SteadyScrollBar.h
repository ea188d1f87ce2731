#pragma once

#include <QRect>
#include <QScrollBar>
#include <optional>

// A scroll bar that is repainted only when what it shows changes. Over a growing capture
// that the view follows, the range and the value change every frame while the thumb stays
// at the end, and a styled bar costs as much to paint as the rows that came in.
class SteadyScrollBar : public QScrollBar
{
public:
    explicit SteadyScrollBar(Qt::Orientation orientation, QWidget *parent = nullptr);

    // The range from 0, the page step and the value, as one. Figures the bar would look the
    // same with are kept back until the bar is used, resized or restyled.
    void setSteps(int maximum, int pageStep, int value);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    struct Steps
    {
        int maximum = 0;
        int pageStep = 0;
        int value = 0;
    };
    struct Look
    {
        QRect thumb;
        bool atStart = false;
        bool atEnd = false;
        bool operator==(const Look &) const = default;
    };
    Look lookOf(const Steps &steps) const;
    void apply(const Steps &steps);
    void applyKept();

    std::optional<Look> m_painted;
    std::optional<Steps> m_kept;
};
