#include "gui/recording/ReadingTableModel.h"

#include "core/recording/ReadingTable.h"

#include <QFont>

#include <optional>

ReadingTableModel::ReadingTableModel(const ReadingTable &readingTable, QObject *parent)
    : QAbstractTableModel(parent)
    , table(readingTable)
    , known(int(readingTable.rowCount()))
    , knownResets(readingTable.resets())
{}

int ReadingTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : known;
}

int ReadingTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 4;
}

QVariant ReadingTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= known)
        return {};
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return {};
    const std::optional<QString> text = table.text(index.row(), index.column());
    return text ? QVariant(*text) : QVariant();
}

QVariant ReadingTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section > 3)
        return {};
    if (role == Qt::DisplayRole)
        return ReadingTable::FieldNames()[section];
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return {};
}

bool ReadingTableModel::sync()
{
    const int rows = int(table.rowCount());
    if (table.resets() != knownResets) {
        beginResetModel();
        known = rows;
        knownResets = table.resets();
        endResetModel();
        return false;
    }
    if (rows == known)
        return false;
    beginInsertRows({}, known, rows - 1);
    known = rows;
    endInsertRows();
    return true;
}

bool ReadingTableModel::behind() const
{
    return table.resets() != knownResets || int(table.rowCount()) != known;
}

void ReadingTableModel::removeTableRow(int row, std::function<void(int)> remove)
{
    if (row < 0 || row >= known)
        return;
    beginRemoveRows({}, row, row);
    remove(row);
    --known;
    knownResets = table.resets();
    endRemoveRows();
}
