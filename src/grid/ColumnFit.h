#pragma once

#include <QMap>
#include <QObject>
#include <QString>

class EventGridModel;
class EventView;

// Sizes the grid's columns so that a person reads them at a glance: each column as wide as
// the widest text it can hold (the time stamp in its present form, the longest event name,
// the longest source name), and the rest of the width shared by SysEx Data and Details, so
// that both are in view and the horizontal scroll bar shows only when the window is too
// narrow for them. A width the user sets by dragging a column's edge wins, and is kept by
// the column's name. A cell too narrow for its text ends in an ellipsis and shows its text
// in a tooltip.
class ColumnFit : public QObject
{
    Q_OBJECT

public:
    using Widths = QMap<QString, int>; // by column name, in pixels

    ColumnFit(EventView &view, const EventGridModel &model);

    // Sizes every column anew: the columns shown or the form of the time stamp changed.
    void fit();
    // Fits again only when a source came that the Source column may be too narrow for.
    void fitNewSources();

    Widths userWidths() const { return m_userWidths; }
    void setUserWidths(const Widths &widths);
    void forgetUserWidths();

    // The name a column's width is kept by ("Timestamp", "Data1", "Details", "Source").
    QString nameOf(int column) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool stretches(int column) const;
    bool isDetails(int column) const;
    int contentWidth(int column) const;
    int widestText(int column) const;
    int widestEventName() const;
    void shareStretch(const QList<int> &stretching, int room);
    void resizeSection(int column, int width);
    void userResized(int column, int width);

    EventView &m_view;
    // Kept, not asked for: the viewport sends events while the view is destroyed, when it is
    // a plain QWidget and viewport() is no longer there to call.
    QWidget *const m_viewport;
    const EventGridModel &m_model;
    Widths m_userWidths;
    bool m_fitting = false;
    std::size_t m_sourcesFitted = 0;
};
