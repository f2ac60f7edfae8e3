// The NBU payment QR code of an archived order: the payload text against
// values worked out by hand from the rules (format 003: seventeen elements,
// LF between them, encoding "2" for Windows-1251 or "1" for UTF-8, the
// amount as "UAH" and a point), the reasons for no code, the purpose cut at
// its limit, and the drawn code read back by zbarimg from a PNG, from the
// SVG and from the window on screen.
#include "archive/PaymentQr.h"
#include "archive/QrSymbol.h"
#include "archive/QrWindow.h"

#include <QtTest>
#include <QClipboard>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>

#include <iconv.h>

Q_DECLARE_METATYPE(OrderRecord)

namespace {

OrderRecord order(const QString &recipient, const QString &account, const QString &amount,
                  const QString &purpose, const QString &code = QStringLiteral("30123456"))
{
    return { QStringLiteral("12"), amount, recipient, code, QStringLiteral("АТ \"Банк\""),
             QStringLiteral("305299"), account, purpose, QStringLiteral("02.03.2026") };
}

const Requisites Payer{ QStringLiteral("ТОВ \"Вексарон\""), QStringLiteral("41234567"),
                        QStringLiteral("АТ \"Ощадбанк\""), QStringLiteral("300465"),
                        QStringLiteral("UA303348510000026206114040874") };

const QString ExpectedDisplay = QStringLiteral("ТОВ \"Вексарон\", Доручення № 12 від 02.03.2026");

// Windows-1251 through glibc's iconv, not through the code under test (ICU).
QByteArray iconv1251(const QString &text)
{
    iconv_t cd = ::iconv_open("WINDOWS-1251", "UTF-8");
    QByteArray in = text.toUtf8(), out(in.size() + 8, '\0');
    char *from = in.data(), *to = out.data();
    size_t left = size_t(in.size()), room = size_t(out.size());
    const bool ok = cd != reinterpret_cast<iconv_t>(-1) && ::iconv(cd, &from, &left, &to, &room) != size_t(-1);
    if (cd != reinterpret_cast<iconv_t>(-1))
        ::iconv_close(cd);
    return ok ? out.left(to - out.constData()) : QByteArray("iconv failed");
}

const QString ZbarMissing = QStringLiteral("zbarimg (Debian zbar-tools) is not installed");

// zbarimg's reading of an image file; *problem says what went wrong.
QString zbarRead(const QString &path, QString *problem)
{
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"), { QStringLiteral("-q"), QStringLiteral("--raw"), path });
    if (!zbar.waitForStarted()) {
        *problem = ZbarMissing;
        return QString();
    }
    zbar.waitForFinished(30000);
    QString text = QString::fromUtf8(zbar.readAllStandardOutput());
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    if (zbar.exitCode() != 0)
        *problem = QStringLiteral("zbarimg read nothing: ") + QString::fromUtf8(zbar.readAllStandardError());
    return text;
}

#define ZBAR_READ(path, out)                                                                       \
    do {                                                                                           \
        QString problem;                                                                           \
        out = zbarRead(path, &problem);                                                            \
        if (problem == ZbarMissing && !qEnvironmentVariableIsSet("CI"))                           \
            QSKIP(qPrintable(problem));                                                            \
        QVERIFY2(problem.isEmpty(), qPrintable(problem));                                          \
    } while (0)

} // namespace

