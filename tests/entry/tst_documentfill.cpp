// The two fill steps the order entry and the archive's reprint share: each
// writes its own fields and nothing else. Reading the requisites and
// judging the amount are tested through the order-entry dialog, a stored
// amount too short for words through the archive's reprint.

#include "document/DocumentFill.h"

#include <QtTest>

using Sheet::Field;

class TstDocumentFill : public QObject
{
    Q_OBJECT

private slots:
    void stepsWriteTheirOwnFields()
    {
        SheetFields payer, order;
        DocumentFill::writeRequisites(payer, { "a", "b", "c", "d", "e" });
        DocumentFill::writeOrder(order, { "7", "0,50", "n", "c", "b", "bc", "k", "p", "07.03.2026" });
        QStringList texts;
        for (int i = 0; i < Sheet::FieldCount; ++i)
            texts << payer.text(Field(i)) + '|' + order.text(Field(i));
        const QString blank = SheetFields().text(Field::DateLine);
        QCOMPARE(texts, (QStringList{ "|7", blank + "|вiд 07 березня 2026 р.", "a|", "b|", "c|", "d|", "e|", "|n", "|c",
                                      "|b", "|bc", "|k", "|0,50", "|( гр. 50 коп.)", "|p" }));
    }
};

QTEST_APPLESS_MAIN(TstDocumentFill)
#include "tst_documentfill.moc"
