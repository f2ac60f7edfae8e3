// The fill steps shared by the order entry and the archive's reprint: which
// fields each step writes, and how the requisites are read from a real
// database file. How amounts are judged is tested through the dialog.

#include "document/DocumentFill.h"
#include "document/Form1.h"
#include "store/Database.h"
#include "tests/support/TestSupport.h"

#include <QtTest>

using DocumentFill::RequisitesRead;
using Sheet::Field;

Q_DECLARE_METATYPE(DocumentFill::RequisitesRead)

class TstDocumentFill : public QObject
{
    Q_OBJECT

private slots:
    void shortAmountKeepsWords();
    void stepsWriteTheirOwnFields();
    void fillWritesTheWindowAtOnce();
    void readRequisites_data();
    void readRequisites();
};

void TstDocumentFill::shortAmountKeepsWords()
{
    // The reprint writes a stored amount of one or two characters in
    // figures and leaves the previous amount in words.
    SheetFields f;
    f.setText(Field::AmountInWords, QStringLiteral("(раніше)"));
    OrderRecord o;
    o.suma = QStringLiteral("12");
    o.datazap = QStringLiteral("07.03.2026");
    DocumentFill::writeOrder(f, o);
    QCOMPARE(f.text(Field::AmountInFigures), QStringLiteral("12"));
    QCOMPARE(f.text(Field::AmountInWords), QStringLiteral("(раніше)"));

    o.suma = QStringLiteral("100");
    DocumentFill::writeOrder(f, o);
    QCOMPARE(f.text(Field::AmountInWords), QStringLiteral("( гр. 00 коп.)"));
}

void TstDocumentFill::stepsWriteTheirOwnFields()
{
    const QList<Field> payer = { Field::PayerName, Field::PayerCode, Field::PayerBank,
                                 Field::PayerBankCode, Field::DebitAccount };
    const Requisites r = { "a", "b", "c", "d", "e" };
    SheetFields f;
    const SheetFields blank;
    DocumentFill::writeRequisites(f, r);
    for (int i = 0; i < Sheet::FieldCount; ++i) {
        const Field field = Field(i);
        if (payer.contains(field))
            QCOMPARE(f.text(field), QString(QChar(char16_t(u'a' + payer.indexOf(field)))));
        else
            QCOMPARE(f.text(field), blank.text(field));
    }

    const OrderRecord o = { "7", "0,50", "n", "c", "b", "bc", "k", "p", "07.03.2026" };
    SheetFields g;
    DocumentFill::writeOrder(g, o);
    for (Field field : payer)
        QCOMPARE(g.text(field), blank.text(field));
    const SheetFields both = DocumentFill::filled(blank, o, r);
    for (int i = 0; i < Sheet::FieldCount; ++i)
        QVERIFY2(both.text(Field(i)) != blank.text(Field(i)), qPrintable(QString::number(i)));
    QCOMPARE(both.text(Field::DateLine), QStringLiteral("вiд 07 березня 2026 р."));
    QCOMPARE(both.text(Field::RecipientBankCode), QStringLiteral("bc"));
}

void TstDocumentFill::fillWritesTheWindowAtOnce()
{
    Form1 form;
    const OrderRecord o = { "7", "0,50", "n", "c", "b", "bc", "k", "p", "07.03.2026" };
    const Requisites r = { "a", "b", "c", "d", "e" };
    DocumentFill::fill(form, o, r);
    QCOMPARE(form.fields(), DocumentFill::filled(SheetFields(), o, r));
}

void TstDocumentFill::readRequisites_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<RequisitesRead>("outcome");
    QTest::newRow("delivered blank row") << "" << RequisitesRead::Read;
    QTest::newRow("filled row") << "update firma set firma='ТОВ «Дн''про»', rsbank='260'"
                                << RequisitesRead::Read;
    QTest::newRow("no row") << "delete from firma" << RequisitesRead::NoRow;
    QTest::newRow("NULL name") << "update firma set firma=NULL" << RequisitesRead::Incomplete;
    QTest::newRow("NULL account") << "update firma set rsbank=NULL" << RequisitesRead::Incomplete;
    QTest::newRow("two rows, first used")
            << "insert into firma values (2, NULL, NULL, NULL, NULL, NULL)" << RequisitesRead::Read;
    QTest::newRow("table gone") << "drop table firma" << RequisitesRead::Failed;
}

void TstDocumentFill::readRequisites()
{
    QFETCH(QString, statement);
    QFETCH(RequisitesRead, outcome);
    TestSupport::ProgramFolder folder;
    QVERIFY(folder.isValid());
    Database db;
    QVERIFY2(db.open(folder.databasePath()), qPrintable(db.errorText()));
    if (!statement.isEmpty())
        QVERIFY(TestSupport::execSql(folder.databasePath(), statement));

    Requisites r = { "x", "x", "x", "x", "x" };
    QCOMPARE(DocumentFill::readRequisites(db, &r), outcome);
    if (outcome == RequisitesRead::Read) {
        const auto row = TestSupport::queryRows(
                folder.databasePath(),
                QStringLiteral("select firma, kodfirma, bank, kodbank, rsbank from firma order by num"));
        QCOMPARE((QStringList{ r.firma, r.kodfirma, r.bank, r.kodbank, r.rsbank }), row.first());
    } else {
        QCOMPARE(r.firma, QStringLiteral("x")); // untouched
    }
    if (outcome == RequisitesRead::Failed)
        QVERIFY(db.errorText().contains(QStringLiteral("firma")));
}

QTEST_MAIN(TstDocumentFill)
#include "tst_documentfill.moc"
