#pragma once

#include "IntervalStatistics.h"

#include <QDialog>
#include <optional>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QSpinBox;
class HistogramView;

// View > Interval Statistics: the intervals between the messages of a kind, channel and
// source (at first those of the selected row), of every row or of the rows selected, as
// figures that can be copied and as a histogram. Gaps across a Start, Stop or Continue, a
// port restart or a pause are left out and counted. Each figure keeps its place as the
// figures change.
class IntervalDialog : public QDialog
{
    Q_OBJECT

public:
    IntervalDialog(const CaptureStore &rows, QWidget *parent = nullptr);

    // Measures the rows stored now, for `selection`; with `selectedRows`, the user may
    // measure those alone, and at first does.
    void measureFor(const IntervalStatistics::Selection &selection,
        std::optional<IntervalStatistics::RowRange> selectedRows = std::nullopt);
    QString figuresText() const;

private:
    void layOut();
    QGridLayout *figureGrid();
    void fillSources();
    void showFigures();
    void measureChosen();
    void copyFigures() const;

    const CaptureStore &m_rows;
    QComboBox *m_kind;
    QComboBox *m_channel;
    QComboBox *m_source;
    QSpinBox *m_pause;
    QCheckBox *m_selectedOnly;
    std::optional<IntervalStatistics::RowRange> m_selectedRows;
    QLabel *m_notice; // when there is nothing to measure
    std::vector<QLabel *> m_values; // one a figure, in a column of fixed width
    HistogramView *m_histogram;
    std::optional<IntervalStatistics::Figures> m_measured;
};
