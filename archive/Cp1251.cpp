#include "archive/Cp1251.h"

#include <cerrno>
#include <iconv.h>

namespace {

// One converter per call: iconv keeps shift state, and the program converts
// a file at a time, so opening it is not worth keeping.
class Converter
{
public:
    Converter() : m_cd(::iconv_open("WINDOWS-1251", "UTF-8")) {}
    ~Converter()
    {
        if (valid())
            ::iconv_close(m_cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts as much of [*in, *in + *left) as it can and appends it to out;
    // returns errno of the stop (0 when all was converted).
    int convert(const char **in, size_t *left, QByteArray &out)
    {
        while (*left > 0) {
            const qsizetype start = out.size();
            out.resize(start + qsizetype(*left) + 16);
            char *to = out.data() + start;
            size_t room = size_t(out.size() - start);
            const size_t rc = ::iconv(m_cd, const_cast<char **>(in), left, &to, &room);
            const int error = rc == size_t(-1) ? errno : 0;
            out.resize(to - out.constData());
            if (error != 0 && error != E2BIG)
                return error;
        }
        return 0;
    }

private:
    iconv_t m_cd;
};

// The code point of the UTF-8 sequence at in, and its length in *length.
char32_t decodeUtf8(const char *in, size_t left, size_t *length)
{
    const auto byte = [&](size_t i) { return char32_t(static_cast<unsigned char>(in[i])); };
    const char32_t first = byte(0);
    size_t n = first < 0x80 ? 1 : first < 0xE0 ? 2 : first < 0xF0 ? 3 : 4;
    n = qMin(n, left);
    char32_t c = n == 1 ? first : first & (0xFF >> (n + 1));
    for (size_t i = 1; i < n; ++i)
        c = (c << 6) | (byte(i) & 0x3F);
    *length = n;
    return c;
}

// What a character Windows-1251 lacks is written as.
QString nearestForm(char32_t c)
{
    switch (c) {
    case 0x02BC: case 0x02B9: case 0x02BB: case 0x02BE: case 0x2032: case 0x00B4: case 0x201B:
        return QString(QChar(0x2019)); // the apostrophe Ukrainian texts use in Windows-1251
    case 0x2033: case 0x201F: case 0x02BA:
        return QStringLiteral("\"");
    case 0x2010: case 0x2011: case 0x2012: case 0x2212: case 0x2043:
        return QStringLiteral("-");
    case 0x2015:
        return QString(QChar(0x2014));
    case 0x200B: case 0x200C: case 0x200D: case 0x2060: case 0xFEFF: case 0x00AD:
        return QString();
    default:
        break;
    }
    if ((c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F || c == 0x3000)
        return QStringLiteral(" ");
    // A letter with a mark: its bare letter when that is plain Latin or Cyrillic.
    const QString decomposed = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_KD);
    if (!decomposed.isEmpty() && decomposed.at(0).unicode() != c) {
        const QChar base = decomposed.at(0);
        if (base.unicode() < 0x80 || (base.unicode() >= 0x0410 && base.unicode() <= 0x044F))
            return QString(base);
    }
    return QStringLiteral("?");
}

} // namespace

namespace Cp1251 {

bool encodeExact(const QString &text, QByteArray *bytes)
{
    Converter converter;
    const QByteArray utf8 = text.toUtf8();
    const char *in = utf8.constData();
    size_t left = size_t(utf8.size());
    QByteArray out;
    out.reserve(utf8.size());
    if (!converter.valid() || converter.convert(&in, &left, out) != 0)
        return false;
    *bytes = out;
    return true;
}

QByteArray encodeNearest(const QString &text, int *replaced)
{
    Converter converter;
    const QByteArray utf8 = text.toUtf8();
    const char *in = utf8.constData();
    size_t left = size_t(utf8.size());
    QByteArray out;
    out.reserve(utf8.size());
    int changed = 0;
    while (converter.valid() && converter.convert(&in, &left, out) == EILSEQ && left > 0) {
        size_t length = 0;
        const char32_t c = decodeUtf8(in, left, &length);
        QByteArray form;
        if (!encodeExact(nearestForm(c), &form))
            form = "?";
        out += form;
        in += length;
        left -= length;
        ++changed;
    }
    if (replaced)
        *replaced = changed;
    return out;
}

} // namespace Cp1251
