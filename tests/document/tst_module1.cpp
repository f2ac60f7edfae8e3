#include "document/Module1.h"

#include <QRandomGenerator>
#include <QtTest>

#include <unicode/locid.h>
#include <unicode/rbnf.h>
#include <unicode/unistr.h>

#include <memory>

using namespace Module1;

namespace {

// ICU's Ukrainian feminine spell-out, the reference for the cross-check.
class IcuSpeller
{
public:
    IcuSpeller()
    {
        UErrorCode status = U_ZERO_ERROR;
        m_format = std::make_unique<icu::RuleBasedNumberFormat>(icu::URBNF_SPELLOUT, icu::Locale("uk"), status);
        if (U_FAILURE(status)) {
            m_error = QString::fromLatin1(u_errorName(status));
            return;
        }
        m_format->setDefaultRuleSet(icu::UnicodeString(u"%spellout-cardinal-feminine"), status);
        if (U_FAILURE(status))
            m_error = QString::fromLatin1(u_errorName(status));
    }
    QString error() const { return m_error; }
    QString spell(qint64 n) const
    {
        icu::UnicodeString out;
        m_format->format(static_cast<int64_t>(n), out);
        return QString(reinterpret_cast<const QChar *>(out.getBuffer()), out.length());
    }

private:
    std::unique_ptr<icu::RuleBasedNumberFormat> m_format;
    QString m_error;
};

// Our words in ICU's spelling. Only the spellings the document keeps on
// purpose are mapped; anything else that differs is a fault.
QString toIcuSpelling(QString s)
{
    static const char16_t *const kept[][2] = {
        { u"тисячи", u"тисячi" },         { u"одинадцать", u"одинадцять" }, { u"п'ятьдесят", u"п'ятдесят" },
        { u"шiстьдесят", u"шiстдесят" }, { u"п'ятьсот", u"п'ятсот" },      { u"шiстьсот", u"шiстсот" },
        { u"дев'ятьсот", u"дев'ятсот" },
    };
    for (const auto &pair : kept)
        s.replace(QString::fromUtf16(pair[0]), QString::fromUtf16(pair[1]));
    s.replace(QLatin1Char('i'), QChar(0x0456));  // Cyrillic i
    s.replace(QLatin1Char('\''), QChar(0x02BC)); // modifier letter apostrophe
    if (s.endsWith(QLatin1Char(' ')))
        s.chop(1);
    return s;
}

// What the document itself must hold, which the mapping above would hide:
// Latin "i" and the ASCII apostrophe only, single blanks, a trailing blank
// exactly when the units digit is 0, and the kept spellings never
// "corrected".
QString spellingFault(const QString &words, qint64 n)
{
    for (QChar c : words)
        if (c.unicode() == 0x0456 || c.unicode() == 0x0406 || c.unicode() == 0x02BC || c.unicode() == 0x2019)
            return QStringLiteral("foreign character U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    if (words.startsWith(QLatin1Char(' ')) || words.contains(QLatin1String("  ")))
        return QStringLiteral("bad blanks");
    if (words.endsWith(QLatin1Char(' ')) != (n % 10 == 0))
        return QStringLiteral("trailing blank does not follow the units digit");
    static const QStringList corrected = { QStringLiteral("тисячi"),    QStringLiteral("одинадцять тисяч"),
                                           QStringLiteral("п'ятдесят"), QStringLiteral("шiстдесят"),
                                           QStringLiteral("п'ятсот"),   QStringLiteral("шiстсот"),
                                           QStringLiteral("дев'ятсот") };
    for (const QString &form : corrected)
        if (words.contains(form))
            return QStringLiteral("kept spelling replaced by ") + form;
    return QString();
}

} // namespace

class TstModule1 : public QObject
{
    Q_OBJECT

private slots:
    void amountToWords_data();
    void amountToWords();
    void refusesNonDigits_data();
    void refusesNonDigits();
    void crossCheckWithIcu_data();
    void crossCheckWithIcu();
    void monthToWords_data();
    void monthToWords();
    void dateLine_data();
    void dateLine();
};

void TstModule1::amountToWords_data()
{
    QTest::addColumn<QString>("digits");
    QTest::addColumn<QString>("words");

    const auto row = [](const char *digits, const char *words) {
        QTest::newRow(digits) << QString::fromLatin1(digits) << QString::fromUtf8(words);
    };
    // No word for zero; leading zeros give no words.
    QTest::newRow("empty") << QString() << QString();
    row("0", "");
    row("00000", "");
    row("000000000000", "");
    row("1", "одна");
    row("2", "двi");
    row("007", "сiм");
    row("000000000007", "сiм");
    row("10", "десять ");
    row("11", "одинадцять");
    row("20", "двадцять ");
    row("21", "двадцять одна");
    row("50", "п'ятьдесят ");
    row("69", "шiстьдесят дев'ять");
    row("100", "сто ");
    row("110", "сто десять ");
    row("500", "п'ятьсот ");
    row("600", "шiстьсот ");
    row("902", "дев'ятьсот двi");
    row("1000", "одна тисяча ");
    row("2000", "двi тисячи ");
    row("4004", "чотири тисячи чотири");
    row("5000", "п'ять тисяч ");
    row("10000", "десять тисяч ");
    row("11000", "одинадцать тисяч ");
    row("11011", "одинадцать тисяч одинадцять");
    row("20000", "двадцять тисяч ");
    row("21000", "двадцять одна тисяча ");
    row("10010", "десять тисяч десять ");
    row("12345", "дванадцять тисяч триста сорок п'ять");
    row("99999", "дев'яносто дев'ять тисяч дев'ятьсот дев'яносто дев'ять");
    // Hundreds of thousands.
    row("100000", "сто тисяч ");
    row("150000", "сто п'ятьдесят тисяч ");
    row("101000", "сто одна тисяча ");
    row("102000", "сто двi тисячи ");
    row("111000", "сто одинадцать тисяч ");
    row("110000", "сто десять тисяч ");
    row("100001", "сто тисяч одна");
    row("900500", "дев'ятьсот тисяч п'ятьсот ");
    row("0100000", "сто тисяч ");
    // Millions and milliards: masculine units, one blank before the noun.
    row("1000000", "один мiльйон ");
    row("2000000", "два мiльйони ");
    row("5000000", "п'ять мiльйонiв ");
    row("10000000", "десять мiльйонiв ");
    row("11000000", "одинадцять мiльйонiв ");
    row("12000000", "дванадцять мiльйонiв ");
    row("20000000", "двадцять мiльйонiв ");
    row("21000000", "двадцять один мiльйон ");
    row("22000000", "двадцять два мiльйони ");
    row("100000000", "сто мiльйонiв ");
    row("1234567", "один мiльйон двiстi тридцять чотири тисячи п'ятьсот шiстьдесят сiм");
    row("1000001", "один мiльйон одна");
    row("1001000", "один мiльйон одна тисяча ");
    row("1000000000", "один мiльярд ");
    row("3000000000", "три мiльярди ");
    row("1001000000", "один мiльярд один мiльйон ");
    row("2000000002", "два мiльярди двi");
    row("999999999999", "дев'ятьсот дев'яносто дев'ять мiльярдiв дев'ятьсот дев'яносто дев'ять мiльйонiв "
                        "дев'ятьсот дев'яносто дев'ять тисяч дев'ятьсот дев'яносто дев'ять");
    // Thirteen digits or more.
    row("1000000000000", "");
    row("0000000000001", "");
    row("9999999999999", "");
}

void TstModule1::amountToWords()
{
    QFETCH(QString, digits);
    QFETCH(QString, words);
    QCOMPARE(AmountToWords(digits), words);
}

void TstModule1::refusesNonDigits_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("blank inside") << QStringLiteral("1 000");
    QTest::newRow("leading blank") << QStringLiteral(" 5");
    QTest::newRow("trailing blank") << QStringLiteral("5 ");
    QTest::newRow("only a blank") << QStringLiteral(" ");
    QTest::newRow("minus") << QStringLiteral("-5");
    QTest::newRow("plus") << QStringLiteral("+5");
    QTest::newRow("point") << QStringLiteral("1.5");
    QTest::newRow("comma") << QStringLiteral("12,50");
    QTest::newRow("letter") << QStringLiteral("12a");
    QTest::newRow("letter O for zero") << QStringLiteral("1O0");
    QTest::newRow("no-break space") << QStringLiteral("1\u00A0000");
    QTest::newRow("fullwidth digit") << QStringLiteral("1\uFF12");
    QTest::newRow("arabic-indic digits") << QStringLiteral("\u0661\u0662");
    QTest::newRow("superscript two") << QStringLiteral("\u00B2");
    QTest::newRow("nul") << QString(QChar(0)) + QLatin1Char('1');
    QTest::newRow("bad char far right, twelve long") << QStringLiteral("12345678901x");
}

