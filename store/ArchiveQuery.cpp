#include "store/ArchiveQuery.h"

#include "store/Database.h"
#include "store/Statement.h"

namespace {

constexpr const char *ColumnNames[ArchiveQuery::ColumnCount] = {
    "id", "suma", "oderz", "idoderz", "bank", "idbank", "kredit", "oznaka", "datazap"
};

const char *bytesOf(sqlite3_stmt *s, int column, int *size)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(s, column));
    *size = text ? sqlite3_column_bytes(s, column) : 0;
    return text ? text : "";
}

} // namespace

bool ArchiveQuery::scanAll(const std::function<void(const RawRow &)> &visit)
{
    if (!m_db.isOpen())
        return m_db.engineFailure(QString());
    Statement s(m_db.handle(), "select rowid, id, suma, oderz, idoderz, bank, idbank, kredit, oznaka, "
                               "datazap from arc order by rowid");
    if (!s.prepared())
        return m_db.engineFailure(QString());
    RawRow row;
    while (s.row()) {
        row.rowid = s.integer(0);
        for (int c = 0; c < ColumnCount; ++c)
            row.text[c] = bytesOf(s.get(), c + 1, &row.size[c]);
        visit(row);
    }
    return s.done() || m_db.engineFailure(QString());
}

bool ArchiveQuery::scanColumn(Column column, const std::function<void(qint64, const char *, int)> &visit)
{
    if (!m_db.isOpen() || column < 0 || column >= ColumnCount)
        return m_db.engineFailure(QString());
    const QByteArray sql = QByteArray("select rowid, ") + ColumnNames[column] + " from arc order by rowid";
    Statement s(m_db.handle(), sql.constData());
    if (!s.prepared())
        return m_db.engineFailure(QString());
    while (s.row()) {
        int size = 0;
        const char *text = bytesOf(s.get(), 1, &size);
        visit(s.integer(0), text, size);
    }
    return s.done() || m_db.engineFailure(QString());
}

bool ArchiveQuery::readColumn(Column column, const std::vector<qint64> &rowids,
                              const std::function<void(size_t, const char *, int)> &visit)
{
    if (!m_db.isOpen() || column < 0 || column >= ColumnCount)
        return m_db.engineFailure(QString());
    const QByteArray sql = QByteArray("select ") + ColumnNames[column] + " from arc where rowid = ?";
    Statement s(m_db.handle(), sql.constData());
    if (!s.prepared())
        return m_db.engineFailure(QString());
    for (size_t i = 0; i < rowids.size(); ++i) {
        s.reset();
        s.bindInt(1, rowids[i]);
        if (s.row()) {
            int size = 0;
            const char *text = bytesOf(s.get(), 0, &size);
            visit(i, text, size);
        } else if (!s.done()) {
            return m_db.engineFailure(QString());
        }
    }
    return true;
}

bool ArchiveQuery::readRows(const QVector<qint64> &rowids, int maxChars, QVector<StoredOrder> *rows)
{
    rows->clear();
    if (!m_db.isOpen())
        return m_db.engineFailure(QString());
    // substr() counts characters, so a cut never splits one; a value of a
    // megabyte is never copied out whole.
    QByteArray sql("select rowid");
    for (const char *name : ColumnNames)
        sql += maxChars > 0 ? QByteArray(", substr(") + name + ", 1, ?1)" : QByteArray(", ") + name;
    sql += " from arc where rowid = ?2";
    Statement s(m_db.handle(), sql.constData());
    if (!s.prepared())
        return m_db.engineFailure(QString());
    for (qint64 rowid : rowids) {
        s.reset();
        if (maxChars > 0)
            s.bindInt(1, maxChars);
        s.bindInt(2, rowid);
        if (s.row()) {
            StoredOrder stored;
            stored.rowid = s.integer(0);
            OrderRecord &o = stored.order;
            QString *fields[] = { &o.id, &o.suma, &o.oderz, &o.idoderz, &o.bank,
                                  &o.idbank, &o.kredit, &o.oznaka, &o.datazap };
            for (int c = 0; c < ColumnCount; ++c)
                *fields[c] = s.text(c + 1);
            rows->append(stored);
        } else if (!s.done()) {
            return m_db.engineFailure(QString());
        }
    }
    return true;
}
