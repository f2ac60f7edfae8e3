// The payment-order sheet as its window paints it, against reference
// pictures: bare, and with every field filled (the purpose and the amount in
// words too long for their boxes). A line or box moved or drawn at another
// width, a caption or field in another place, font or wrapping: each changes
// the picture. VEXA_UPDATE_PICTURES=1 writes the references anew.
#include "document/Form1.h"
#include "document/SheetFonts.h"
#include "support/TestSupport.h"

#include <QtTest>

using Sheet::Field;

class TestSheet : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(SheetFonts::registerFonts()); }

    void painted_data()
    {
        QTest::addColumn<bool>("filled");
        QTest::newRow("bare") << false;
        QTest::newRow("filled") << true;
    }

    void painted()
    {
        QFETCH(bool, filled);
        Form1 form;
        for (int f = 0; filled && f < Sheet::FieldCount; ++f) {
            const bool tooLong = Field(f) == Field::Purpose || Field(f) == Field::AmountInWords;
            form.setField(Field(f), QString("%1 ЖжЁ 777 слово ").arg(f).repeated(tooLong ? 40 : 1));
        }
        QCOMPARE(form.size(), QSize(779, 565));
        const QString fault = TestSupport::differsFromReference(form.grab().toImage(),
                                                                QString("document/sheet-") + QTest::currentDataTag());
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }
};

QTEST_MAIN(TestSheet)
#include "tst_sheet.moc"
