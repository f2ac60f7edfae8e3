#include "archive/ArcModel.h"

#include "archive/SearchFold.h"
#include "store/ArchiveQuery.h"

namespace {

// Lines fetched around the one asked for: the screen and the next.
constexpr int PageBefore = 32;
constexpr int PageAfter = 96;
// Characters of each value kept in the cache: enough for the cell and the
// tooltip, whatever the stored value's length.
constexpr int KeptChars = 1000;

int dateNumber(const QDate &date)
{
    return date.isValid() ? date.year() * 10000 + date.month() * 100 + date.day() : 0;
}

// 1 234 567,89
QString amountText(__int128 kopecks)
{
    const bool negative = kopecks < 0;
    unsigned __int128 k = negative ? -kopecks : kopecks;
    QString whole;
    unsigned __int128 units = k / 100;
    int digits = 0;
    do {
        if (digits > 0 && digits % 3 == 0)
            whole.prepend(QLatin1Char(' '));
        whole.prepend(QLatin1Char(char('0' + int(units % 10))));
        units /= 10;
        ++digits;
    } while (units > 0);
    const int cents = int(k % 100);
    return (negative ? QStringLiteral("-") : QString()) + whole + QLatin1Char(',')
            + QLatin1Char(char('0' + cents / 10)) + QLatin1Char(char('0' + cents % 10));
}

// The Russian plural of a count: one, few, many (1 поручение, 2 поручения, 5 поручений).
QString plural(qint64 n, const char *one, const char *few, const char *many)
{
    const qint64 lastTwo = n % 100, last = n % 10;
    const char *word = (lastTwo >= 11 && lastTwo <= 14) ? many : last == 1 ? one : (last >= 2 && last <= 4) ? few : many;
    return QString::number(n) + QLatin1Char(' ') + QString::fromUtf8(word);
}

// The first line of a value, at most chars characters; "…" when cut.
QString shortened(const QString &text, int chars, bool firstLineOnly)
{
    QString shown = text;
    bool cut = text.size() >= KeptChars;
    if (firstLineOnly) {
        qsizetype lineEnd = 0;
        while (lineEnd < shown.size() && shown.at(lineEnd) != QLatin1Char('\n') && shown.at(lineEnd) != QLatin1Char('\r'))
            ++lineEnd;
        if (lineEnd < shown.size()) {
            shown.truncate(lineEnd);
            cut = true;
        }
    }
    if (shown.size() > chars) {
        shown.truncate(chars);
        cut = true;
    }
    return cut ? shown + QChar(0x2026) : shown;
}

} // namespace

ArcModel::ArcModel(Database &db, QObject *parent)
    : QAbstractTableModel(parent)
    , m_db(db)
{
}

bool ArcModel::load()
{
    beginResetModel();
    m_cache.clear();
    m_order.clear();
    m_filter = {};
    m_searchFolded.clear();
    m_sortColumn = -1;
    m_sort = Sort::None;
    forgetEarlier();
    const bool ok = m_index.load(m_db);
    rebuild(nullptr);
    endResetModel();
    return ok;
}

void ArcModel::clear()
{
    beginResetModel();
    m_index.clear();
    m_cache.clear();
    std::vector<quint32>().swap(m_order);
    std::vector<quint32>().swap(m_visible);
    forgetEarlier();
    m_totals = {};
    endResetModel();
}

// The lines shown: the rows in sort order that pass the filter. A search
// that only narrows the last one looks at the lines shown, and only for
// the words that are new.
void ArcModel::rebuild(const QList<QByteArray> *newWords)
{
    std::vector<quint32> shown;
    Totals totals;
    ArchiveIndex::Filter filter = m_filter;
    if (newWords)
        filter.words = *newWords;
    auto consider = [&](quint32 row) {
        if (!m_index.matches(row, filter))
            return;
        shown.push_back(row);
        ++totals.orders;
        const qint64 kopecks = m_index.kopecks(row);
        if (kopecks >= 0)
            totals.kopecks += kopecks;
        else
            ++totals.notInForm;
    };
    if (newWords) {
        for (quint32 row : m_visible)
            consider(row);
    } else if (m_order.empty()) {
        shown.reserve(m_index.size());
        for (quint32 row = 0; row < m_index.size(); ++row)
            consider(row);
    } else {
        shown.reserve(m_order.size());
        for (quint32 row : m_order)
            consider(row);
    }
    shown.shrink_to_fit();
    m_visible.swap(shown);
    m_totals = totals;
}

// Each search typed on to the one before is kept, so that taking letters
// back finds its lines again at once; at most about two lists of the whole
// archive's size are kept.
void ArcModel::remember()
{
    size_t kept = m_visible.size();
    for (const Earlier &e : m_earlier)
        kept += e.visible.size();
    while (!m_earlier.empty() && kept > 2 * size_t(m_index.size()) + 1024) {
        kept -= m_earlier.front().visible.size();
        m_earlier.erase(m_earlier.begin());
    }
    m_earlier.push_back({ m_searchFolded, m_filter.words, m_visible, m_totals });
}

void ArcModel::forgetEarlier()
{
    std::vector<Earlier>().swap(m_earlier);
}

