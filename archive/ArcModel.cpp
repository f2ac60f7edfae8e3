#include "archive/ArcModel.h"

ArcModel::ArcModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void ArcModel::setRows(QVector<ResultRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void ArcModel::clear()
{
    setRows({});
}

int ArcModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ArcModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString ArcModel::text(int row, int column) const
{
    if (row < 0 || row >= m_rows.size() || column < 0)
        return QString();
    const ResultRow &r = m_rows.at(row);
    if (column >= r.values.size() || r.isNull(column))
        return QString();
    return r.values.at(column);
}

qint64 ArcModel::rowid(int row) const
{
    return row < 0 || row >= m_rows.size() ? 0 : m_rows.at(row).rowid;
}

QVariant ArcModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return text(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return QVariant();
    }
}

QString ArcModel::header(int column)
{
    switch (column) {
    case Id: return QStringLiteral("Доручення");
    case Suma: return QStringLiteral("Сума");
    case Oderz: return QStringLiteral("Одержувач");
    case Idoderz: return QStringLiteral("Рах. Одержувача");
    case Bank: return QStringLiteral("Банк");
    case Idbank: return QStringLiteral("Рах. Банку");
    case Kredit: return QStringLiteral("Кредiт"); // Latin i
    case Oznaka: return QStringLiteral("Ознака");
    case Datazap: return QStringLiteral("Дата Заповнення");
    default: return QString();
    }
}

QVariant ArcModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole:
        return header(section);
    case Qt::TextAlignmentRole:
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return QVariant();
    }
}
