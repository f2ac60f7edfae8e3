#pragma once

#include "store/Records.h"

#include <QAbstractTableModel>
#include <QVector>

// The archive list's lines: the archived orders as the store returned them,
// read-only, one column per value of the order.
class ArcModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // The columns by position in table arc.
    enum Column { Id, Suma, Oderz, Idoderz, Bank, Idbank, Kredit, Oznaka, Datazap, ColumnCount };

    explicit ArcModel(QObject *parent = nullptr);

    // Replaces all lines at once.
    void setRows(QVector<StoredOrder> rows);
    void clear();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The text of a cell; empty for a line that does not exist.
    QString text(int row, int column) const;
    // SQLite's rowid of a line's row, 0 for a line that does not exist.
    qint64 rowid(int row) const;

    static QString header(int column);

private:
    QVector<StoredOrder> m_rows;
};