class TestPaymentQr : public QObject
{
    Q_OBJECT

private slots:
    void payload_data()
    {
        QTest::addColumn<OrderRecord>("order");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("utf8");

        QTest::newRow("Windows-1251, № and і")
                << order(QStringLiteral("ТОВ \"Будівельна компанія\""), QStringLiteral("UA213223130000026007233566001"),
                         QStringLiteral("1234,56"), QStringLiteral("Оплата за матеріали згідно рахунку № 45"))
                << QStringLiteral("BCD\n003\n2\nUCT\n\nТОВ \"Будівельна компанія\"\nUA213223130000026007233566001\n"
                                  "UAH1234.56\n30123456\n\n\nОплата за матеріали згідно рахунку № 45\n")
                           + ExpectedDisplay + QStringLiteral("\n\n\n\n")
                << false;
        QTest::newRow("UTF-8 for the modifier apostrophe, IBAN in groups, leading zeros")
                << order(QStringLiteral("ФОП Підʼячий Олег"), QStringLiteral("UA47 3052 9900 0002 6005 0267 0745 9"),
                         QStringLiteral("007,50"), QStringLiteral("Оренда"), QStringLiteral("1234567890"))
                << QStringLiteral("BCD\n003\n1\nUCT\n\nФОП Підʼячий Олег\nUA473052990000026005026707459\n"
                                  "UAH7.50\n1234567890\n\n\nОренда\n")
                           + ExpectedDisplay + QStringLiteral("\n\n\n\n")
                << true;
        QTest::newRow("one line per element: breaks and blanks folded")
                << order(QStringLiteral("  ТОВ\n\"Альфа\"  "), QStringLiteral("UA213223130000026007233566001"),
                         QStringLiteral("0,01"), QStringLiteral("Оплата\r\nза   послуги\tзв'язку"))
                << QStringLiteral("BCD\n003\n2\nUCT\n\nТОВ \"Альфа\"\nUA213223130000026007233566001\n"
                                  "UAH0.01\n30123456\n\n\nОплата за послуги зв'язку\n")
                           + ExpectedDisplay + QStringLiteral("\n\n\n\n")
                << false;
    }

    void payload()
    {
        QFETCH(OrderRecord, order);
        QFETCH(QString, expected);
        QFETCH(bool, utf8);

        const PaymentQr::Payload p = PaymentQr::build(order, Payer);
        QVERIFY2(p.hasCode(), qPrintable(p.reasons.join(' ')));
        QCOMPARE(p.text, expected);
        QCOMPARE(p.text.count(QLatin1Char('\n')), 16); // seventeen elements
        const QByteArray bytes = utf8 ? expected.toUtf8() : iconv1251(expected);
        QCOMPARE(p.bytes, bytes);
        // The link is the prefix and the bytes in Base64URL without padding.
        QVERIFY(p.link.startsWith(QLatin1String("https://qr.bank.gov.ua/")));
        const QString encoded = p.link.mid(23);
        QVERIFY(!encoded.contains(QLatin1Char('=')) && !encoded.contains(QLatin1Char('+'))
                && !encoded.contains(QLatin1Char('/')));
        QCOMPARE(QByteArray::fromBase64(encoded.toLatin1(), QByteArray::Base64UrlEncoding), bytes);
        QVERIFY(!p.purposeCut);
    }

    void noCode_data()
    {
        QTest::addColumn<OrderRecord>("order");
        QTest::addColumn<QString>("reason");

        const QString iban = QStringLiteral("UA213223130000026007233566001");
        const auto amount = [&](const char *suma) {
            return order(QStringLiteral("ТОВ"), iban, QString::fromUtf8(suma), QStringLiteral("Оплата"));
        };
        const auto account = [&](const char *kredit) {
            return order(QStringLiteral("ТОВ"), QString::fromUtf8(kredit), QStringLiteral("1,00"), QStringLiteral("Оплата"));
        };
        QTest::newRow("old account") << account("26001052612345")
                                     << QStringLiteral("Счет получателя «26001052612345» не является IBAN Украины");
        QTest::newRow("IBAN check digits") << account("UA213223130000026007233566002") << QStringLiteral("IBAN");
        QTest::newRow("IBAN too short") << account("UA21322313000002600723356600") << QStringLiteral("IBAN");
        QTest::newRow("foreign IBAN") << account("DE89370400440532013000") << QStringLiteral("IBAN");
        QTest::newRow("point") << amount("1234.56") << QStringLiteral("Сумма «1234.56» записана не в виде «0,00».");
        QTest::newRow("one kopeck digit") << amount("12,5") << QStringLiteral("не в виде «0,00»");
        QTest::newRow("no hryvnias") << amount(",50") << QStringLiteral("не в виде «0,00»");
        QTest::newRow("letter") << amount("1O,00") << QStringLiteral("не в виде «0,00»");
        QTest::newRow("Arabic-Indic digit") << amount("١٢,00") << QStringLiteral("не в виде «0,00»");
        QTest::newRow("blank") << amount("1 000,00") << QStringLiteral("не в виде «0,00»");
        QTest::newRow("zero") << amount("000,00") << QStringLiteral("Сумма равна нулю.");
        QTest::newRow("ten digits") << amount("1000000000,00") << QStringLiteral("999 999 999,99");
        QTest::newRow("no recipient") << order(QStringLiteral(" \n"), iban, QStringLiteral("1,00"), QStringLiteral("Оплата"))
                                      << QStringLiteral("Не указан получатель.");
        QTest::newRow("recipient over 140")
                << order(QString(141, QChar(0x0416)), iban, QStringLiteral("1,00"), QStringLiteral("Оплата"))
                << QStringLiteral("длиннее 140");
        QTest::newRow("no code") << order(QStringLiteral("ТОВ"), iban, QStringLiteral("1,00"), QStringLiteral("Оплата"), QString())
                                 << QStringLiteral("Не указан код получателя.");
        QTest::newRow("no purpose") << order(QStringLiteral("ТОВ"), iban, QStringLiteral("1,00"), QStringLiteral("\r\n"))
                                    << QStringLiteral("Не указано назначение платежа.");
    }

