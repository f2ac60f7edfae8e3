// The checks of accounts, codes and bank codes: the check digits, then the
// notes the dialogs show beside their boxes.

#include "document/RequisiteChecks.h"

#include <QtTest>

class TstRequisiteChecks : public QObject
{
    Q_OBJECT

private slots:
    // Each valid example as valid, then with its last digit replaced by each
    // of the nine others, which must all fail; the invalid examples as they are.
    void checkDigits_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("expected");
        const auto add = [](const char *kind, const QStringList &valid, const QStringList &invalid) {
            for (const QString &v : valid)
                for (char d = '0'; d <= '9'; ++d) {
                    const QString text = v.left(v.size() - 1) + QLatin1Char(d);
                    QTest::addRow("%s %s", kind, qPrintable(text)) << kind << text << (text == v);
                }
            for (const QString &v : invalid)
                QTest::addRow("%s bad %s", kind, qPrintable(v)) << kind << v << false;
        };
        add("iban", { "UA213223130000026007233566001", "UA903052992990004149123456789" },
            { "UA793052990000026002661176318", "UA21322313000002600723356600", "UA2132231300000260072335660011",
              "DE213223130000026007233566001", "UAX13223130000026007233566001", "" });
        // 10000062 and 30000005 need the second pass; 9000000002: the weighted sum is negative.
        add("edrpou", { "32855961", "14360570", "00032129", "10000062", "30000005" },
            { "3285596", "328559610", "3285596a" });
        add("rnokpp", { "1759013776", "3652504575", "9000000002" }, { "175901377", "17590137761", "175901377x" });
    }
    void checkDigits()
    {
        QFETCH(QString, kind);
        QFETCH(QString, text);
        QFETCH(bool, expected);
        const bool valid = kind == "iban" ? RequisiteChecks::ibanValid(text)
                : kind == "edrpou"        ? RequisiteChecks::edrpouValid(text)
                                          : RequisiteChecks::rnokppValid(text);
        QCOMPARE(valid, expected);
    }

    void notes_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("account"); // for the bank code
        QTest::addColumn<QString>("note");
        const QString iban = "UA213223130000026007233566001";
        QTest::newRow("iban in groups, lower case") << "account" << "ua21 3223 1300 0002 6007 2335 6600 1" << "" << "";
        QTest::newRow("iban too short") << "account" << "UA21 3223" << "" << "IBAN: 8 знаков вместо 29";
        QTest::newRow("iban check digits") << "account" << "UA793052990000026002661176318" << ""
                                           << "IBAN: неверная контрольная сумма";
        QTest::newRow("old account number") << "account" << "26001234567890" << "" << "";
        QTest::newRow("code 8, wrong digit") << "code" << "32855962" << "" << "ЄДРПОУ: неверная контрольная цифра";
        QTest::newRow("code 10, wrong digit") << "code" << "1759013777" << "" << "РНОКПП: неверная контрольная цифра";
        QTest::newRow("code 5 digits") << "code" << "12345" << "" << "код должен содержать 8 или 10 цифр";
        QTest::newRow("passport, letters") << "code" << "АВ123456" << "" << "";
        QTest::newRow("passport, Latin letters") << "code" << "AB123456" << "" << "код должен содержать 8 или 10 цифр";
        QTest::newRow("id card") << "code" << "123456789" << "" << "";
        QTest::newRow("empty code") << "code" << "" << "" << "";
        QTest::newRow("bank code alone") << "bank" << "305299" << "" << "";
        QTest::newRow("bank code, 5 digits") << "bank" << "30529" << "" << "код банка должен содержать 6 цифр";
        QTest::newRow("bank code as in iban") << "bank" << "322313" << iban << "";
        QTest::newRow("bank code not in a grouped iban")
                << "bank" << "305299" << "ua21 3223 1300 0002 6007 2335 6600 1" << "в IBAN код банка 322313";
        QTest::newRow("bank code, invalid iban") << "bank" << "305299" << "UA793052990000026002661176319" << "";
        QTest::newRow("empty bank code") << "bank" << "" << iban << "";
    }
    void notes()
    {
        QFETCH(QString, kind);
        QFETCH(QString, text);
        QFETCH(QString, account);
        QFETCH(QString, note);
        const QString shown = kind == "account" ? RequisiteChecks::accountNote(text)
                : kind == "code"                ? RequisiteChecks::codeNote(text)
                                                : RequisiteChecks::bankCodeNote(text, account);
        QCOMPARE(shown, note);
    }
};

QTEST_APPLESS_MAIN(TstRequisiteChecks)
#include "tst_requisitechecks.moc"