void TstModule1::refusesNonDigits()
{
    QFETCH(QString, text);
    const QString words = AmountToWords(text);
    QVERIFY2(words.isEmpty(), qPrintable(words));
}

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

    QList<qint64> sample;
    QRandomGenerator random(20260105);
    qint64 low = 100000;
    for (int length = 6; length <= 12; ++length, low *= 10)
        for (int i = 0; i < 4000; ++i)
            sample << low + qint64(random.bounded(double(9 * low)));
    sample << 999999999999;
    QTest::newRow("sample, 6 to 12 digits") << sample;
}

void TstModule1::crossCheckWithIcu()
{
    QFETCH(QList<qint64>, numbers);
    const IcuSpeller icu;
    QVERIFY2(icu.error().isEmpty(), qPrintable(icu.error()));
    QCOMPARE(icu.spell(1234), QString::fromUtf16(u"одна тисяча дв\u0456ст\u0456 тридцять чотири"));

    int failures = 0;
    for (qint64 n : numbers) {
        const QString digits = QString::number(n);
        const QString words = AmountToWords(digits);
        const QString fault = spellingFault(words, n);
        const QString ours = toIcuSpelling(words);
        const QString theirs = icu.spell(n);
        if (fault.isEmpty() && ours == theirs)
            continue;
        if (++failures <= 10)
            qWarning("%s: [%s] ICU [%s] %s", qPrintable(digits), qPrintable(words), qPrintable(theirs),
                     qPrintable(fault));
    }
    QCOMPARE(failures, 0);
}

