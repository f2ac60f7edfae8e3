#include "archive/ArcModel.h"

ArcModel::ArcModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void ArcModel::setRows(QVector<StoredOrder> rows)
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
    if (row < 0 || row >= m_rows.size())
        return QString();
    const OrderRecord &o = m_rows.at(row).order;
    switch (column) {
    case Id: return o.id;
    case Suma: return o.suma;
    case Oderz: return o.oderz;
    case Idoderz: return o.idoderz;
    case Bank: return o.bank;
    case Idbank: return o.idbank;
    case Kredit: return o.kredit;
    case Oznaka: return o.oznaka;
    case Datazap: return o.datazap;
    default: return QString();
    }
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
