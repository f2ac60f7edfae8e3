#pragma once

#include "store/ResultSet.h"

#include <QAbstractTableModel>
#include <QVector>

// The archive list's lines: the rows of "Select * from arc" as the store
// returned them, read-only. A line's cells are the row's nine columns by
// position, shown as the texts the database gave; a NULL shows as an empty
// cell. The model never sorts.
class ArcModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // The columns by position in table arc.
    enum Column { Id, Suma, Oderz, Idoderz, Bank, Idbank, Kredit, Oznaka, Datazap, ColumnCount };

    explicit ArcModel(QObject *parent = nullptr);

    // Replaces all lines at once.
    void setRows(QVector<ResultRow> rows);
    void clear();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The text of a cell; empty for NULL or a line that does not exist.
    QString text(int row, int column) const;
    // SQLite's rowid of a line's row, 0 for a line that does not exist.
    qint64 rowid(int row) const;

    static QString header(int column);

private:
    QVector<ResultRow> m_rows;
};
