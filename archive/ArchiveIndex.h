#pragma once

#include "store/ArchiveQuery.h"

#include <QByteArray>
#include <QList>

#include <memory>
#include <string>
#include <utility>
#include <vector>

struct UCollator;
class CollationTable;
class Database;

// What the archive window knows of every order without holding its texts:
// the rowid, the stored form of the nine columns in one block (for the
// search and the sort; SearchFold) followed by a bit a byte for the
// capitals, the amount in kopecks and the date. About forty bytes an order
// plus its stored texts, one byte a letter and a bit. The texts to show
// are fetched by rowid when a line comes into view (ArcModel).
//
// Rows are numbered 0 to size() - 1 in the order they were saved.
class ArchiveIndex
{
public:
    using Column = ArchiveQuery::Column;

    // Reads every order once. On failure the index is empty and the
    // database holds the reason.
    bool load(Database &db);
    void clear();

    quint32 size() const { return quint32(m_rowids.size()); }
    qint64 rowid(quint32 row) const { return m_rowids[row]; }
    // The row of a rowid, or -1.
    qint64 rowOf(qint64 rowid) const;
    bool isDeleted(quint32 row) const { return m_deleted[row]; }
    void markDeleted(quint32 row) { m_deleted[row] = true; }

    // The amount in kopecks when it has the "0,00" form, else -1.
    qint64 kopecks(quint32 row) const { return m_kopecks[row]; }
    // The date as yyyymmdd, 0 when it is not a dd.mm.yyyy date.
    int date(quint32 row) const { return m_dates[row]; }

    // Every word in some column, the date within [fromDate, toDate]
    // (yyyymmdd, 0 for an open end).
    struct Filter
    {
        QList<QByteArray> words;
        int fromDate = 0;
        int toDate = 0;
    };
    bool matches(quint32 row, const Filter &filter) const;

    // Every row, sorted by a column: numbers by value, dates as dates and
    // texts in Ukrainian collation; what is not a number or a date comes
    // last either way, and equal values keep the saved order. Text columns
    // are ordered from the stored texts, or read once more from the
    // database when they hold a character the collation table cannot weigh
    // (then kept as ranks).
    bool sortOrder(Database &db, Column column, bool descending, std::vector<quint32> *order);

    // Parsers, shared with the tests' own checks.
    static qint64 parseKopecks(const char *text, int size);    // "0,00" form, else -1
    static int parseDate(const char *text, int size);          // dd.mm.yyyy -> yyyymmdd, else 0
    static bool parseNumber(const char *text, int size, qint64 *value);

private:
    void segment(quint32 row, int column, const char **begin, const char **end) const;
    bool numericKey(quint32 row, Column column, qint64 *key) const;
    bool textRanks(Database &db, Column column);
    // The rows in the order of the collation's first level, read from the
    // stored texts; where a row begins a new value (starts), and the runs
    // of rows of equal value (ties). Rows whose texts hold a character the
    // table cannot weigh are left out, in inexact; false when they are
    // too many.
    bool firstLevelOrder(Column column, const CollationTable &table, std::vector<quint32> *rows,
                         std::vector<bool> *starts, std::vector<std::pair<quint32, quint32>> *ties,
                         std::vector<quint32> *inexact) const;
    // Puts the rows left out, ordered by ICU on their texts in the
    // database, among the others.
    bool mergeInexact(Database &db, Column column, const std::vector<quint32> &inexact, std::vector<quint32> *rows,
                      std::vector<bool> *starts) const;
    // Orders each run of ties by the collation in full.
    bool settleTies(Database &db, Column column, std::vector<quint32> &rows, std::vector<bool> *starts,
                    const std::vector<std::pair<quint32, quint32>> &ties) const;
    // A column's text as saved, made again from the stored form (which
    // must hold no escape) and the capitals.
    std::string original(quint32 row, Column column) const;
    bool sameOriginal(quint32 a, quint32 b, Column column) const;
    // The texts of count rows as saved, read by rowid.
    bool savedTexts(Database &db, Column column, const quint32 *rows, size_t count,
                    std::vector<std::string> *texts) const;
    // The same ranks from ICU's keys of the texts in the database.
    bool collatorRanks(Database &db, Column column);
    // Orders the run of rows from `from` on, whose texts are given, by ICU;
    // marks where a new value starts.
    static void orderRunByTexts(const UCollator *collator, const std::vector<std::string> &texts, quint32 from,
                                std::vector<quint32> *rows, std::vector<bool> *starts);

    // Every row's folded columns, in blocks that never move, so that the
    // texts are not copied as they grow (a copy would double the peak).
    static constexpr size_t BlockSize = size_t(4) << 20;
    const char *store(const std::string &folded);

    std::vector<qint64> m_rowids;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    size_t m_blockUsed = BlockSize;   // in the last block; full when there is none
    std::vector<const char *> m_texts; // each row's stored columns, then its capitals
    std::vector<quint32> m_sizes;      // of the stored columns
    std::vector<qint64> m_kopecks;
    std::vector<qint32> m_dates;
    std::vector<bool> m_deleted;
    std::vector<quint32> m_ranks[ArchiveQuery::ColumnCount]; // collation ranks, made on first sort
};
