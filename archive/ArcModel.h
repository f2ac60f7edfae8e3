#pragma once

#include "archive/ArchiveIndex.h"
#include "store/Records.h"

#include <QAbstractTableModel>
#include <QCache>
#include <QDate>

#include <vector>

class Database;

// The archive list's lines, read-only, one column per value of the order.
// It holds the archive's index (ArchiveIndex) and the lines shown, as row
// numbers; the texts of the lines in view are fetched by rowid a page at a
// time and kept in a small cache. Search, date range and sorting rebuild
// the lines shown, never the index.
class ArcModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // The columns by position in table arc.
    enum Column { Id, Suma, Oderz, Idoderz, Bank, Idbank, Kredit, Oznaka, Datazap, ColumnCount };
    enum class Sort { None, Ascending, Descending };

    // A cell shows at most this many characters of its first line; a
    // tooltip at most TooltipChars of each value.
    static constexpr int CellChars = 200;
    static constexpr int TooltipChars = 500;

    explicit ArcModel(Database &db, QObject *parent = nullptr);

    // Reads the archive afresh: every order, in the order saved, no search.
    bool load();
    void clear();

    // The search words and the date range (an invalid date: no bound).
    void setSearch(const QString &text);
    void setDateRange(const QDate &from, const QDate &to);
    // False (the lines unchanged) when the texts could not be read again.
    bool sortBy(int column, Sort sort);
    int sortColumn() const { return m_sortColumn; }
    Sort sortState() const { return m_sort; }

    // The lines shown: how many, the sum of the amounts in the "0,00" form
    // in kopecks, and how many amounts are not in that form.
    struct Totals
    {
        qint64 orders = 0;
        __int128 kopecks = 0;
        qint64 notInForm = 0;
    };
    Totals totals() const { return m_totals; }
    static QString totalsText(const Totals &totals);

    // Takes the line of rowid out of the list (its order was deleted).
    void removeRowid(qint64 rowid);
    // The rowids of the lines shown, in their order.
    QVector<qint64> shownRowids() const;
    // The line showing rowid, or -1.
    int positionOf(qint64 rowid) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The text of a cell as far as it is kept (CellChars lines are cut
    // for showing only); empty for a line that does not exist.
    QString text(int row, int column) const;
    // SQLite's rowid of a line's row, 0 for a line that does not exist.
    qint64 rowid(int row) const;

    static QString header(int column);

private:
    // From all rows in sort order, or (newWords given) from the lines
    // shown, checking only those words.
    void rebuild(const QList<QByteArray> *newWords);
    void remember();
    void forgetEarlier();
    const OrderRecord *record(int row) const;
    QString tooltip(int row) const;

    Database &m_db;
    ArchiveIndex m_index;
    std::vector<quint32> m_order;   // every row in the sort order; empty: the saved order
    std::vector<quint32> m_visible; // the rows shown, in order
    ArchiveIndex::Filter m_filter;
    QByteArray m_searchFolded;
    int m_sortColumn = -1;
    Sort m_sort = Sort::None;
    Totals m_totals;
    struct Earlier
    {
        QByteArray folded;
        QList<QByteArray> words;
        std::vector<quint32> visible;
        Totals totals;
    };
    std::vector<Earlier> m_earlier; // the searches the current one was typed on to, oldest first
    mutable QCache<qint64, OrderRecord> m_cache{ 2000 };
};
