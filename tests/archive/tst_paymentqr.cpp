// The NBU payment QR code of an archived order: the payload against values
// worked out by hand from the rules (seventeen elements, LF between them,
// "2" for Windows-1251 or "1" for UTF-8, the amount as "UAH" and a point),
// the reasons for no code, the purpose cut at its limit, and the drawn code
// read back by zbarimg from a PNG, from the SVG and from the window on
// screen, and the link its window copies.
#include "archive/PaymentQr.h"
#include "archive/QrWindow.h"
#include "support/TestSupport.h"

#include <QtTest>
#include <QClipboard>
#include <QStringEncoder>

Q_DECLARE_METATYPE(OrderRecord)

namespace {

const QString Iban = "UA213223130000026007233566001";

OrderRecord order(const QString &recipient, const QString &amount = "1,00", const QString &purpose = "Оплата",
                  const QString &account = Iban, const QString &code = "30123456")
{
    return { "12", amount, recipient, code, "АТ \"Банк\"", "305299", account, purpose, "02.03.2026" };
}

const Requisites Payer{ "ТОВ \"Вексарон\"", "41234567", "АТ \"Ощадбанк\"", "300465", "UA303348510000026206114040874" };

} // namespace

class TestPaymentQr : public QObject
{
    Q_OBJECT

private slots:
    void payload_data()
    {
        QTest::addColumn<OrderRecord>("order");
        QTest::addColumn<QString>("elements"); // the sixth to the twelfth
        QTest::addColumn<bool>("utf8");
        QTest::newRow("Windows-1251, № and і")
                << order("ТОВ \"Будівельна компанія\"", "1234,56", "Оплата за матеріали згідно рахунку № 45")
                << "ТОВ \"Будівельна компанія\"\nUA213223130000026007233566001\nUAH1234.56\n30123456\n\n\n"
                   "Оплата за матеріали згідно рахунку № 45" << false;
        QTest::newRow("UTF-8 for the modifier apostrophe, IBAN in groups, leading zeros")
                << order("ФОП Підʼячий Олег", "007,50", "Оренда", "UA47 3052 9900 0002 6005 0267 0745 9", "1234567890")
                << "ФОП Підʼячий Олег\nUA473052990000026005026707459\nUAH7.50\n1234567890\n\n\nОренда" << true;
        QTest::newRow("one line per element: breaks and blanks folded")
                << order("  ТОВ\n\"Альфа\"  ", "0,01", "Оплата\r\nза   послуги\tзв'язку")
                << "ТОВ \"Альфа\"\nUA213223130000026007233566001\nUAH0.01\n30123456\n\n\nОплата за послуги зв'язку"
                << false;
    }
    void payload()
    {
        QFETCH(OrderRecord, order);
        QFETCH(QString, elements);
        QFETCH(bool, utf8);
        const PaymentQr::Payload p = PaymentQr::build(order, Payer);
        const QString text = QStringLiteral("BCD\n003\n%1\nUCT\n\n%2\nТОВ \"Вексарон\", Доручення № 12 від 02.03.2026"
                                            "\n\n\n\n").arg(utf8 ? "1" : "2", elements);
        QCOMPARE(p.text, text);
        // Windows-1251 by Qt's own converter, not the code under test.
        const QByteArray bytes = utf8 ? text.toUtf8() : QStringEncoder("windows-1251").encode(text);
        QCOMPARE(p.bytes, bytes);
        // The link is the prefix and the bytes in Base64URL without padding.
        QVERIFY(p.link.startsWith("https://qr.bank.gov.ua/") && !p.link.contains('='));
        QCOMPARE(QByteArray::fromBase64(p.link.mid(23).toLatin1(), QByteArray::Base64UrlEncoding
                                                                          | QByteArray::AbortOnBase64DecodingErrors),
                 bytes);
    }