void ArcModel::setSearch(const QString &text)
{
    const QByteArray folded = SearchFold::folded(text);
    if (folded == m_searchFolded)
        return;
    const QList<QByteArray> words = SearchFold::words(text);
    beginResetModel();
    if (folded.startsWith(m_searchFolded)) {
        QList<QByteArray> newWords;
        for (const QByteArray &word : words)
            if (!m_filter.words.contains(word))
                newWords.append(word);
        remember();
        m_searchFolded = folded;
        m_filter.words = words;
        rebuild(&newWords);
    } else {
        // Taken back: an earlier search of the same letters, or all again.
        while (!m_earlier.empty() && !folded.startsWith(m_earlier.back().folded))
            m_earlier.pop_back();
        m_searchFolded = folded;
        m_filter.words = words;
        if (!m_earlier.empty() && m_earlier.back().folded == folded) {
            m_visible.swap(m_earlier.back().visible);
            m_totals = m_earlier.back().totals;
            m_earlier.pop_back();
        } else {
            rebuild(nullptr);
        }
    }
    endResetModel();
}

void ArcModel::setDateRange(const QDate &from, const QDate &to)
{
    const int fromDate = dateNumber(from), toDate = dateNumber(to);
    if (fromDate == m_filter.fromDate && toDate == m_filter.toDate)
        return;
    m_filter.fromDate = fromDate;
    m_filter.toDate = toDate;
    beginResetModel();
    forgetEarlier();
    rebuild(nullptr);
    endResetModel();
}

bool ArcModel::sortBy(int column, Sort sort)
{
    std::vector<quint32> order;
    if (sort != Sort::None
        && !m_index.sortOrder(m_db, ArchiveIndex::Column(column), sort == Sort::Descending, &order))
        return false;
    beginResetModel();
    m_order.swap(order);
    m_sortColumn = sort == Sort::None ? -1 : column;
    m_sort = sort;
    forgetEarlier();
    rebuild(nullptr);
    endResetModel();
    return true;
}

void ArcModel::removeRowid(qint64 rowid)
{
    const qint64 row = m_index.rowOf(rowid);
    if (row < 0)
        return;
    m_index.markDeleted(quint32(row));
    m_cache.remove(rowid);
    forgetEarlier();
    const int position = positionOf(rowid);
    if (position < 0)
        return;
    beginRemoveRows(QModelIndex(), position, position);
    m_visible.erase(m_visible.begin() + position);
    --m_totals.orders;
    const qint64 kopecks = m_index.kopecks(quint32(row));
    if (kopecks >= 0)
        m_totals.kopecks -= kopecks;
    else
        --m_totals.notInForm;
    endRemoveRows();
}

QVector<qint64> ArcModel::shownRowids() const
{
    QVector<qint64> rowids;
    rowids.reserve(qsizetype(m_visible.size()));
    for (quint32 row : m_visible)
        rowids.append(m_index.rowid(row));
    return rowids;
}

int ArcModel::positionOf(qint64 rowid) const
{
    const qint64 row = m_index.rowOf(rowid);
    if (row < 0)
        return -1;
    for (size_t i = 0; i < m_visible.size(); ++i)
        if (m_visible[i] == quint32(row))
            return int(i);
    return -1;
}

QString ArcModel::totalsText(const Totals &t)
{
    QString text = plural(t.orders, "поручение", "поручения", "поручений") + QStringLiteral(" на сумму ")
            + amountText(t.kopecks) + QStringLiteral(" грн");
    if (t.notInForm > 0)
        text += QStringLiteral("; ") + plural(t.notInForm, "сумма", "суммы", "сумм")
                + QStringLiteral(" не в формате 0,00");
    return text;
}

int ArcModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_visible.size());
}

int ArcModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

qint64 ArcModel::rowid(int row) const
{
    return row < 0 || row >= rowCount() ? 0 : m_index.rowid(m_visible[size_t(row)]);
}

// The order of a line, from the cache or fetched with the lines around it.
const OrderRecord *ArcModel::record(int row) const
{
    const qint64 wanted = rowid(row);
    if (wanted == 0)
        return nullptr;
    if (const OrderRecord *cached = m_cache.object(wanted))
        return cached;
    QVector<qint64> page;
    for (int r = std::max(0, row - PageBefore); r < std::min(rowCount(), row + PageAfter); ++r)
        if (!m_cache.contains(rowid(r)))
            page.append(rowid(r));
    QVector<StoredOrder> fetched;
    ArchiveQuery(m_db).readRows(page, KeptChars, &fetched);
    for (const StoredOrder &stored : fetched)
        m_cache.insert(stored.rowid, new OrderRecord(stored.order));
    // A row another program deleted meanwhile shows empty, and is not asked for again.
    if (!m_cache.contains(wanted))
        m_cache.insert(wanted, new OrderRecord);
    return m_cache.object(wanted);
}

QString ArcModel::text(int row, int column) const
{
    const OrderRecord *o = record(row);
    if (!o)
        return QString();
    switch (column) {
    case Id: return o->id;
    case Suma: return o->suma;
    case Oderz: return o->oderz;
    case Idoderz: return o->idoderz;
    case Bank: return o->bank;
    case Idbank: return o->idbank;
    case Kredit: return o->kredit;
    case Oznaka: return o->oznaka;
    case Datazap: return o->datazap;
    default: return QString();
    }
}

QString ArcModel::tooltip(int row) const
{
    QStringList lines;
    for (int c = 0; c < ColumnCount; ++c)
        lines << header(c) + QStringLiteral(": ") + shortened(text(row, c), TooltipChars, false);
    return lines.join(QLatin1Char('\n'));
}

QVariant ArcModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return shortened(text(index.row(), index.column()), CellChars, true);
    case Qt::ToolTipRole:
        return tooltip(index.row());
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