    void noCode()
    {
        QFETCH(OrderRecord, order);
        QFETCH(QString, reason);
        const PaymentQr::Payload p = PaymentQr::build(order, Payer);
        QVERIFY(!p.hasCode());
        QCOMPARE(p.reasons.size(), 1);
        QVERIFY2(p.reasons.first().contains(reason), qPrintable(p.reasons.first()));
        QVERIFY(p.link.isEmpty() && p.bytes.isEmpty());
    }

    void purposeCut_data()
    {
        QTest::addColumn<QString>("purpose");
        QTest::addColumn<QString>("written");

        const QString word = QStringLiteral("слово ");
        // 50 words: the 280th character is inside the 47th, so 46 remain (275 characters).
        QTest::newRow("inside a word") << word.repeated(50).trimmed() << word.repeated(46).trimmed();
        // A blank right after the 280th character: all 280 stay.
        QTest::newRow("word ends at the limit") << QString(280, QChar(0x0430)) + QStringLiteral(" більше")
                                                << QString(280, QChar(0x0430));
        QTest::newRow("one long word") << QString(281, QChar(0x044F)) << QString(280, QChar(0x044F));
        QTest::newRow("exactly 280") << QString(280, QChar(0x0431)) << QString(280, QChar(0x0431));
    }

    void purposeCut()
    {
        QFETCH(QString, purpose);
        QFETCH(QString, written);
        const PaymentQr::Payload p = PaymentQr::build(
                order(QStringLiteral("ТОВ"), QStringLiteral("UA213223130000026007233566001"), QStringLiteral("1,00"), purpose),
                Payer);
        QVERIFY(p.hasCode());
        QCOMPARE(p.purpose, written);
        QCOMPARE(p.purposeCut, written != purpose);
        QCOMPARE(p.text.section(QLatin1Char('\n'), 11, 11), written);
        // Even the longest purpose fits the largest code the rules allow.
        const QrSymbol symbol = QrSymbol::encode(p.link.toLatin1());
        QVERIFY2(!symbol.isNull(), qPrintable(symbol.errorText()));
        QVERIFY(symbol.version() >= QrSymbol::MinVersion && symbol.version() <= QrSymbol::MaxVersion);
    }

