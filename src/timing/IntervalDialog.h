#pragma once

#include "IntervalStatistics.h"

#include <QDialog>
#include <optional>

class QComboBox;
class QLabel;
class HistogramView;

// View > Interval Statistics: the intervals between the messages of a kind, channel and
// source (at first those of the selected row), as figures that can be copied and as a
// histogram.
class IntervalDialog : public QDialog
{
    Q_OBJECT

public:
    IntervalDialog(const CaptureStore &rows, QWidget *parent = nullptr);

    // Measures the rows stored now, for `selection`.
    void measureFor(const IntervalStatistics::Selection &selection);
    QString figuresText() const;

private:
    void fillSources();
    void measureChosen();
    void copyFigures() const;

    const CaptureStore &m_rows;
    QComboBox *m_kind;
    QComboBox *m_channel;
    QComboBox *m_source;
    QLabel *m_figures;
    HistogramView *m_histogram;
    std::optional<IntervalStatistics::Figures> m_measured;
};
