#include "document/Module1.h"

// The words are kept exactly as the printed form has always shown them: the
// Latin letter "i", the ASCII apostrophe, "одинадцать тисяч " and
// "тисячи " after 2, 3 and 4. Every word carries its own spacing (the tens,
// the hundreds and "десять " end in a blank, the units do not); the builder
// only joins them.

namespace Module1 {

namespace {

const char16_t *const Hundreds[10] = { u"",           u"сто ",      u"двiстi ", u"триста ",  u"чотириста ",
                                       u"п'ятьсот ",  u"шiстьсот ", u"сiмсот ", u"вiсiмсот ", u"дев'ятьсот " };

const char16_t *const Tens[10] = { u"",          u"",           u"двадцять ", u"тридцять ", u"сорок ",
                                   u"п'ятьдесят ", u"шiстьдесят ", u"сiмдесят ", u"вiсiмдесят ", u"дев'яносто " };

// By the units digit: 10 to 19.
const char16_t *const Teens[10] = { u"десять ",      u"одинадцять",    u"дванадцять",  u"тринадцять",
                                    u"чотирнадцять", u"п'ятнадцять",   u"шiстнадцять", u"сiмнадцять",
                                    u"вiсiмнадцять", u"дев'ятнадцять" };

// Before the thousands the form has always written 11 with "а".
const char16_t *const TeensOfThousands[10] = { u"десять ",      u"одинадцать",    u"дванадцять",  u"тринадцять",
                                               u"чотирнадцять", u"п'ятнадцять",   u"шiстнадцять", u"сiмнадцять",
                                               u"вiсiмнадцять", u"дев'ятнадцять" };

// The hryvnia and the thousand are feminine, the million and the milliard
// masculine.
const char16_t *const UnitsFeminine[10] = { u"",      u"одна",  u"двi",  u"три",   u"чотири",
                                            u"п'ять", u"шiсть", u"сiм",  u"вiсiм", u"дев'ять" };
const char16_t *const UnitsMasculine[10] = { u"",      u"один",  u"два",  u"три",   u"чотири",
                                             u"п'ять", u"шiсть", u"сiм",  u"вiсiм", u"дев'ять" };

// How one group of three digits is spelled, and the noun after it in the
// forms for 1, for 2 to 4 and for the rest (none for the last group).
struct Scale
{
    const char16_t *const *units;
    const char16_t *const *teens;
    const char16_t *nouns[3];
};

const Scale Milliards{ UnitsMasculine, Teens, { u"мiльярд", u"мiльярди", u"мiльярдiв" } };
const Scale Millions{ UnitsMasculine, Teens, { u"мiльйон", u"мiльйони", u"мiльйонiв" } };
const Scale Thousands{ UnitsFeminine, TeensOfThousands, { u"тисяча", u"тисячи", u"тисяч" } };
const Scale Ones{ UnitsFeminine, Teens, { nullptr, nullptr, nullptr } };

// Appends the words of one group, 0 to 999, with its noun and one blank
// after that; a zero group writes nothing.
void appendGroup(QString &out, int group, const Scale &scale)
{
    if (group == 0)
        return;
    const int hundreds = group / 100, tens = group / 10 % 10, units = group % 10;
    out += QStringView(Hundreds[hundreds]);
    if (tens == 1) {
        out += QStringView(scale.teens[units]);
    } else {
        out += QStringView(Tens[tens]);
        out += QStringView(scale.units[units]);
    }
    if (!scale.nouns[0])
        return;
    const int form = tens == 1 ? 2 : units == 1 ? 0 : units >= 2 && units <= 4 ? 1 : 2;
    if (!out.endsWith(u' '))
        out += u' ';
    out += QStringView(scale.nouns[form]);
    out += u' ';
}

} // namespace

QString AmountToWords(const QString &integerPart)
{
    if (integerPart.isEmpty() || integerPart.size() > 12)
        return QString();
    qint64 value = 0;
    for (const QChar c : integerPart) {
        if (c < u'0' || c > u'9')
            return QString();
        value = value * 10 + (c.unicode() - u'0');
    }

    QString words;
    appendGroup(words, int(value / 1000000000), Milliards);
    appendGroup(words, int(value / 1000000 % 1000), Millions);
    appendGroup(words, int(value / 1000 % 1000), Thousands);
    appendGroup(words, int(value % 1000), Ones);
    return words;
}

QString MonthToWords(const QString &month)
{
    static const char16_t *const words[12] = { u"сiчня",  u"лютого",  u"березня",  u"квiтня",
                                               u"травня", u"червня",  u"липня",    u"серпня",
                                               u"вересня", u"жовтня", u"листопада", u"грудня" };
    if (month.size() != 2 || month[0] < u'0' || month[0] > u'1' || month[1] < u'0' || month[1] > u'9')
        return QString();
    const int m = (month[0].unicode() - u'0') * 10 + (month[1].unicode() - u'0');
    if (m < 1 || m > 12)
        return QString();
    return QString::fromUtf16(words[m - 1]);
}

QString DateLine(const QString &dateText)
{
    // By character positions: day 1-2, month 4-5, the year's last two.
    // Nothing is checked; a short text gives shorter pieces.
    return QStringLiteral("вiд ") + dateText.left(2) + QLatin1Char(' ') + MonthToWords(dateText.mid(3, 2))
            + QStringLiteral(" 20") + dateText.right(2) + QStringLiteral(" р.");
}

} // namespace Module1
