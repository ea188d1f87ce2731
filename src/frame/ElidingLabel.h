#pragma once

#include <QLabel>

// A label of one line that never asks for more room than one line of its font: a text too
// wide for what it is given ends in "…", and the tooltip holds it whole. A status bar that
// grew with its text would take the height of the controls above it.
class ElidingLabel : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};
