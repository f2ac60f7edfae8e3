#include "document/Module1.h"

#include <cstddef>
#include <cstring>

// The words are kept exactly as the printed form has always shown them: the
// Latin letter "i", the ASCII apostrophe, "одинадцать тисяч " and
// "тисячи " after 2, 3 and 4. Every word carries its own spacing; the
// builder below only joins them.
//
// AmountToWords must stay cheap: the spellings of every three-digit group
// of the thousands and of the last three digits are joined at compile time,
// so a call reads the digits, looks up one or two ready spellings (plus the
// words of any million and milliard groups) and makes the one QString of the
// result, with nothing else allocated.

namespace Module1 {

namespace {

struct Word
{
    const char16_t *text = nullptr;
    int size = 0;
};

template<std::size_t N>
constexpr Word w(const char16_t (&s)[N])
{
    return Word{ s, int(N - 1) };
}

constexpr Word kNone = w(u"");

// Indexed by a digit; kNone where nothing is written (or no input gets there).
constexpr Word kUnits[10] = { kNone,      w(u"одна"),  w(u"двi"),   w(u"три"),   w(u"чотири"),
                              w(u"п'ять"), w(u"шiсть"), w(u"сiм"),   w(u"вiсiм"), w(u"дев'ять") };

// Units of a million or a milliard group: the nouns are masculine.
constexpr Word kUnitsMasculine[10] = { kNone,       w(u"один"),  w(u"два"), w(u"три"),   w(u"чотири"),
                                       w(u"п'ять"), w(u"шiсть"), w(u"сiм"), w(u"вiсiм"), w(u"дев'ять") };

// By the units digit: 10 to 19.
constexpr Word kTeens[10] = { w(u"десять "),      w(u"одинадцять"),  w(u"дванадцять"),
                              w(u"тринадцять"),   w(u"чотирнадцять"), w(u"п'ятнадцять"),
                              w(u"шiстнадцять"),  w(u"сiмнадцять"),  w(u"вiсiмнадцять"),
                              w(u"дев'ятнадцять") };

constexpr Word kTens[10] = { kNone,             kNone,             w(u"двадцять "),   w(u"тридцять "),
                             w(u"сорок "),      w(u"п'ятьдесят "), w(u"шiстьдесят "), w(u"сiмдесят "),
                             w(u"вiсiмдесят "), w(u"дев'яносто ") };

constexpr Word kHundreds[10] = { kNone,            w(u"сто "),     w(u"двiстi "),   w(u"триста "),
                                 w(u"чотириста "), w(u"п'ятьсот "), w(u"шiстьсот "), w(u"сiмсот "),
                                 w(u"вiсiмсот "),  w(u"дев'ятьсот ") };

constexpr Word kThousands[10] = { kNone,
                                  w(u"одна тисяча "),
                                  w(u"двi тисячи "),
                                  w(u"три тисячи "),
                                  w(u"чотири тисячи "),
                                  w(u"п'ять тисяч "),
                                  w(u"шiсть тисяч "),
                                  w(u"сiм тисяч "),
                                  w(u"вiсiм тисяч "),
                                  w(u"дев'ять тисяч ") };

// By the thousands digit: 10 000 to 19 000.
constexpr Word kTeenThousands[10] = { w(u"десять тисяч "),      w(u"одинадцать тисяч "),
                                      w(u"дванадцять тисяч "),   w(u"тринадцять тисяч "),
                                      w(u"чотирнадцять тисяч "), w(u"п'ятнадцять тисяч "),
                                      w(u"шiстнадцять тисяч "),  w(u"сiмнадцять тисяч "),
                                      w(u"вiсiмнадцять тисяч "), w(u"дев'ятнадцять тисяч ") };

constexpr Word kTensOfThousands[10] = { kNone,
                                        kNone,
                                        w(u"двадцять тисяч "),
                                        w(u"тридцять тисяч "),
                                        w(u"сорок тисяч "),
                                        w(u"п'ятьдесят тисяч "),
                                        w(u"шiстьдесят тисяч "),
                                        w(u"сiмдесят тисяч "),
                                        w(u"вiсiмдесят тисяч "),
                                        w(u"дев'яносто тисяч ") };

constexpr Word kThousandsPlain = w(u"тисяч ");

// Singular, 2 to 4, other: the noun after a group of three digits.
constexpr Word kMillions[3] = { w(u"мiльйон"), w(u"мiльйони"), w(u"мiльйонiв") };
constexpr Word kMilliards[3] = { w(u"мiльярд"), w(u"мiльярди"), w(u"мiльярдiв") };

constexpr Word kSpace = w(u" ");

// The words of a result in order: at most six for each of the milliard and
// million groups and one ready spelling each for the thousands and the rest
// (or, while the spellings are made, the words of one three-digit group).
class Words
{
public:
    constexpr void put(const Word &word)
    {
        if (word.size) {
            m_words[m_count++] = word;
            m_size += word.size;
        }
    }
    constexpr bool endsWithSpace() const
    {
        return m_count > 0 && m_words[m_count - 1].text[m_words[m_count - 1].size - 1] == u' ';
    }
    constexpr int size() const { return m_size; }
    constexpr int copyTo(char16_t *to) const
    {
        int at = 0;
        for (int i = 0; i < m_count; ++i)
            for (int c = 0; c < m_words[i].size; ++c)
                to[at++] = m_words[i].text[c];
        return at;
    }
    QString result() const
    {
        if (m_size == 0)
            return QString();
        QString out(m_size, Qt::Uninitialized);
        char16_t *to = reinterpret_cast<char16_t *>(out.data());
        for (int i = 0; i < m_count; ++i) {
            std::memcpy(to, m_words[i].text, sizeof(char16_t) * std::size_t(m_words[i].size));
            to += m_words[i].size;
        }
        return out;
    }

private:
    Word m_words[14];
    int m_count = 0;
    int m_size = 0;
};

// The last three digits: hundreds, then the teen word, or the tens and the
// units words.
constexpr void putLastThree(Words &out, int hundreds, int tens, int units)
{
    out.put(kHundreds[hundreds]);
    if (tens == 1) {
        out.put(kTeens[units]);
    } else {
        out.put(kTens[tens]);
        out.put(kUnits[units]);
    }
}

// The thousands group, its noun included: the teen-thousands word, or the
// tens word and the thousands word, or the tens-of-thousands word; after a
// bare hundred "тисяч ".
constexpr void putThousands(Words &out, int hundreds, int tens, int units)
{
    out.put(kHundreds[hundreds]);
    if (tens == 1) {
        out.put(kTeenThousands[units]);
    } else if (units != 0) {
        out.put(kTens[tens]);
        out.put(kThousands[units]);
    } else if (tens != 0) {
        out.put(kTensOfThousands[tens]);
    } else if (hundreds != 0) {
        out.put(kThousandsPlain);
    }
}

// One group of millions or milliards: hundreds, tens or teens, masculine
// units, then one space, the noun and one space. A zero group writes nothing.
constexpr void putGroup(Words &out, int group, const Word (&nouns)[3])
{
    if (group == 0)
        return;
    const int hundreds = group / 100, tens = group / 10 % 10, units = group % 10;
    out.put(kHundreds[hundreds]);
    int form = 2;
    if (tens == 1) {
        out.put(kTeens[units]);
    } else {
        out.put(kTens[tens]);
        out.put(kUnitsMasculine[units]);
        if (units == 1)
            form = 0;
        else if (units >= 2 && units <= 4)
            form = 1;
    }
    // The tens, hundreds and "десять " words bring their own space.
    if (!out.endsWithSpace())
        out.put(kSpace);
    out.put(nouns[form]);
    out.put(kSpace);
}

// The ready spellings of 0 to 999 as the last three digits and as the
// thousands group, packed one after another into one array of characters.
struct Span
{
    int offset = 0;
    int size = 0;
};

template<int PoolSize>
struct Spellings
{
    Span lastThree[1000];
    Span thousands[1000];
    char16_t pool[PoolSize] = {};
};

constexpr int spellingsPoolSize()
{
    int total = 0;
    for (int v = 0; v < 1000; ++v) {
        Words last, thousands;
        putLastThree(last, v / 100, v / 10 % 10, v % 10);
        putThousands(thousands, v / 100, v / 10 % 10, v % 10);
        total += last.size() + thousands.size();
    }
    return total;
}

constexpr Spellings<spellingsPoolSize()> makeSpellings()
{
    Spellings<spellingsPoolSize()> s;
    int at = 0;
    for (int v = 0; v < 1000; ++v) {
        Words last;
        putLastThree(last, v / 100, v / 10 % 10, v % 10);
        s.lastThree[v] = Span{ at, last.size() };
        at += last.copyTo(s.pool + at);

        Words thousands;
        putThousands(thousands, v / 100, v / 10 % 10, v % 10);
        s.thousands[v] = Span{ at, thousands.size() };
        at += thousands.copyTo(s.pool + at);
    }
    return s;
}

constexpr auto kSpellings = makeSpellings();

constexpr Word spelled(const Span &span)
{
    return Word{ kSpellings.pool + span.offset, span.size };
}

constexpr int kMaxDigits = 12;

// The thousands and the last three digits, the whole result below a million.
QString joined(const Word &thousands, const Word &lastThree)
{
    const int size = thousands.size + lastThree.size;
    if (size == 0)
        return QString();
    QString out(size, Qt::Uninitialized);
    char16_t *to = reinterpret_cast<char16_t *>(out.data());
    std::memcpy(to, thousands.text, sizeof(char16_t) * std::size_t(thousands.size));
    std::memcpy(to + thousands.size, lastThree.text, sizeof(char16_t) * std::size_t(lastThree.size));
    return out;
}

} // namespace

QString AmountToWords(const QString &integerPart)
{
    const qsizetype n = integerPart.size();
    if (n == 0 || n > kMaxDigits)
        return QString();

    qint64 value = 0;
    for (const QChar c : integerPart) {
        const char16_t digit = char16_t(c.unicode() - u'0'); // below '0' wraps round to a large value
        if (digit > 9)
            return QString();
        value = value * 10 + digit;
    }

    const Word thousands = spelled(kSpellings.thousands[value / 1000 % 1000]);
    const Word lastThree = spelled(kSpellings.lastThree[value % 1000]);
    if (value < 1000000)
        return joined(thousands, lastThree);

    Words out;
    putGroup(out, int(value / 1000000000), kMilliards);
    putGroup(out, int(value / 1000000 % 1000), kMillions);
    out.put(thousands);
    out.put(lastThree);
    return out.result();
}

QString MonthToWords(const QString &month)
{
    static constexpr Word words[12] = { w(u"сiчня"),  w(u"лютого"),  w(u"березня"), w(u"квiтня"),
                                        w(u"травня"), w(u"червня"),  w(u"липня"),   w(u"серпня"),
                                        w(u"вересня"), w(u"жовтня"), w(u"листопада"), w(u"грудня") };
    if (month.size() != 2)
        return QString();
    const char16_t tens = month.at(0).unicode(), units = month.at(1).unicode();
    if (units < u'0' || units > u'9')
        return QString();
    int m;
    if (tens == u'0')
        m = units - u'0';
    else if (tens == u'1')
        m = 10 + (units - u'0');
    else
        return QString();
    if (m < 1 || m > 12)
        return QString();
    const Word &word = words[m - 1];
    return QString(reinterpret_cast<const QChar *>(word.text), word.size);
}

QString DateLine(const QString &dateText)
{
    // By character positions: day 1-2, month 4-5, the year's last two.
    // Nothing is checked; a short text gives shorter pieces.
    return QStringLiteral("вiд ") + dateText.left(2) + QLatin1Char(' ') + MonthToWords(dateText.mid(3, 2))
            + QStringLiteral(" 20") + dateText.right(2) + QStringLiteral(" р.");
}

} // namespace Module1
