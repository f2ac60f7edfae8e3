#include "archive/ArchiveIndex.h"

#include "archive/CollationTable.h"
#include "archive/SearchFold.h"
#include "store/Database.h"

#include <unicode/ucol.h>
#include <unicode/uiter.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>

namespace {

constexpr qint64 Last = std::numeric_limits<qint64>::max();
// Collation keys are cut after this many bytes: texts that agree that far
// are compared whole.
constexpr int CollationKeyBytes = 48;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

using Collator = std::unique_ptr<UCollator, decltype(&ucol_close)>;
// Null when ICU has no Ukrainian collation (noCollator says so).
Collator ukrainianCollator()
{
    UErrorCode status = U_ZERO_ERROR;
    Collator collator(ucol_open("uk_UA", &status), &ucol_close);
    if (U_FAILURE(status))
        collator.reset();
    return collator;
}

bool noCollator(Database &db)
{
    return db.engineFailure(QStringLiteral("Не удалось загрузить правила сортировки украинского текста."));
}

// A key's first eight bytes as a number, so that most comparisons are one.
quint64 prefixOf(const unsigned char *key, int size)
{
    quint64 prefix = 0;
    for (int i = 0; i < 8; ++i)
        prefix = (prefix << 8) | (i < size ? key[i] : 0);
    return prefix;
}

} // namespace

