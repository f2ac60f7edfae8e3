#include "archive/SearchFold.h"

#include <QChar>
#include <QList>

#include <cstring>

namespace SearchFold {
namespace {

constexpr unsigned char Escape = 0x01;
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
    out->push_back(char(Escape));
    for (int shift = 18; shift >= 0; shift -= 6)
        out->push_back(char(0x40 | ((cp >> shift) & 0x3F)));
}

void appendCodePoint(char32_t cp, std::string *out)
{
    if (cp < 0x80) {
        if (cp < 0x20 || cp == 0x7F)
            out->push_back(' ');
        else if (cp == '`')
            out->push_back('\'');
        else if (cp >= 'A' && cp <= 'Z')
            out->push_back(char(cp - 'A' + 'a'));
        else
            out->push_back(char(cp));
        return;
    }
    switch (cp) {
    case 0x00A0: // no-break space
        out->push_back(' ');
        return;
    case 0x2018: case 0x2019: case 0x02BC:
        out->push_back('\'');
        return;
    case 0x00AB: case 0x00BB: case 0x201C: case 0x201D: case 0x201E: // « » “ ” „
        out->push_back('"');
        return;
    case 0x2013: case 0x2014: // en and em dash
        out->push_back('-');
        return;
    case 0x2116: // №, in most purposes of payment
        out->push_back(char(0xB1));
        return;
    case 0x0406: case 0x0456: // Cyrillic І і
        out->push_back('i');
        return;
    case 0x0490: case 0x0491: // Ґ ґ
        out->push_back(char(0xB0));
        return;
    default:
        break;
    }
    if (cp >= 0x0410 && cp <= 0x042F)
        out->push_back(char(0x80 + (cp - 0x0410)));
    else if (cp >= 0x0430 && cp <= 0x044F)
        out->push_back(char(0x80 + (cp - 0x0430)));
    else if (cp >= 0x0400 && cp <= 0x040F)
        out->push_back(char(0xA0 + (cp - 0x0400)));
    else if (cp >= 0x0450 && cp <= 0x045F)
        out->push_back(char(0xA0 + (cp - 0x0450)));
    else
        appendEscape(QChar::toCaseFolded(cp), out);
}

} // namespace

void appendFolded(const char *utf8, int size, std::string *out)
{
    auto *p = reinterpret_cast<const unsigned char *>(utf8);
    const unsigned char *end = p + size;
    while (p < end)
        appendCodePoint(nextCodePoint(p, end), out);
}

QByteArray folded(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    std::string out;
    appendFolded(utf8.constData(), int(utf8.size()), &out);
    return QByteArray(out.data(), qsizetype(out.size()));
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
    const char *from = begin;
    while (end - from >= word.size()) {
        const void *hit = memmem(from, size_t(end - from), word.constData(), size_t(word.size()));
        if (!hit)
            return false;
        const char *at = static_cast<const char *>(hit);
        bool insideEscape = false;
        for (int back = 1; back < EscapeSize && at - back >= begin; ++back)
            if (static_cast<unsigned char>(at[-back]) == Escape)
                insideEscape = true;
        if (!insideEscape)
            return true;
        from = at + 1;
    }
    return false;
}

} // namespace SearchFold
