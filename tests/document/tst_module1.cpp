// The amount in words, the month words and the date line: the edge cases
// character for character, and every amount against ICU's Ukrainian
// feminine spell-out.

#include "document/Module1.h"

#include <QRandomGenerator>
#include <QtTest>

#include <unicode/locid.h>
#include <unicode/rbnf.h>
#include <unicode/unistr.h>

using namespace Module1;

namespace {

// The spellings the document keeps on purpose, and ICU's.
const std::pair<const char *, const char *> kept[] = {
    { "тисячи", "тисячi" },         { "одинадцать тисяч", "одинадцять тисяч" }, { "п'ятьдесят", "п'ятдесят" },
    { "шiстьдесят", "шiстдесят" }, { "п'ятьсот", "п'ятсот" },                  { "шiстьсот", "шiстсот" },
    { "дев'ятьсот", "дев'ятсот" },
};

// Our words in ICU's spelling. Only the spellings the document keeps on
// purpose are mapped; anything else that differs is a fault.
QString toIcuSpelling(QString s)
{
    for (const auto &[ours, theirs] : kept)
        s.replace(QString::fromUtf8(ours), QString::fromUtf8(theirs));
    s.replace(QLatin1Char('i'), QChar(0x0456));  // Cyrillic i
    s.replace(QLatin1Char('\''), QChar(0x02BC)); // modifier letter apostrophe
    if (s.endsWith(QLatin1Char(' ')))
        s.chop(1);
    return s;
}

// What the mapping above would hide: Latin "i" and the ASCII apostrophe
// only, single blanks, a trailing blank exactly when the units digit is 0,
// and the kept spellings never "corrected".
QString spellingFault(const QString &words, qint64 n)
{
    for (QChar c : words)
        if (c.unicode() == 0x0456 || c.unicode() == 0x0406 || c.unicode() == 0x02BC || c.unicode() == 0x2019)
            return QStringLiteral("foreign character U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    if (words.startsWith(QLatin1Char(' ')) || words.contains(QLatin1String("  ")))
        return QStringLiteral("bad blanks");
    if (words.endsWith(QLatin1Char(' ')) != (n % 10 == 0))
        return QStringLiteral("trailing blank does not follow the units digit");
    for (const auto &[ours, theirs] : kept)
        if (words.contains(QString::fromUtf8(theirs)))
            return QStringLiteral("kept spelling replaced by ") + QString::fromUtf8(theirs);
    return QString();
}

} // namespace

class TstModule1 : public QObject
{
    Q_OBJECT

private slots:
    // What the cross-check with ICU cannot see: no words for zero or for
    // anything but one to twelve digits 0-9; the month table's edges; every
    // month in the date line, its century always "20", short texts giving
    // shorter pieces.
    void texts_data()
    {
        QTest::addColumn<QString>("function");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const auto rows = [](const char *function, std::initializer_list<std::pair<const char *, const char *>> pairs) {
            for (const auto &[text, expected] : pairs)
                QTest::addRow("%s '%s'", function, text) << function << QString::fromUtf8(text) << QString::fromUtf8(expected);
        };
        rows("AmountToWords", { { "", "" }, { "0", "" }, { "000000000000", "" }, { "007", "сiм" }, { "0100000", "сто тисяч " },
                                { "1000000000000", "" }, { "0000000000001", "" }, { "1 000", "" }, { "-5", "" },
                                { "12345678901x", "" }, { "\u0661\u0662", "" }, { "1\uFF12", "" } });
        rows("MonthToWords", { { "01", "сiчня" }, { "12", "грудня" }, { "", "" }, { "1", "" }, { "001", "" }, { "00", "" },
                               { "13", "" }, { " 1", "" }, { "0a", "" }, { "\u0660\u0661", "" } });
        rows("DateLine", { { "01.01.2026", "вiд 01 сiчня 2026 р." },     { "28.02.2026", "вiд 28 лютого 2026 р." },
                           { "09.03.2026", "вiд 09 березня 2026 р." },   { "30.04.2026", "вiд 30 квiтня 2026 р." },
                           { "01.05.2026", "вiд 01 травня 2026 р." },    { "15.06.2026", "вiд 15 червня 2026 р." },
                           { "04.07.2026", "вiд 04 липня 2026 р." },     { "24.08.2026", "вiд 24 серпня 2026 р." },
                           { "01.09.2026", "вiд 01 вересня 2026 р." },   { "31.10.2026", "вiд 31 жовтня 2026 р." },
                           { "30.11.2026", "вiд 30 листопада 2026 р." }, { "05.12.2026", "вiд 05 грудня 2026 р." },
                           { "05.13.2026", "вiд 05  2026 р." },          { "31.12.1999", "вiд 31 грудня 2099 р." },
                           { "05.12", "вiд 05 грудня 2012 р." },         { "", "вiд   20 р." } });
    }

    void texts()
    {
        QFETCH(QString, function);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(function == "AmountToWords" ? AmountToWords(text) : function == "MonthToWords" ? MonthToWords(text) : DateLine(text),
                 expected);
    }

    void crossCheckWithIcu_data();
    void crossCheckWithIcu();
};

void TstModule1::crossCheckWithIcu_data()
{
    QTest::addColumn<QList<qint64>>("numbers");
    QList<qint64> all;
    for (qint64 n = 1; n <= 99999; ++n)
        all << n;
    QTest::newRow("1 to 99 999") << all;

    // Every three-digit group in each place alone, so every noun form is met.
    QList<qint64> groups;
    for (qint64 g = 1; g <= 999; ++g)
        groups << g * 1000 << g * 1000000 << g * 1000000000 << g * 1001001001;
    QTest::newRow("each group alone") << groups;

    QList<qint64> sample = { 999999999999 };
    QRandomGenerator random(20260105);
    for (qint64 low = 100000; low <= 100000000000; low *= 10)
        for (int i = 0; i < 4000; ++i)
            sample << low + qint64(random.bounded(double(9 * low)));
    QTest::newRow("sample, 6 to 12 digits") << sample;
}

void TstModule1::crossCheckWithIcu()
{
    QFETCH(QList<qint64>, numbers);
    UErrorCode status = U_ZERO_ERROR;
    icu::RuleBasedNumberFormat icu(icu::URBNF_SPELLOUT, icu::Locale("uk"), status);
    icu.setDefaultRuleSet(icu::UnicodeString(u"%spellout-cardinal-feminine"), status);
    QVERIFY2(U_SUCCESS(status), u_errorName(status));

    int failures = 0;
    for (qint64 n : numbers) {
        const QString digits = QString::number(n), words = AmountToWords(digits);
        icu::UnicodeString out;
        icu.format(static_cast<int64_t>(n), out);
        const QString theirs(reinterpret_cast<const QChar *>(out.getBuffer()), out.length());
        const QString fault = spellingFault(words, n);
        if (fault.isEmpty() && toIcuSpelling(words) == theirs)
            continue;
        if (++failures <= 10)
            qWarning("%s: [%s] ICU [%s] %s", qPrintable(digits), qPrintable(words), qPrintable(theirs),
                     qPrintable(fault));
    }
    QCOMPARE(failures, 0);
}

QTEST_APPLESS_MAIN(TstModule1)
#include "tst_module1.moc"