qint64 ArchiveIndex::parseKopecks(const char *text, int size)
{
    // Digits, a comma, two digits; at most sixteen digits before the comma
    // so that every amount and the kopecks fit a 64-bit integer.
    if (size < 4 || size > 19 || text[size - 3] != ',' || !isDigit(text[size - 2]) || !isDigit(text[size - 1]))
        return -1;
    qint64 value = 0;
    for (int i = 0; i < size - 3; ++i) {
        if (!isDigit(text[i]))
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value * 100 + (text[size - 2] - '0') * 10 + (text[size - 1] - '0');
}

int ArchiveIndex::parseDate(const char *text, int size)
{
    if (size != 10 || text[2] != '.' || text[5] != '.')
        return 0;
    for (int i : { 0, 1, 3, 4, 6, 7, 8, 9 })
        if (!isDigit(text[i]))
            return 0;
    auto number = [&](int from, int digits) {
        int n = 0;
        for (int i = from; i < from + digits; ++i)
            n = n * 10 + (text[i] - '0');
        return n;
    };
    const int day = number(0, 2), month = number(3, 2), year = number(6, 4);
    if (day < 1 || day > 31 || month < 1 || month > 12)
        return 0;
    return year * 10000 + month * 100 + day;
}

bool ArchiveIndex::parseNumber(const char *text, int size, qint64 *value)
{
    // An optional minus, up to eighteen digits, then optionally a comma or
    // point and up to two digits (an amount); the value in hundredths.
    int i = 0;
    const bool negative = size > 0 && text[0] == '-';
    i += negative;
    qint64 whole = 0;
    int digits = 0;
    while (i < size && isDigit(text[i]) && digits < 18) {
        whole = whole * 10 + (text[i++] - '0');
        ++digits;
    }
    if (digits == 0)
        return false;
    int fraction = 0;
    if (i < size && (text[i] == ',' || text[i] == '.')) {
        ++i;
        int fractionDigits = 0;
        while (i < size && isDigit(text[i]) && fractionDigits < 2) {
            fraction = fraction * 10 + (text[i++] - '0');
            ++fractionDigits;
        }
        if (fractionDigits == 1)
            fraction *= 10;
    }
    if (i != size || whole > Last / 100 - 1)
        return false;
    *value = (whole * 100 + fraction) * (negative ? -1 : 1);
    return true;
}

void ArchiveIndex::clear()
{
    std::vector<qint64>().swap(m_rowids);
    std::vector<std::unique_ptr<char[]>>().swap(m_blocks);
    m_blockUsed = BlockSize;
    std::vector<const char *>().swap(m_texts);
    std::vector<quint32>().swap(m_sizes);
    std::vector<qint64>().swap(m_kopecks);
    std::vector<qint32>().swap(m_dates);
    std::vector<bool>().swap(m_deleted);
    for (auto &ranks : m_ranks)
        std::vector<quint32>().swap(ranks);
}

const char *ArchiveIndex::store(const std::string &folded)
{
    if (m_blocks.empty() || folded.size() > BlockSize - m_blockUsed) {
        // A text longer than a block gets a block of its own.
        m_blocks.emplace_back(new char[std::max(BlockSize, folded.size())]);
        m_blockUsed = folded.size() > BlockSize ? BlockSize : 0;
        if (folded.size() > BlockSize) {
            std::memcpy(m_blocks.back().get(), folded.data(), folded.size());
            return m_blocks.back().get();
        }
    }
    char *at = m_blocks.back().get() + m_blockUsed;
    std::memcpy(at, folded.data(), folded.size());
    m_blockUsed += folded.size();
    return at;
}

bool ArchiveIndex::load(Database &db)
{
    clear();
    qint64 count = 0;
    if (db.countOrders(&count) && count > 0) {
        for (auto *v : { &m_rowids, &m_kopecks })
            v->reserve(size_t(count));
        m_texts.reserve(size_t(count));
        m_sizes.reserve(size_t(count));
        m_dates.reserve(size_t(count));
    }
    std::string folded;
    std::vector<quint32> capitals;
    ArchiveQuery query(db);
    const bool ok = query.scanAll([&](const ArchiveQuery::RawRow &row) {
        folded.clear();
        capitals.clear();
        for (int c = 0; c < ArchiveQuery::ColumnCount; ++c) {
            if (c > 0)
                folded.push_back(SearchFold::ColumnSeparator);
            SearchFold::appendFolded(row.text[c], row.size[c], &folded, &capitals);
        }
        // The capitals follow the text, a bit a byte.
        const size_t textSize = folded.size();
        folded.resize(textSize + (textSize + 7) / 8, '\0');
        for (quint32 at : capitals)
            folded[textSize + at / 8] = char(folded[textSize + at / 8] | (1 << (at % 8)));
        m_rowids.push_back(row.rowid);
        m_texts.push_back(store(folded));
        m_sizes.push_back(quint32(std::min<size_t>(textSize, std::numeric_limits<quint32>::max())));
        m_kopecks.push_back(parseKopecks(row.text[ArchiveQuery::Suma], row.size[ArchiveQuery::Suma]));
        m_dates.push_back(parseDate(row.text[ArchiveQuery::Datazap], row.size[ArchiveQuery::Datazap]));
    });
    if (!ok) {
        clear();
        return false;
    }
    m_deleted.assign(m_rowids.size(), false);
    return true;
}

qint64 ArchiveIndex::rowOf(qint64 rowid) const
{
    const auto at = std::lower_bound(m_rowids.begin(), m_rowids.end(), rowid);
    return at != m_rowids.end() && *at == rowid ? at - m_rowids.begin() : -1;
}

void ArchiveIndex::segment(quint32 row, int column, const char **begin, const char **end) const
{
    const char *p = m_texts[row];
    const char *rowEnd = p + m_sizes[row];
    for (int c = 0; c < column && p < rowEnd; ++c) {
        p = static_cast<const char *>(std::memchr(p, SearchFold::ColumnSeparator, size_t(rowEnd - p)));
        p = p ? p + 1 : rowEnd;
    }
    const void *next = std::memchr(p, SearchFold::ColumnSeparator, size_t(rowEnd - p));
    *begin = p;
    *end = next ? static_cast<const char *>(next) : rowEnd;
}

bool ArchiveIndex::matches(quint32 row, const Filter &filter) const
{
    if (m_deleted[row])
        return false;
    if (filter.fromDate || filter.toDate) {
        const int date = m_dates[row];
        if (date == 0 || (filter.fromDate && date < filter.fromDate) || (filter.toDate && date > filter.toDate))
            return false;
    }
    const char *begin = m_texts[row];
    const char *end = begin + m_sizes[row];
    for (const QByteArray &word : filter.words)
        if (!SearchFold::contains(begin, end, word))
            return false;
    return true;
}

bool ArchiveIndex::numericKey(quint32 row, Column column, qint64 *key) const
{
    if (column == ArchiveQuery::Datazap) {
        *key = m_dates[row];
        return *key != 0;
    }
    // Digits, signs and commas fold to themselves.
    const char *begin = nullptr, *end = nullptr;
    segment(row, column, &begin, &end);
    return parseNumber(begin, int(end - begin), key);
}

bool ArchiveIndex::collatorRanks(Database &db, Column column)
{
    std::vector<quint32> &ranks = m_ranks[column];
    const Collator collator = ukrainianCollator();
    if (!collator)
        return noCollator(db);

    // Each row's collation key, cut to CollationKeyBytes, in blocks that
    // never move; a row the database no longer holds gets an empty key.
    struct Key { quint64 prefix; const unsigned char *bytes; quint32 row; quint32 size; };
    const quint32 rows = size();
    std::vector<Key> keys(rows, Key { 0, nullptr, 0, 0 });
    for (quint32 r = 0; r < rows; ++r)
        keys[r].row = r;
    std::vector<std::unique_ptr<unsigned char[]>> blocks;
    size_t used = BlockSize;
    quint32 next = 0;
    ArchiveQuery query(db);
    const bool ok = query.scanColumn(column, [&](qint64 rowid, const char *text, int size) {
        while (next < rows && m_rowids[next] < rowid)
            ++next;
        if (next >= rows || m_rowids[next] != rowid)
            return;
        if (used + CollationKeyBytes > BlockSize) {
            blocks.emplace_back(new unsigned char[BlockSize]);
            used = 0;
        }
        UCharIterator it;
        uiter_setUTF8(&it, text, size);
        uint32_t state[2] = { 0, 0 };
        UErrorCode keyStatus = U_ZERO_ERROR;
        unsigned char *key = blocks.back().get() + used;
        const int32_t length = ucol_nextSortKeyPart(collator.get(), &it, state, key, CollationKeyBytes, &keyStatus);
        if (U_FAILURE(keyStatus))
            return;
        keys[next] = { prefixOf(key, length), key, next, quint32(length) };
        used += size_t(length);
    });
    if (!ok)
        return false;

    auto compareKeys = [](const Key &a, const Key &b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix ? -1 : 1;
        const quint32 common = std::min(a.size, b.size);
        const int c = common > 8 ? std::memcmp(a.bytes + 8, b.bytes + 8, common - 8) : 0;
        return c != 0 ? c : int(a.size) - int(b.size);
    };
    std::sort(keys.begin(), keys.end(), [&](const Key &a, const Key &b) {
        const int c = compareKeys(a, b);
        return c != 0 ? c < 0 : a.row < b.row;
    });
    std::vector<quint32> sorted(rows);
    std::vector<bool> starts(rows);
    for (quint32 i = 0; i < rows; ++i) {
        sorted[i] = keys[i].row;
        starts[i] = i == 0 || compareKeys(keys[i], keys[i - 1]) != 0;
    }
    // Keys cut short tell only that the texts begin alike: such lines are
    // ordered on their whole texts, read once more by rowid.
    std::vector<std::string> texts;
    for (quint32 i = 0, j = 0; i < rows; i = j) {
        for (j = i + 1; j < rows && !starts[j];)
            ++j;
        if (j - i < 2 || keys[i].size < quint32(CollationKeyBytes))
            continue;
        if (!savedTexts(db, column, sorted.data() + i, j - i, &texts))
            return false;
        orderRunByTexts(collator.get(), texts, i, &sorted, &starts);
    }
    ranks.assign(rows, 0);
    quint32 rank = 0;
    for (quint32 i = 0; i < rows; ++i) {
        rank += i > 0 && starts[i];
        ranks[sorted[i]] = rank;
    }
    return true;
}

namespace {

// A stored text's first-level weights, a chunk at a time: ChunkWeights of
// them from pos on, one byte each, packed so that the three numbers compare
// as the weights do; zeros after the last.
constexpr int ChunkWeights = 24;
constexpr quint32 Ended = std::numeric_limits<quint32>::max();

struct WeightChunk
{
    quint64 w[3];
    quint32 row;
    quint32 pos; // byte offset * 2 + the weight within that byte; Ended
};

bool sameWeights(const WeightChunk &a, const WeightChunk &b)
{
    return a.w[0] == b.w[0] && a.w[1] == b.w[1] && a.w[2] == b.w[2];
}

bool chunkBefore(const WeightChunk &a, const WeightChunk &b)
{
    if (a.w[0] != b.w[0])
        return a.w[0] < b.w[0];
    if (a.w[1] != b.w[1])
        return a.w[1] < b.w[1];
    if (a.w[2] != b.w[2])
        return a.w[2] < b.w[2];
    return a.row < b.row;
}

// Chunks come in the saved order; texts that share a long beginning (or
// are one text) often leave them sorted already.
template<typename It>
void sortChunks(It begin, It end)
{
    if (!std::is_sorted(begin, end, chunkBefore))
        std::sort(begin, end, chunkBefore);
}

// With wholeText, also whether every byte of the text is exact.
bool fillChunk(const CollationTable &table, const unsigned char *text, quint32 size, WeightChunk *chunk,
               bool wholeText = false)
{
    quint64 w[3] = { 0, 0, 0 };
    int n = 0;
    quint32 at = chunk->pos >> 1;
    int within = int(chunk->pos & 1);
    while (at < size && n < ChunkWeights) {
        const unsigned char byte = text[at];
        const int count = table.weightCount(byte);
        if (count < 0)
            return false;
        const unsigned char *weights = table.weights(byte);
        for (; within < count && n < ChunkWeights; ++within, ++n)
            w[n / 8] |= quint64(weights[within]) << (56 - 8 * (n % 8));
        if (within >= count) {
            ++at;
            within = 0;
        }
    }
    std::copy(w, w + 3, chunk->w);
    // A full chunk is never the last: the text's end shows in the next,
    // so that equal chunks are either all full or all ended.
    chunk->pos = n < ChunkWeights ? Ended : at * 2 + quint32(within);
    if (wholeText)
        for (quint32 i = at; i < size; ++i)
            if (!table.exact(text[i]))
                return false;
    return true;
}

} // namespace

void ArchiveIndex::orderRunByTexts(const UCollator *collator, const std::vector<std::string> &texts, quint32 from,
                                   std::vector<quint32> *rows, std::vector<bool> *starts)
{
    std::vector<quint32> order(texts.size());
    for (quint32 i = 0; i < order.size(); ++i)
        order[i] = i;
    auto compare = [&](quint32 a, quint32 b) {
        UErrorCode status = U_ZERO_ERROR;
        return ucol_strcollUTF8(collator, texts[a].data(), int32_t(texts[a].size()), texts[b].data(),
                                int32_t(texts[b].size()), &status);
    };
    std::stable_sort(order.begin(), order.end(), [&](quint32 a, quint32 b) { return compare(a, b) < 0; });
    const std::vector<quint32> before(rows->begin() + from, rows->begin() + from + quint32(texts.size()));
    for (quint32 i = 0; i < order.size(); ++i) {
        (*rows)[from + i] = before[order[i]];
        if (i > 0)
            (*starts)[from + i] = compare(order[i - 1], order[i]) != 0;
    }
}

bool ArchiveIndex::firstLevelOrder(Column column, const CollationTable &table, std::vector<quint32> *rows,
                                   std::vector<bool> *startsValue, std::vector<std::pair<quint32, quint32>> *ties,
                                   std::vector<quint32> *inexact) const
{
    std::vector<WeightChunk> chunks;
    chunks.reserve(size());
    auto columnOf = [&](quint32 row, quint32 *textSize) {
        const char *begin = nullptr, *end = nullptr;
        segment(row, column, &begin, &end);
        *textSize = quint32(end - begin);
        return reinterpret_cast<const unsigned char *>(begin);
    };
    // A few texts with characters outside the table are ordered apart;
    // with many (or most), ICU's keys of all are quicker.
    constexpr size_t InexactAtMost = 10000;
    for (quint32 r = 0; r < size(); ++r) {
        quint32 textSize = 0;
        const unsigned char *text = columnOf(r, &textSize);
        WeightChunk chunk { { 0, 0, 0 }, r, 0 };
        if (fillChunk(table, text, textSize, &chunk, true))
            chunks.push_back(chunk);
        else if (inexact->push_back(r), inexact->size() > InexactAtMost)
            return false;
    }
    if (inexact->size() * 2 > size())
        return false;
    const quint32 count = quint32(chunks.size());
    sortChunks(chunks.begin(), chunks.end());

    // Lines with equal chunks that go on are sorted again by their next
    // chunks; those that ended together weigh the same at this level.
    std::vector<bool> &starts = *startsValue;
    starts.assign(count, false);
    std::vector<std::pair<quint32, quint32>> pending { { 0, count } };
    while (!pending.empty()) {
        const auto [from, to] = pending.back();
        pending.pop_back();
        for (quint32 i = from; i < to;) {
            if (i > from)
                starts[i] = true;
            quint32 j = i + 1;
            while (j < to && sameWeights(chunks[j], chunks[i]))
                ++j;
            if (j - i > 1 && chunks[i].pos == Ended) {
                ties->push_back({ i, j });
            } else if (j - i > 1) {
                for (quint32 k = i; k < j; ++k) {
                    quint32 textSize = 0;
                    const unsigned char *text = columnOf(chunks[k].row, &textSize);
                    fillChunk(table, text, textSize, &chunks[k]); // every byte exact, seen above
                }
                sortChunks(chunks.begin() + i, chunks.begin() + j);
                pending.push_back({ i, j });
            }
            i = j;
        }
    }
    if (count > 0)
        starts[0] = true;
    rows->resize(count);
    for (quint32 i = 0; i < count; ++i)
        (*rows)[i] = chunks[i].row;
    return true;
}

bool ArchiveIndex::textRanks(Database &db, Column column)
{
    std::vector<quint32> &ranks = m_ranks[column];
    if (!ranks.empty())
        return true;
    const CollationTable *table = CollationTable::ukrainian();
    std::vector<quint32> rows;
    std::vector<bool> starts;
    std::vector<std::pair<quint32, quint32>> ties;
    std::vector<quint32> inexact;
    if (!table || !firstLevelOrder(column, *table, &rows, &starts, &ties, &inexact))
        return collatorRanks(db, column);
    if (!settleTies(db, column, rows, &starts, ties) || !mergeInexact(db, column, inexact, &rows, &starts))
        return false;
    ranks.assign(rows.size(), 0);
    quint32 rank = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        rank += i > 0 && starts[i];
        ranks[rows[i]] = rank;
    }
    return true;
}