    void noCode_data()
    {
        QTest::addColumn<OrderRecord>("order");
        QTest::addColumn<QString>("reason");
        const auto amount = [](const char *suma) { return order("ТОВ", QString::fromUtf8(suma)); };
        const auto account = [](const char *kredit) { return order("ТОВ", "1,00", "Оплата", kredit); };
        QTest::newRow("old account") << account("26001052612345")
                                     << "Счет получателя «26001052612345» не является IBAN Украины";
        QTest::newRow("IBAN check digits") << account("UA213223130000026007233566002") << "IBAN";
        QTest::newRow("point") << amount("1234.56") << "Сумма «1234.56» записана не в виде «0,00».";
        QTest::newRow("Arabic-Indic digits") << amount("١٢,00") << "не в виде «0,00»";
        QTest::newRow("zero") << amount("000,00") << "Сумма равна нулю.";
        QTest::newRow("ten digits") << amount("1000000000,00") << "999 999 999,99";
        QTest::newRow("recipient over 140") << order(QString(141, QChar(0x0416))) << "длиннее 140";
        QTest::newRow("no code") << order("ТОВ", "1,00", "Оплата", Iban, "") << "Не указан код получателя.";
        QTest::newRow("no purpose") << order("ТОВ", "1,00", "\r\n") << "Не указано назначение платежа.";
    }
    void noCode()
    {
        QFETCH(OrderRecord, order);
        QFETCH(QString, reason);
        const PaymentQr::Payload p = PaymentQr::build(order, Payer);
        QCOMPARE(p.reasons.size(), 1);
        QVERIFY2(p.reasons.first().contains(reason), qPrintable(p.reasons.first()));
    }

    void purposeCut_data()
    {
        QTest::addColumn<QString>("purpose");
        QTest::addColumn<QString>("written");
        const QString word = "слово ";
        // 50 words: the 280th character is inside the 47th, so 46 remain (275 characters).
        QTest::newRow("inside a word") << word.repeated(50).trimmed() << word.repeated(46).trimmed();
        QTest::newRow("word ends at the limit") << QString(280, QChar(0x0430)) + " більше" << QString(280, QChar(0x0430));
        QTest::newRow("one long word") << QString(281, QChar(0x044F)) << QString(280, QChar(0x044F));
        QTest::newRow("exactly 280") << QString(280, QChar(0x0431)) << QString(280, QChar(0x0431));
    }
    void purposeCut()
    {
        QFETCH(QString, purpose);
        QFETCH(QString, written);
        const PaymentQr::Payload p = PaymentQr::build(order("ТОВ", "1,00", purpose), Payer);
        QCOMPARE(p.purpose, written);
        QCOMPARE(p.purposeCut, written != purpose);
        QCOMPARE(p.text.section('\n', 11, 11), written);
    }

    // The code drawn, the hryvnia mark over its centre, reads back as the link.
    void decodes_data()
    {
        QTest::addColumn<OrderRecord>("order");
        QTest::addColumn<QString>("from");
        const OrderRecord long1251 = order("ТОВ \"Будівельна компанія\"", "98765,43",
                                           "Оплата за матеріали згідно рахунку № 4512 від 02.03.2026, у т.ч. ПДВ");
        QTest::newRow("PNG") << long1251 << "png";
        QTest::newRow("SVG drawn again") << long1251 << "svg";
        QTest::newRow("the window on screen, purpose cut") << order("ТОВ \"Альфа\"", "1,00", QString("слово ").repeated(60))
                                                           << "screen";
        // In UTF-8 the full 280 letters would not fit a version-20 symbol: cut further.
        QTest::newRow("UTF-8, purpose cut to fit")
                << order("ФОП Підʼячий Олег", "1,00", QString("слово ").repeated(50).trimmed()) << "png";
    }
    void decodes()
    {
        QFETCH(OrderRecord, order);
        QFETCH(QString, from);
        QrWindow window(order, Payer);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // A symbol the rules allow, its modules large enough to scan from the screen.
        QVERIFY(window.hasCode() && window.symbol().version() <= 20 && window.modulePixels() >= QrWindow::MinModulePixels);
        const PaymentQr::Payload &p = window.payload();
        QTemporaryDir dir;
        const QString png = dir.filePath("code.png"), svg = dir.filePath("code.svg");
        if (from == "screen")
            QVERIFY(window.findChild<QWidget *>("QrCode")->grab().toImage().save(png));
        else if (from == "svg") // drawn again by Qt's SVG image reader, on no background of ours
            QVERIFY(window.saveTo(svg) && QImage(svg).save(png));
        else
            QVERIFY(window.saveTo(png));
        if (QStandardPaths::findExecutable("zbarimg").isEmpty() && !qEnvironmentVariableIsSet("CI"))
            QSKIP("zbarimg (Debian zbar-tools) is not installed");
        QCOMPARE(TestSupport::run("zbarimg", { "-q", "--raw", png }, false).second.trimmed(), p.link);
        QGuiApplication::clipboard()->clear();
        QTest::mouseClick(window.findChild<QWidget *>("QrCopyLink"), Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), p.link);
    }
};

QTEST_MAIN(TestPaymentQr)
#include "tst_paymentqr.moc"
