// The amount in words, the month words and the date line: amounts chosen
// for distinct faults character for character, the months against Qt's
// Ukrainian locale, and every three-digit group in every place against ICU's
// Ukrainian feminine spell-out.

#include "document/Module1.h"

#include <QtTest>

#include <unicode/locid.h>
#include <unicode/rbnf.h>
#include <unicode/unistr.h>

using namespace Module1;

class TstModule1 : public QObject
{
    Q_OBJECT

private slots:
    void texts_data()
    {
        QTest::addColumn<QString>("function");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const auto rows = [](const char *function, std::initializer_list<std::pair<const char *, const char *>> pairs) {
            for (const auto &[text, expected] : pairs)
                QTest::addRow("%s '%s'", function, text) << function << QString::fromUtf8(text) << QString::fromUtf8(expected);
        };
        // The form's own spellings (Latin "i", ASCII apostrophe, "тисячи",
        // "одинадцать тисяч"), the forms for 1, 2 and 5, a blank after a
        // round ten, nothing for zero or for anything but 1 to 12 digits.
        rows("AmountToWords", { { "", "" }, { "0", "" }, { "000000000000", "" }, { "007", "сiм" }, { "1", "одна" },
                                { "2", "двi" }, { "5", "п'ять" }, { "10", "десять " }, { "11", "одинадцять" },
                                { "20", "двадцять " }, { "1001", "одна тисяча одна" }, { "2000", "двi тисячи " },
                                { "5000", "п'ять тисяч " }, { "11000", "одинадцать тисяч " }, { "0100000", "сто тисяч " },
                                { "560650", "п'ятьсот шiстьдесят тисяч шiстьсот п'ятьдесят " },
                                { "14000000", "чотирнадцять мiльйонiв " }, { "21000000", "двадцять один мiльйон " },
                                { "2002000000", "два мiльярди два мiльйони " },
                                { "999999999999", "дев'ятьсот дев'яносто дев'ять мiльярдiв дев'ятьсот дев'яносто "
                                                  "дев'ять мiльйонiв дев'ятьсот дев'яносто дев'ять тисяч дев'ятьсот "
                                                  "дев'яносто дев'ять" },
                                { "1000000000000", "" }, { "0000000000001", "" }, { "1 000", "" }, { "-5", "" },
                                { "12345678901x", "" }, { "\u0661\u0662", "" }, { "1\uFF12", "" } });
        rows("MonthToWords", { { "01", "сiчня" }, { "12", "грудня" }, { "", "" }, { "1", "" }, { "001", "" }, { "00", "" },
                               { "13", "" }, { " 1", "" }, { "0a", "" }, { "\u0660\u0661", "" } });
        rows("DateLine", { { "01.01.2026", "вiд 01 сiчня 2026 р." }, { "30.11.2026", "вiд 30 листопада 2026 р." },
                           { "05.13.2026", "вiд 05  2026 р." },      { "31.12.1999", "вiд 31 грудня 2099 р." },
                           { "05.12", "вiд 05 грудня 2012 р." },     { "", "вiд   20 р." } });
    }

    void texts()
    {
        QFETCH(QString, function);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(function == "AmountToWords" ? AmountToWords(text) : function == "MonthToWords" ? MonthToWords(text) : DateLine(text),
                 expected);
    }

    // Every month in the genitive, as Qt's Ukrainian locale has it (with
    // the form's Latin "i").
    void monthWords()
    {
        for (int m = 1; m <= 12; ++m)
            QCOMPARE(MonthToWords(QString::asprintf("%02d", m)),
                     QLocale("uk").monthName(m).replace(QChar(0x0456), 'i'));
    }

    // Every word of every scale, in ICU's spelling; the form's own
    // spellings (checked above) mapped to ICU's first.
    void crossCheckWithIcu()
    {
        UErrorCode status = U_ZERO_ERROR;
        icu::RuleBasedNumberFormat icu(icu::URBNF_SPELLOUT, icu::Locale("uk"), status);
        icu.setDefaultRuleSet(icu::UnicodeString(u"%spellout-cardinal-feminine"), status);
        QVERIFY2(U_SUCCESS(status), u_errorName(status));
        const std::pair<const char *, const char *> kept[] = {
            { "тисячи", "тисячi" }, { "одинадцать тисяч", "одинадцять тисяч" }, { "п'ятьдесят", "п'ятдесят" },
            { "шiстьдесят", "шiстдесят" }, { "п'ятьсот", "п'ятсот" }, { "шiстьсот", "шiстсот" },
            { "дев'ятьсот", "дев'ятсот" },
        };
        int failures = 0;
        for (qint64 group = 1; group <= 999; ++group)
            for (qint64 n : { group, group * 1000, group * 1000000, group * 1000000000, group * 1001001001 }) {
                QString words = AmountToWords(QString::number(n));
                // A blank after the last word exactly when it is a ten, a hundred or a noun.
                const bool blankRight = words.endsWith(' ') == (n % 10 == 0);
                words.chop(words.endsWith(' '));
                for (const auto &[ours, theirs] : kept)
                    words.replace(QString::fromUtf8(ours), QString::fromUtf8(theirs));
                words = words.replace('i', QChar(0x0456)).replace('\'', QChar(0x02BC));
                icu::UnicodeString out;
                icu.format(static_cast<int64_t>(n), out);
                const QString theirs(reinterpret_cast<const QChar *>(out.getBuffer()), out.length());
                if ((words != theirs || !blankRight) && ++failures <= 10)
                    qWarning("%lld: [%s] ICU [%s]", n, qPrintable(words), qPrintable(theirs));
            }
        QCOMPARE(failures, 0);
    }
};

QTEST_APPLESS_MAIN(TstModule1)
#include "tst_module1.moc"
