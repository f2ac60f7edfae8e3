#pragma once

#include "store/Records.h"

#include <QVector>

#include <functional>
#include <vector>

class Database;

// Reads of the archive for the archive window: whole-archive passes that
// hand over the engine's own UTF-8 bytes (no text objects per value, so a
// million orders pass through quickly), and orders fetched by rowid a page
// at a time. Failures are recorded on the database (Database::errorText).
class ArchiveQuery
{
public:
    explicit ArchiveQuery(Database &db) : m_db(db) { }

    // The columns of table arc, in the order of OrderRecord.
    enum Column { Id, Suma, Oderz, Idoderz, Bank, Idbank, Kredit, Oznaka, Datazap, ColumnCount };

    // One row as the engine holds it: each value's UTF-8 bytes (a NULL is
    // empty), valid only during the visit.
    struct RawRow
    {
        qint64 rowid = 0;
        const char *text[ColumnCount] = {};
        int size[ColumnCount] = {};
    };

    // Visits every order in the order they were saved (rowid order).
    bool scanAll(const std::function<void(const RawRow &)> &visit);
    // Visits one column of every order, in rowid order.
    bool scanColumn(Column column, const std::function<void(qint64 rowid, const char *text, int size)> &visit);
    // One column of the given rows, visited with each row's place in
    // rowids; rows that are gone are left out.
    bool readColumn(Column column, const std::vector<qint64> &rowids,
                    const std::function<void(size_t at, const char *text, int size)> &visit);
    // The orders stored in the given rows, in that order, each text cut to
    // its first maxChars characters (whole when maxChars is 0); rows that
    // are gone are left out.
    bool readRows(const QVector<qint64> &rowids, int maxChars, QVector<StoredOrder> *rows);

private:
    Database &m_db;
};