void TstModule1::monthToWords_data()
{
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("word");

    const char *const words[] = { "сiчня",  "лютого", "березня", "квiтня",  "травня",    "червня",
                                  "липня", "серпня", "вересня", "жовтня", "листопада", "грудня" };
    for (int m = 1; m <= 12; ++m) {
        const QString month = QStringLiteral("%1").arg(m, 2, 10, QLatin1Char('0'));
        QTest::newRow(qPrintable(month)) << month << QString::fromUtf8(words[m - 1]);
    }
    // Whole texts only.
    for (const char *other : { "", "0", "1", " 1", "1 ", "001", "010", "00", "13", "19", "20", "99", "0a", "a1",
                               "-1", "+1", "1.", "O1" })
        QTest::newRow(qPrintable(QStringLiteral("'%1'").arg(QLatin1String(other))))
                << QString::fromLatin1(other) << QString();
    QTest::newRow("arabic-indic 01") << QStringLiteral("\u0660\u0661") << QString();
    QTest::newRow("fullwidth 01") << QStringLiteral("\uFF10\uFF11") << QString();
}

void TstModule1::monthToWords()
{
    QFETCH(QString, month);
    QFETCH(QString, word);
    QCOMPARE(MonthToWords(month), word);
}

void TstModule1::dateLine_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("line");

    const auto row = [](const char *date, const char *line) {
        QTest::newRow(date) << QString::fromLatin1(date) << QString::fromUtf8(line);
    };
    row("01.01.2026", "вiд 01 сiчня 2026 р.");
    row("28.02.2026", "вiд 28 лютого 2026 р.");
    row("09.03.2026", "вiд 09 березня 2026 р.");
    row("30.04.2026", "вiд 30 квiтня 2026 р.");
    row("01.05.2026", "вiд 01 травня 2026 р.");
    row("15.06.2026", "вiд 15 червня 2026 р.");
    row("04.07.2026", "вiд 04 липня 2026 р.");
    row("24.08.2026", "вiд 24 серпня 2026 р.");
    row("01.09.2026", "вiд 01 вересня 2026 р.");
    row("31.10.2026", "вiд 31 жовтня 2026 р.");
    row("30.11.2026", "вiд 30 листопада 2026 р.");
    row("05.12.2026", "вiд 05 грудня 2026 р.");
    // A month outside the table: empty word, both blanks kept.
    row("05.13.2026", "вiд 05  2026 р.");
    row("05.00.2026", "вiд 05  2026 р.");
    row("05.ab.2026", "вiд 05  2026 р.");
    // The century is always "20"; the day and year are copied as they are.
    row("31.12.1999", "вiд 31 грудня 2099 р.");
    row("01.01.2100", "вiд 01 сiчня 2000 р.");
    row("xx.03.20yy", "вiд xx березня 20yy р.");
    row("05/12/2026", "вiд 05 грудня 2026 р.");
    // Shorter than ten characters: the pieces are shorter, nothing fails.
    row("05.12.26", "вiд 05 грудня 2026 р.");
    row("05.12", "вiд 05 грудня 2012 р.");
    row("05.1", "вiд 05  20.1 р.");
    row("05", "вiд 05  2005 р.");
    row("5", "вiд 5  205 р.");
    QTest::newRow("empty") << QString() << QString::fromUtf8("вiд   20 р.");
}

void TstModule1::dateLine()
{
    QFETCH(QString, date);
    QFETCH(QString, line);
    QCOMPARE(DateLine(date), line);
}

QTEST_APPLESS_MAIN(TstModule1)
#include "tst_module1.moc"
