#include "store/RecipientDirectory.h"

#include "store/Database.h"
#include "store/Statement.h"

#include <cstring>
#include <string>
#include <unordered_set>

namespace {

// The function the search statements call, known only to this connection.
const char MatcherName[] = "vexa_contains";

char32_t foldCodePoint(char32_t c)
{
    if (c == U'i' || c == U'I')
        return U'і'; // Latin i in older Ukrainian texts stands for і
    if (c >= U'A' && c <= U'Z')
        return c + 0x20;
    if (c >= 0x0410 && c <= 0x042F) // А..Я
        return c + 0x20;
    if (c >= 0x0400 && c <= 0x040F) // Ѐ..Џ, with Є, І, Ї
        return c + 0x50;
    if (c == 0x0490) // Ґ
        return 0x0491;
    switch (c) {
    case 0x2019: // ’
    case 0x2018: // ‘
    case 0x02BC: // ʼ
    case 0x0060: // `
    case 0x00B4: // ´
        return U'\'';
    default:
        return c;
    }
}

void appendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// Folds UTF-8 text into out. Bytes that are not well-formed UTF-8 are
// copied as they are: they can only match themselves.
void foldUtf8(const unsigned char *text, int length, std::string &out)
{
    out.clear();
    int i = 0;
    while (i < length) {
        const unsigned char b = text[i];
        if (b < 0x80) {
            appendUtf8(out, foldCodePoint(b));
            ++i;
            continue;
        }
        const int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
        if (extra < 0 || i + extra >= length) {
            out += char(b);
            ++i;
            continue;
        }
        char32_t c = b & (0x3F >> extra);
        bool wellFormed = true;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char next = text[i + k];
            wellFormed = wellFormed && (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        if (!wellFormed) {
            out += char(b);
            ++i;
            continue;
        }
        appendUtf8(out, foldCodePoint(c));
        i += extra + 1;
    }
}

// vexa_contains(text, folded needle): 1 when the folded text holds the
// needle. Called once a row, so it reuses one buffer.
void containsFolded(sqlite3_context *context, int, sqlite3_value **args)
{
    const auto *needle = static_cast<const char *>(sqlite3_value_blob(args[1]));
    const int needleLength = sqlite3_value_bytes(args[1]);
    const unsigned char *text = sqlite3_value_text(args[0]);
    const int textLength = sqlite3_value_bytes(args[0]);
    if (!text || !needle || needleLength == 0) {
        sqlite3_result_int(context, 0);
        return;
    }
    thread_local std::string folded;
    foldUtf8(text, textLength, folded);
    const bool found = folded.size() >= size_t(needleLength)
            && memmem(folded.data(), folded.size(), needle, size_t(needleLength)) != nullptr;
    sqlite3_result_int(context, found ? 1 : 0);
}

constexpr const char *SearchByName =
        "select oderz, idoderz, bank, idbank, kredit from arc "
        "where vexa_contains(oderz, ?) order by rowid desc";
constexpr const char *SearchByCode =
        "select oderz, idoderz, bank, idbank, kredit from arc "
        "where vexa_contains(idoderz, ?) order by rowid desc";

} // namespace

RecipientDirectory::RecipientDirectory(Database &db)
    : m_db(db)
{
}

QByteArray RecipientDirectory::folded(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    std::string out;
    foldUtf8(reinterpret_cast<const unsigned char *>(utf8.constData()), int(utf8.size()), out);
    return QByteArray(out.data(), int(out.size()));
}

// Registered again before every search: cheap, and right even when the
// handle was closed and another opened at the same address.
bool RecipientDirectory::registerMatcher()
{
    if (sqlite3_create_function_v2(m_db.handle(), MatcherName, 2,
                                   SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_DIRECTONLY, nullptr,
                                   containsFolded, nullptr, nullptr, nullptr)
        != SQLITE_OK)
        return m_db.engineFailure(QString());
    return true;
}

bool RecipientDirectory::find(Field field, const QString &typed, int limit,
                              QVector<OrderRecord> *found)
{
    found->clear();
    if (!m_db.isOpen())
        return m_db.engineFailure(QString());
    const QByteArray needle = folded(typed.trimmed());
    if (needle.isEmpty() || limit <= 0)
        return true;
    if (!registerMatcher())
        return false;

    Statement s(m_db.handle(), field == Field::Name ? SearchByName : SearchByCode);
    if (!s.prepared())
        return m_db.engineFailure(QString());
    sqlite3_bind_blob(s.get(), 1, needle.constData(), int(needle.size()), SQLITE_TRANSIENT);

    // Newest first: the first row of each recipient is its latest order.
    std::unordered_set<std::string> seen;
    std::string key;
    while (found->size() < limit && s.row()) {
        const auto *name = reinterpret_cast<const char *>(sqlite3_column_text(s.get(), 0));
        const int nameLength = sqlite3_column_bytes(s.get(), 0);
        const auto *code = reinterpret_cast<const char *>(sqlite3_column_text(s.get(), 1));
        const int codeLength = sqlite3_column_bytes(s.get(), 1);
        key.assign(name ? name : "", size_t(nameLength));
        key += '\0';
        key.append(code ? code : "", size_t(codeLength));
        if (!seen.insert(key).second)
            continue;
        OrderRecord r;
        r.oderz = s.text(0);
        r.idoderz = s.text(1);
        r.bank = s.text(2);
        r.idbank = s.text(3);
        r.kredit = s.text(4);
        found->append(r);
    }
    return found->size() == limit || s.done() || m_db.engineFailure(QString());
}
