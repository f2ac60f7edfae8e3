// The checks of accounts, codes and bank codes: one table per check digit
// (each valid example with every other last digit, which must all fail),
// then the notes the dialogs show beside their boxes.

#include "document/RequisiteChecks.h"

#include <QtTest>

#include <functional>

namespace {

using Check = std::function<bool(const QString &)>;

// The valid examples as valid, then each with its last digit replaced by
// each of the nine others as invalid; the invalid examples as they are.
void addTable(const QStringList &valid, const QStringList &invalid)
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");
    for (const QString &v : valid) {
        QTest::newRow(qPrintable(v)) << v << true;
        for (char d = '0'; d <= '9'; ++d) {
            if (v.back() == QLatin1Char(d))
                continue;
            const QString changed = v.left(v.size() - 1) + QLatin1Char(d);
            QTest::newRow(qPrintable(changed)) << changed << false;
        }
    }
    for (const QString &v : invalid)
        QTest::newRow(qPrintable("bad " + v)) << v << false;
}

} // namespace

class TstRequisiteChecks : public QObject
{
    Q_OBJECT

private slots:
    void iban_data()
    {
        addTable({ "UA213223130000026007233566001", "UA903052992990004149123456789" },
                 { "UA793052990000026002661176318", "UA21322313000002600723356600", "UA2132231300000260072335660011",
                   "DE213223130000026007233566001", "UAX13223130000026007233566001", "" });
    }
    void iban()
    {
        QFETCH(QString, text);
        QFETCH(bool, expected);
        QCOMPARE(RequisiteChecks::ibanValid(text), expected);
        QCOMPARE(RequisiteChecks::accountNote(text).isEmpty(), expected || !text.startsWith("UA"));
    }

    void edrpou_data()
    {
        // 10000062 and 30000005 need the second pass.
        addTable({ "32855961", "14360570", "00032129", "10000062", "30000005" },
                 { "3285596", "328559610", "3285596a" });
    }
    void edrpou()
    {
        QFETCH(QString, text);
        QFETCH(bool, expected);
        QCOMPARE(RequisiteChecks::edrpouValid(text), expected);
    }

    void rnokpp_data()
    {
        // 9000000002: the weighted sum is negative.
        addTable({ "1759013776", "3652504575", "9000000002" }, { "175901377", "17590137761", "175901377x" });
    }
    void rnokpp()
    {
        QFETCH(QString, text);
        QFETCH(bool, expected);
        QCOMPARE(RequisiteChecks::rnokppValid(text), expected);
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
        QTest::newRow("empty account") << "account" << "" << "" << "";
        QTest::newRow("code 8 digits") << "code" << "32855961" << "" << "";
        QTest::newRow("code 8, wrong digit") << "code" << "32855962" << "" << "ЄДРПОУ: неверная контрольная цифра";
        QTest::newRow("code 10 digits") << "code" << "1759013776" << "" << "";
        QTest::newRow("code 10, wrong digit") << "code" << "1759013777" << "" << "РНОКПП: неверная контрольная цифра";
        QTest::newRow("code 5 digits") << "code" << "12345" << "" << "код должен содержать 8 или 10 цифр";
        QTest::newRow("code with letters") << "code" << "1234567A" << "" << "код должен содержать 8 или 10 цифр";
        QTest::newRow("passport, letters") << "code" << "АВ123456" << "" << "";
        QTest::newRow("passport, Latin letters") << "code" << "AB123456" << "" << "код должен содержать 8 или 10 цифр";
        QTest::newRow("id card") << "code" << "123456789" << "" << "";
        QTest::newRow("empty code") << "code" << "" << "" << "";
        QTest::newRow("bank code alone") << "bank" << "305299" << "" << "";
        QTest::newRow("bank code, 5 digits") << "bank" << "30529" << "" << "код банка должен содержать 6 цифр";
        QTest::newRow("bank code as in iban") << "bank" << "322313" << iban << "";
        QTest::newRow("bank code not in iban") << "bank" << "305299" << iban << "в IBAN код банка 322313";
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

    void bankCodeFromIban()
    {
        QCOMPARE(RequisiteChecks::bankCodeFromIban("UA21 3223 1300 0002 6007 2335 6600 1"), QString("322313"));
        QCOMPARE(RequisiteChecks::bankCodeFromIban("UA793052990000026002661176318"), QString());
        QCOMPARE(RequisiteChecks::bankCodeFromIban("26001234567890"), QString());
    }
};

QTEST_MAIN(TstRequisiteChecks)
#include "tst_requisitechecks.moc"
