#pragma once

#include <QString>
#include <QVector>

// One row of a query, read by column position. A NULL value is remembered
// apart from its (empty) text so that callers can tell the two apart.
struct ResultRow
{
    qint64 rowid = 0;        // SQLite's own row number (0 where not asked for)
    QVector<QString> values; // columns by position
    quint64 nullMask = 0;    // bit k set: column k is NULL

    bool isNull(int column) const { return column < 64 && (nullMask >> column) & 1u; }
};

// The rows of the latest query with a cursor over them. Right after a query
// the first row is current; a query without rows has no current row.
class ResultSet
{
public:
    ResultSet() = default;
    explicit ResultSet(QVector<ResultRow> rows) : m_rows(std::move(rows)) { }

    int recordCount() const { return int(m_rows.size()); }
    bool eof() const { return m_pos >= m_rows.size(); }

    bool moveFirst() { return moveTo(0); }
    bool moveLast() { return moveTo(int(m_rows.size()) - 1); }
    bool moveNext()
    {
        if (eof())
            return false;
        ++m_pos;
        return true;
    }

    // The text of a column of the current row. False when there is no current
    // row, no such column, or the value is NULL.
    bool value(int column, QString *text) const
    {
        if (eof())
            return false;
        const ResultRow &row = m_rows.at(m_pos);
        if (column < 0 || column >= row.values.size() || row.isNull(column))
            return false;
        *text = row.values.at(column);
        return true;
    }

    qint64 rowid() const { return eof() ? 0 : m_rows.at(m_pos).rowid; }

    const QVector<ResultRow> &rows() const { return m_rows; }
    // Hands the rows over to a caller that keeps them (the archive list);
    // the result is left positioned after its last row.
    QVector<ResultRow> takeRows()
    {
        QVector<ResultRow> rows = std::move(m_rows);
        m_rows.clear();
        m_pos = 0;
        return rows;
    }

private:
    bool moveTo(int index)
    {
        if (index < 0 || index >= m_rows.size())
            return false;
        m_pos = index;
        return true;
    }

    QVector<ResultRow> m_rows;
    int m_pos = 0;
};
