#include "archive/Cp1251.h"

#include <unicode/ucnv.h>
#include <unicode/utf16.h>

namespace {

// ICU's converter for Windows-1251, stopping at each character the code page
// lacks so that the caller decides what to write.
class Converter
{
public:
    Converter()
    {
        UErrorCode status = U_ZERO_ERROR;
        m_cv = ucnv_open("windows-1251", &status);
        if (U_SUCCESS(status))
            ucnv_setFromUCallBack(m_cv, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
        if (U_FAILURE(status)) {
            ucnv_close(m_cv);
            m_cv = nullptr;
        }
    }
    ~Converter() { ucnv_close(m_cv); }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    bool valid() const { return m_cv != nullptr; }

    // Converts from *source on, appending to out, until the end (returns 0)
    // or a character the code page lacks (returns it, *source past it).
    char32_t convert(const UChar **source, const UChar *end, QByteArray &out)
    {
        for (;;) {
            const qsizetype start = out.size();
            out.resize(start + (end - *source) + 16);
            char *target = out.data() + start;
            UErrorCode status = U_ZERO_ERROR;
            ucnv_fromUnicode(m_cv, &target, out.data() + out.size(), source, end, nullptr, true, &status);
            out.resize(target - out.constData());
            if (status == U_BUFFER_OVERFLOW_ERROR)
                continue;
            if (U_SUCCESS(status))
                return 0;
            UChar bad[4];
            int8_t length = 4;
            UErrorCode ignored = U_ZERO_ERROR;
            ucnv_getInvalidUChars(m_cv, bad, &length, &ignored);
            ucnv_resetFromUnicode(m_cv);
            if (length == 2 && U16_IS_LEAD(bad[0]) && U16_IS_TRAIL(bad[1]))
                return U16_GET_SUPPLEMENTARY(bad[0], bad[1]);
            return length >= 1 && bad[0] != 0 ? char32_t(bad[0]) : char32_t(0xFFFD);
        }
    }

private:
    UConverter *m_cv = nullptr;
};

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
    const UChar *source = reinterpret_cast<const UChar *>(text.utf16());
    QByteArray out;
    if (!converter.valid() || converter.convert(&source, source + text.size(), out) != 0)
        return false;
    *bytes = out;
    return true;
}

QByteArray encodeNearest(const QString &text, int *replaced)
{
    Converter converter;
    const UChar *source = reinterpret_cast<const UChar *>(text.utf16());
    const UChar *end = source + text.size();
    QByteArray out;
    out.reserve(text.size());
    int changed = 0;
    while (converter.valid()) {
        const char32_t c = converter.convert(&source, end, out);
        if (c == 0)
            break;
        QByteArray form;
        if (!encodeExact(nearestForm(c), &form))
            form = "?";
        out += form;
        ++changed;
    }
    if (replaced)
        *replaced = changed;
    return out;
}

} // namespace Cp1251
