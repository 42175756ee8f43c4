#pragma once

#include <QAbstractTableModel>

#include <functional>

class ReadingTable;

// The reading table as the grid shows it. It never walks the rows: the grid
// asks for the rows it draws, and sync() tells it what changed.
class ReadingTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit ReadingTableModel(const ReadingTable &table, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Catches up with the table: rows appended since the last call are
    // inserted; anything else (cleared, a row deleted, a file loaded) resets.
    // True when rows were appended.
    bool sync();
    // Whether sync() has something to catch up with.
    bool behind() const;
    // Removes one row through the model (the grid's Ctrl+Delete).
    void removeTableRow(int row, std::function<void(int)> remove);

private:
    const ReadingTable &table;
    int known = 0;
    quint64 knownResets = 0;
};
