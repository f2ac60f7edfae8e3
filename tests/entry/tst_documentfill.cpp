// The two fill steps the order entry and the archive's reprint share: each
// writes its own fields and nothing else. Reading the requisites and
// judging the amount are tested through the order-entry dialog.

#include "document/DocumentFill.h"

#include <QtTest>

using Sheet::Field;

class TstDocumentFill : public QObject
{
    Q_OBJECT

private slots:
    void stepsWriteTheirOwnFields();
};

void TstDocumentFill::stepsWriteTheirOwnFields()
{
    SheetFields payer, order;
    DocumentFill::writeRequisites(payer, { "a", "b", "c", "d", "e" });
    OrderRecord o = { "7", "0,50", "n", "c", "b", "bc", "k", "p", "07.03.2026" };
    DocumentFill::writeOrder(order, o);
    QStringList texts;
    for (int i = 0; i < Sheet::FieldCount; ++i)
        texts << payer.text(Field(i)) + '|' + order.text(Field(i));
    const QString blank = SheetFields().text(Field::DateLine);
    QCOMPARE(texts, (QStringList{ "|7", blank + "|вiд 07 березня 2026 р.", "a|", "b|", "c|", "d|", "e|", "|n", "|c",
                                  "|b", "|bc", "|k", "|0,50", "|( гр. 50 коп.)", "|p" }));

    // The reprint writes a stored amount of one or two characters in
    // figures and leaves the amount in words as it was.
    o.suma = "12";
    DocumentFill::writeOrder(order, o);
    QCOMPARE(order.text(Field::AmountInFigures), QStringLiteral("12"));
    QCOMPARE(order.text(Field::AmountInWords), QStringLiteral("( гр. 50 коп.)"));
}

QTEST_APPLESS_MAIN(TstDocumentFill)
#include "tst_documentfill.moc"
