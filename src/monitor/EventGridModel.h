#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <array>

// The event grid's rows: row 0 of the grid is the header, the last row is always empty.
class EventGridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int ColumnCount = 7;

    explicit EventGridModel(QObject *parent = nullptr);

    // A header cell addressed by its index in the grid's row-major cell array.
    void setHeaderCell(int cellIndex, const QString &text);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::array<QString, ColumnCount> m_headers;
};