std::string ArchiveIndex::original(quint32 row, Column column) const
{
    const char *begin = nullptr, *end = nullptr;
    segment(row, column, &begin, &end);
    const auto *capitals = reinterpret_cast<const unsigned char *>(m_texts[row] + m_sizes[row]);
    std::string text;
    SearchFold::appendOriginal(reinterpret_cast<const unsigned char *>(begin), size_t(end - begin), capitals,
                               size_t(begin - m_texts[row]), &text);
    return text;
}

bool ArchiveIndex::savedTexts(Database &db, Column column, const quint32 *rows, size_t count,
                              std::vector<std::string> *texts) const
{
    std::vector<qint64> rowids(count);
    for (size_t i = 0; i < count; ++i)
        rowids[i] = m_rowids[rows[i]];
    texts->assign(count, std::string()); // a line gone is an empty text
    ArchiveQuery query(db);
    return query.readColumn(column, rowids, [&](size_t at, const char *text, int size) {
        (*texts)[at].assign(text, size_t(size));
    });
}

bool ArchiveIndex::mergeInexact(Database &db, Column column, const std::vector<quint32> &inexact,
                                std::vector<quint32> *rows, std::vector<bool> *starts) const
{
    if (inexact.empty())
        return true;
    // Their texts from the database, ordered by ICU among themselves...
    std::vector<std::string> texts;
    if (!savedTexts(db, column, inexact.data(), inexact.size(), &texts))
        return false;
    const Collator collator = ukrainianCollator();
    if (!collator)
        return noCollator(db);
    std::vector<quint32> order(inexact.size());
    std::vector<bool> orderStarts(inexact.size());
    for (quint32 i = 0; i < order.size(); ++i)
        order[i] = i;
    orderRunByTexts(collator.get(), texts, 0, &order, &orderStarts);

    // ...then each put before the first line that does not come before it
    // (lines of equal value take their saved order from the ranks).
    auto compare = [&](const std::string &a, const std::string &b) {
        UErrorCode compareStatus = U_ZERO_ERROR;
        return ucol_strcollUTF8(collator.get(), a.data(), int32_t(a.size()), b.data(), int32_t(b.size()),
                                &compareStatus);
    };
    const quint32 count = quint32(rows->size());
    std::vector<quint32> merged;
    std::vector<bool> mergedStarts;
    merged.reserve(count + inexact.size());
    mergedStarts.reserve(count + inexact.size());
    const std::string *lastInexact = nullptr; // the text of the line put last, when it was one of these
    auto putExact = [&](quint32 p) {
        merged.push_back((*rows)[p]);
        const bool newValue = lastInexact ? compare(*lastInexact, original((*rows)[p], column)) != 0
                                          : bool((*starts)[p]);
        mergedStarts.push_back(merged.size() == 1 || newValue);
        lastInexact = nullptr;
    };
    quint32 next = 0;
    for (quint32 i = 0; i < order.size(); ++i) {
        const std::string &text = texts[order[i]];
        quint32 low = next, high = count;
        while (low < high) {
            const quint32 mid = low + (high - low) / 2;
            const int c = compare(original((*rows)[mid], column), text);
            if (c >= 0)
                high = mid;
            else
                low = mid + 1;
        }
        for (; next < low; ++next)
            putExact(next);
        const bool newValue = merged.empty()
                || (lastInexact ? bool(orderStarts[i]) : compare(original(merged.back(), column), text) != 0);
        merged.push_back(inexact[order[i]]);
        mergedStarts.push_back(newValue);
        lastInexact = &text;
    }
    for (; next < count; ++next)
        putExact(next);
    rows->swap(merged);
    starts->swap(mergedStarts);
    return true;
}

