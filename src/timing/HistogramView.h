#pragma once

#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <vector>

// Bars of counts drawn with QPainter, the first and last bin's values written under them.
class HistogramView : public QWidget
{
    Q_OBJECT

public:
    explicit HistogramView(QWidget *parent = nullptr);

    void setBins(std::vector<std::size_t> counts, std::int64_t fromUs, std::int64_t widthUs);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::vector<std::size_t> m_counts;
    std::int64_t m_fromUs = 0;
    std::int64_t m_widthUs = 1;
};