    // In UTF-8 (a modifier apostrophe) the full 280 letters would not fit a
    // version-20 symbol: the purpose is cut further, at a word, and the code
    // still reads.
    void utf8PurposeFitsTheLargestSymbol()
    {
        const QString purpose = QStringLiteral("слово ").repeated(50).trimmed();
        QrWindow window(order(QStringLiteral("ФОП Підʼячий Олег"), QStringLiteral("UA213223130000026007233566001"),
                              QStringLiteral("1,00"), purpose),
                        Payer);
        const PaymentQr::Payload &p = window.payload();
        QVERIFY(p.hasCode() && window.hasCode());
        QCOMPARE(p.text.section(QLatin1Char('\n'), 2, 2), QStringLiteral("1"));
        QVERIFY(p.purposeCut && p.purpose.size() < PaymentQr::PurposeLimit && p.purpose.size() > 150);
        QVERIFY(purpose.startsWith(p.purpose + QLatin1Char(' ')));
        QVERIFY(p.link.size() <= 858);
        QVERIFY(window.symbol().version() <= 20);
        QVERIFY(window.findChild<QLabel *>(QStringLiteral("QrNote"))->text().contains(
                QStringLiteral("до %1 знаков").arg(p.purpose.size())));

        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("code.png"));
        QVERIFY(window.saveTo(png));
        QString read;
        ZBAR_READ(png, read);
        QCOMPARE(read, p.link);
    }

    // The drawn code, the hryvnia mark over its centre, reads back as the link.
    void decodesFromFiles()
    {
        QrWindow window(order(QStringLiteral("ТОВ \"Будівельна компанія\""), QStringLiteral("UA213223130000026007233566001"),
                              QStringLiteral("98765,43"), QStringLiteral("Оплата за матеріали згідно рахунку № 4512 від 02.03.2026, у т.ч. ПДВ")),
                        Payer);
        QVERIFY(window.hasCode());
        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("code.png")), svg = dir.filePath(QStringLiteral("code.svg"));
        QVERIFY(window.saveTo(png));
        QVERIFY(window.saveTo(svg));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({ "code.png", "code.svg" }));

        QString read;
        ZBAR_READ(png, read);
        QCOMPARE(read, window.payload().link);
        QCOMPARE(QByteArray::fromBase64(read.mid(23).toLatin1(), QByteArray::Base64UrlEncoding),
                 window.payload().bytes);
        const QImage image(png);
        QCOMPARE(image.width(), window.symbol().sideModules() * window.modulePixels());

        // The SVG is vector: drawn again at its size it reads the same.
        QSvgRenderer renderer(svg);
        QVERIFY(renderer.isValid());
        QImage drawn(renderer.defaultSize(), QImage::Format_RGB32);
        drawn.fill(Qt::white);
        QPainter painter(&drawn);
        renderer.render(&painter);
        painter.end();
        const QString fromSvg = dir.filePath(QStringLiteral("svg.png"));
        QVERIFY(drawn.save(fromSvg));
        ZBAR_READ(fromSvg, read);
        QCOMPARE(read, window.payload().link);
    }

    void window()
    {
        QrWindow window(order(QStringLiteral("ТОВ \"Альфа\""), QStringLiteral("UA213223130000026007233566001"),
                              QStringLiteral("1234,56"), QStringLiteral("слово ").repeated(60)),
                        Payer);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.modulePixels() >= QrWindow::MinModulePixels);
        auto *code = window.findChild<QWidget *>(QStringLiteral("QrCode"));
        QVERIFY(code);
        QCOMPARE(code->width(), window.symbol().sideModules() * window.modulePixels());

        // What the screen shows scans.
        QTemporaryDir dir;
        const QString shot = dir.filePath(QStringLiteral("screen.png"));
        QVERIFY(code->grab().toImage().save(shot));
        QString read;
        ZBAR_READ(shot, read);
        QCOMPARE(read, window.payload().link);

        QCOMPARE(window.findChild<QLabel *>(QStringLiteral("QrRecipient"))->text(), QStringLiteral("Получатель: ТОВ \"Альфа\""));
        QVERIFY(window.findChild<QLabel *>(QStringLiteral("QrAmount"))->text().startsWith(
                QStringLiteral("Сумма: 1234,56 грн (одна тисяча двiстi тридцять чотири гр. 56 коп.)")));
        QLabel *note = window.findChild<QLabel *>(QStringLiteral("QrNote"));
        QVERIFY(note->isVisible() && note->text().contains(QStringLiteral("сокращено")));

        QGuiApplication::clipboard()->clear();
        QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("QrCopyLink")), Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), window.payload().link);
        QCOMPARE(window.findChild<QPushButton *>(QStringLiteral("QrSave"))->text(), QStringLiteral("Сохранить..."));
    }

    void windowWithoutCode()
    {
        QrWindow window(order(QStringLiteral("ТОВ"), QStringLiteral("26001052612345"), QStringLiteral("12.50"),
                              QStringLiteral("Оплата")),
                        Payer);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(!window.hasCode());
        QVERIFY(!window.findChild<QWidget *>(QStringLiteral("QrCode")));
        const QString note = window.findChild<QLabel *>(QStringLiteral("QrNote"))->text();
        QVERIFY2(note.startsWith(QStringLiteral("Кода нет: Счет получателя")) && note.contains(QStringLiteral("«12.50»")),
                 qPrintable(note));
        QVERIFY(!window.findChild<QPushButton *>(QStringLiteral("QrCopyLink"))->isEnabled());
        QVERIFY(!window.findChild<QPushButton *>(QStringLiteral("QrSave"))->isEnabled());
    }
};

QTEST_MAIN(TestPaymentQr)
#include "tst_paymentqr.moc"
