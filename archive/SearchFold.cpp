#include "archive/SearchFold.h"

#include <QChar>
#include <QList>

#include <unicode/utf8.h>

#include <algorithm>
#include <cstring>

namespace SearchFold {
namespace {

constexpr int EscapeSize = 5;

// Decodes one UTF-8 character at *p, advancing it; U+FFFD for a bad byte.
char32_t nextCodePoint(const unsigned char *&p, const unsigned char *end)
{
    const unsigned char lead = *p++;
    if (lead < 0x80)
        return lead;
    int extra = 0;
    char32_t cp = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        cp = lead & 0x07;
    } else {
        return 0xFFFD;
    }
    if (end - p < extra)
        return 0xFFFD;
    for (int i = 0; i < extra; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0xFFFD;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    p += extra;
    return cp;
}

void appendEscape(char32_t cp, std::string *out)
{
    out->push_back(Escape);
    for (int shift = 18; shift >= 0; shift -= 6)
        out->push_back(char(0x40 | ((cp >> shift) & 0x3F)));
}

// Stored bytes of the marks that look alike: the search takes each for
// the one an accountant types (sameAs), the sort tells them apart.
enum : unsigned char {
    GheWithUpturn = 0xB0, Numero = 0xB1, CyrillicI = 0xB2, RightQuote = 0xB3, LeftQuote = 0xB4, ModifierApostrophe = 0xB5,
    LeftGuillemet = 0xB6, RightGuillemet = 0xB7, LeftDoubleQuote = 0xB8, RightDoubleQuote = 0xB9,
    LowDoubleQuote = 0xBA, EnDash = 0xBB, EmDash = 0xBC, NoBreakSpace = 0xBD,
    FirstLineBreak = 0x02, // tab, line feed, vertical tab, form feed, return: 0x02 to 0x06
};

// The characters of the bytes GheWithUpturn to NoBreakSpace, in order:
// ґ № і ’ ‘ ʼ « » “ ” „ – — and the no-break space.
constexpr char32_t Marks[] = { 0x0491, 0x2116, 0x0456, 0x2019, 0x2018, 0x02BC, 0x00AB,
                               0x00BB, 0x201C, 0x201D, 0x201E, 0x2013, 0x2014, 0x00A0 };

// The stored byte of a Cyrillic letter U+0400 to U+045F, of either case:
// а to я from 0x80, ѐ to џ from 0xA0, і apart.
unsigned char cyrillicByte(char32_t cp)
{
    const char32_t lower = cp < 0x0410 ? cp + 0x50 : cp < 0x0430 ? cp + 0x20 : cp;
    return lower == 0x0456 ? (unsigned char)CyrillicI
            : lower < 0x0450 ? (unsigned char)(0x80 + (lower - 0x0430)) : (unsigned char)(0xA0 + (lower - 0x0450));
}

void appendCodePoint(char32_t cp, std::string *out)
{
    if (cp < 0x80) {
        if (cp >= 0x09 && cp <= 0x0D)
            out->push_back(char(FirstLineBreak + (cp - 0x09)));
        else if (cp < 0x20 || cp == 0x7F)
            appendEscape(cp, out);
        else if (cp >= 'A' && cp <= 'Z')
            out->push_back(char(cp - 'A' + 'a'));
        else
            out->push_back(char(cp));
        return;
    }
    if (cp >= 0x0400 && cp <= 0x045F) {
        out->push_back(char(cyrillicByte(cp)));
        return;
    }
    const auto mark = std::find(std::begin(Marks), std::end(Marks), cp == 0x0490 ? 0x0491 : cp);
    if (mark != std::end(Marks))
        out->push_back(char(GheWithUpturn + (mark - std::begin(Marks))));
    else
        appendEscape(QChar::toCaseFolded(cp), out);
}

struct SameAsTable
{
    unsigned char to[256];
    bool shared[256] = {}; // another byte is taken for this one
    SameAsTable()
    {
        for (int b = 0; b < 256; ++b)
            to[b] = (unsigned char)b;
        const std::pair<unsigned char, char> alike[] = {
            { CyrillicI, 'i' }, { '`', '\'' }, { RightQuote, '\'' }, { LeftQuote, '\'' },
            { ModifierApostrophe, '\'' }, { LeftGuillemet, '"' }, { RightGuillemet, '"' },
            { LeftDoubleQuote, '"' }, { RightDoubleQuote, '"' }, { LowDoubleQuote, '"' }, { EnDash, '-' },
            { EmDash, '-' }, { NoBreakSpace, ' ' },
        };
        for (auto [from, as] : alike) {
            to[from] = (unsigned char)as;
            shared[(unsigned char)as] = true;
        }
        for (int b = FirstLineBreak; b < FirstLineBreak + 5; ++b)
            to[b] = ' ';
        shared[int(' ')] = true;
    }
};
const SameAsTable sameAs;

bool insideEscape(const char *begin, const char *p)
{
    for (int back = 1; back < EscapeSize && p - back >= begin; ++back)
        if (p[-back] == Escape)
            return true;
    return false;
}

// Whether the word, in its typed form, is at p (not inside an escape).
bool typedAt(const char *begin, const char *p, const QByteArray &word)
{
    if (insideEscape(begin, p))
        return false;
    for (qsizetype i = 0; i < word.size(); ++i)
        if (sameAs.to[static_cast<unsigned char>(p[i])] != static_cast<unsigned char>(word[i]))
            return false;
    return true;
}

inline bool isCapital(char32_t cp)
{
    return (cp >= 'A' && cp <= 'Z') || (cp >= 0x0400 && cp <= 0x042F) || cp == 0x0490;
}

} // namespace

void appendFolded(const char *utf8, int size, std::string *out, std::vector<quint32> *capitals)
{
    auto *p = reinterpret_cast<const unsigned char *>(utf8);
    const unsigned char *end = p + size;
    while (p < end) {
        // Printable ASCII, the most of every text, straight through.
        if (*p >= 0x20 && *p < 0x7F) {
            const bool capital = *p >= 'A' && *p <= 'Z';
            if (capitals && capital)
                capitals->push_back(quint32(out->size()));
            out->push_back(char(capital ? *p - 'A' + 'a' : *p));
            ++p;
            continue;
        }
        // Cyrillic U+0400 to U+045F, two bytes each.
        if ((*p == 0xD0 || *p == 0xD1) && end - p >= 2 && (p[1] & 0xC0) == 0x80) {
            const char32_t cp = char32_t(((*p & 0x1F) << 6) | (p[1] & 0x3F));
            if (cp <= 0x045F) {
                if (capitals && cp < 0x0430)
                    capitals->push_back(quint32(out->size()));
                out->push_back(char(cyrillicByte(cp)));
                p += 2;
                continue;
            }
        }
        const char32_t cp = nextCodePoint(p, end);
        if (capitals && isCapital(cp))
            capitals->push_back(quint32(out->size()));
        appendCodePoint(cp, out);
    }
}

void appendOriginal(const unsigned char *stored, size_t size, const unsigned char *capitals, size_t firstBit,
                    std::string *utf8)
{
    for (size_t i = 0; i < size; ++i) {
        char32_t cp = storedCharacter(stored[i]);
        const size_t bit = firstBit + i;
        if ((capitals[bit / 8] >> (bit % 8)) & 1)
            cp = char32_t(QChar::toUpper(cp));
        char bytes[U8_MAX_LENGTH];
        int32_t length = 0;
        U8_APPEND_UNSAFE(bytes, length, cp);
        utf8->append(bytes, size_t(length));
    }
}

QByteArray folded(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    std::string out;
    appendFolded(utf8.constData(), int(utf8.size()), &out);
    for (char &c : out)
        c = char(sameAs.to[static_cast<unsigned char>(c)]);
    return QByteArray(out.data(), qsizetype(out.size()));
}

char32_t storedCharacter(unsigned char byte)
{
    if (byte >= FirstLineBreak && byte < FirstLineBreak + 5)
        return 0x09 + (byte - FirstLineBreak);
    if (byte >= 0x20 && byte < 0x7F)
        return byte >= 'A' && byte <= 'Z' ? 0 : byte;
    if (byte >= 0x80 && byte < 0xA0)
        return 0x0430 + (byte - 0x80);
    if (byte >= 0xA0 && byte < 0xB0)
        return 0x0450 + (byte - 0xA0);
    if (byte >= GheWithUpturn && byte <= NoBreakSpace)
        return Marks[byte - GheWithUpturn];
    return 0;
}

QList<QByteArray> words(const QString &text)
{
    QList<QByteArray> result;
    for (const QByteArray &word : folded(text).split(' '))
        if (!word.isEmpty())
            result.append(word);
    return result;
}

bool contains(const char *begin, const char *end, const QByteArray &word)
{
    // The longest run of the word that has one stored form is looked for
    // with memmem; the rest is compared around each hit.
    qsizetype runStart = 0, runSize = 0;
    for (qsizetype i = 0, start = 0; i <= word.size(); ++i) {
        if (i == word.size() || sameAs.shared[static_cast<unsigned char>(word[i])]) {
            if (i - start > runSize) {
                runStart = start;
                runSize = i - start;
            }
            start = i + 1;
        }
    }
    const char *last = end - word.size(); // the last place the word can start
    if (runSize == word.size()) {
        // Stored as typed: every hit is one unless inside an escape.
        for (const char *from = begin; from <= last;) {
            const void *hit = memmem(from, size_t(end - from), word.constData(), size_t(word.size()));
            if (!hit)
                return false;
            if (!insideEscape(begin, static_cast<const char *>(hit)))
                return true;
            from = static_cast<const char *>(hit) + 1;
        }
        return false;
    }
    if (runSize == 0) {
        for (const char *p = begin; p <= last; ++p)
            if (typedAt(begin, p, word))
                return true;
        return false;
    }
    const char *from = begin + runStart;
    while (from < end) {
        const void *hit = memmem(from, size_t(end - from), word.constData() + runStart, size_t(runSize));
        if (!hit)
            return false;
        const char *at = static_cast<const char *>(hit) - runStart;
        if (at > last)
            return false;
        if (at >= begin && typedAt(begin, at, word))
            return true;
        from = static_cast<const char *>(hit) + 1;
    }
    return false;
}

} // namespace SearchFold