bool ArchiveIndex::sameOriginal(quint32 a, quint32 b, Column column) const
{
    const char *beginA = nullptr, *endA = nullptr, *beginB = nullptr, *endB = nullptr;
    segment(a, column, &beginA, &endA);
    segment(b, column, &beginB, &endB);
    const size_t size = size_t(endA - beginA);
    if (size != size_t(endB - beginB) || std::memcmp(beginA, beginB, size) != 0)
        return false;
    const auto *capitalsA = reinterpret_cast<const unsigned char *>(m_texts[a] + m_sizes[a]);
    const auto *capitalsB = reinterpret_cast<const unsigned char *>(m_texts[b] + m_sizes[b]);
    const size_t firstA = size_t(beginA - m_texts[a]), firstB = size_t(beginB - m_texts[b]);
    for (size_t i = 0; i < size; ++i) {
        const size_t bitA = firstA + i, bitB = firstB + i;
        if (((capitalsA[bitA / 8] >> (bitA % 8)) & 1) != ((capitalsB[bitB / 8] >> (bitB % 8)) & 1))
            return false;
    }
    return true;
}

bool ArchiveIndex::settleTies(Database &db, Column column, std::vector<quint32> &rows, std::vector<bool> *starts,
                              const std::vector<std::pair<quint32, quint32>> &ties) const
{
    // Lines that weigh the same at the first level may still differ in
    // case or accents: ICU orders their texts, made again from the stored
    // form and the capitals, unless they are all one text.
    const Collator collator = ukrainianCollator();
    if (!collator)
        return noCollator(db);
    // Which runs hold texts that differ: each line against its run's first,
    // in the saved order, so that the texts are read one after another.
    constexpr quint32 NotTied = std::numeric_limits<quint32>::max();
    std::vector<quint32> runOf(size(), NotTied);
    for (quint32 t = 0; t < ties.size(); ++t)
        for (quint32 i = ties[t].first + 1; i < ties[t].second; ++i)
            runOf[rows[i]] = t;
    std::vector<bool> differs(ties.size(), false);
    for (quint32 row = 0; row < size(); ++row) {
        const quint32 t = runOf[row];
        if (t != NotTied && !differs[t] && !sameOriginal(row, rows[ties[t].first], column))
            differs[t] = true;
    }
    std::vector<std::string> texts;
    for (quint32 t = 0; t < ties.size(); ++t) {
        if (!differs[t])
            continue;
        const auto [from, to] = ties[t];
        texts.clear();
        for (quint32 i = from; i < to; ++i)
            texts.push_back(original(rows[i], column));
        orderRunByTexts(collator.get(), texts, from, &rows, starts);
    }
    return true;
}

bool ArchiveIndex::sortOrder(Database &db, Column column, bool descending, std::vector<quint32> *order)
{
    const bool byValue = column == ArchiveQuery::Id || column == ArchiveQuery::Suma
            || column == ArchiveQuery::Datazap;
    if (!byValue && !textRanks(db, column))
        return false;

    const quint32 rows = size();
    order->resize(rows);
    if (!byValue) {
        // Ranks are dense: counted out, in the saved order within a rank.
        const std::vector<quint32> &ranks = m_ranks[column];
        const quint32 top = rows ? *std::max_element(ranks.begin(), ranks.end()) : 0;
        std::vector<quint32> at(size_t(top) + 2, 0);
        for (quint32 r = 0; r < rows; ++r)
            ++at[(descending ? top - ranks[r] : ranks[r]) + 1];
        for (size_t i = 1; i < at.size(); ++i)
            at[i] += at[i - 1];
        for (quint32 r = 0; r < rows; ++r)
            (*order)[at[descending ? top - ranks[r] : ranks[r]]++] = r;
        return true;
    }

    // The key already turned for a descending sort, so one ascending sort
    // on (key, row) keeps equal values in the saved order both ways.
    struct Entry { qint64 key; quint32 row; };
    std::vector<Entry> entries(rows);
    for (quint32 r = 0; r < rows; ++r) {
        qint64 key = 0;
        if (!numericKey(r, column, &key))
            key = Last;
        if (descending && key != Last)
            key = -key;
        entries[r] = { key, r };
    }
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        return a.key != b.key ? a.key < b.key : a.row < b.row;
    });
    for (quint32 i = 0; i < rows; ++i)
        (*order)[i] = entries[i].row;
    return true;
}
