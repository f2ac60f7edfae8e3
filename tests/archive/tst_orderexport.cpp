// Exporting archived orders for a bank client: the 1CClientBankExchange
// text key by key, the Windows-1251 bytes of the Ukrainian letters, the
// characters changed to fit and counted, CSV as RFC 4180 quotes it, orders
// left out, and files written whole or not at all: a read-only folder (as
// the user nobody when run as root, who ignores permissions) keeps no
// partial file and says why, and an existing file is replaced only when the
// user agrees.
//
// The test program is its own second process: "--child [nobody] PATH"
// writes a small export to PATH and says "ok" or "failed<TAB>reason".
#include "archive/Handover.h"
#include "archive/OrderExport.h"
#include "support/TestSupport.h"

#include <QtTest>
#include <QtWidgets>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const Requisites Payer{ "ТОВ \"Вексарон\"", "41234567", "АТ \"Ощадбанк\"", "300465", "UA303348510000026206114040874" };
const QDateTime Created(QDate(2026, 12, 7), QTime(10, 20, 30));

QVector<OrderRecord> orders()
{
    return {
        { "1", "1234,56", "ТОВ \"Альфа; Бета\"", "30123456", "АТ \"ПриватБанк\"", "305299",
          "UA213223130000026007233566001", "Оплата за іїєґ ІЇЄҐ\r\nрахунок № 7", "05.03.2026" },
        { "2", "12.50", "ТОВ \"Гама\"", "30123457", "АТ \"Укрсиббанк\"", "351005",
          "UA473052990000026005026707459", "Оренда", "03.03.2026" },
        { "3", "0007,00", "ФОП Підʼячий", "1234567890", "АТ \"Райффайзен\"", "380805",
          "UA473052990000026005026707459", "Послуги ‐ зв’язок", "01.02.2026" },
    };
}


int child(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(2);
    if (!TestSupport::becomeNobodyIfAsked(&args))
        return 5;
    QString error;
    const QByteArray bytes = OrderExport::prepare(orders(), Payer, OrderExport::Format::Csv, Created).bytes;
    std::printf("%s\n", OrderExport::writeFile(args.value(0), bytes, false, &error) ? "ok" : qPrintable("failed\t" + error));
    return 0;
}

// Runs the child writing to path; its one line of output.
QString childWrites(const QString &path)
{
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(),
            QStringList{ "--child" } + (::geteuid() == 0 ? QStringList{ "nobody" } : QStringList()) + QStringList{ path });
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QStringLiteral("child failed: %1").arg(p.exitCode());
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

} // namespace

class TestOrderExport : public QObject
{
    Q_OBJECT

private slots:
    void clientBank()
    {
        const OrderExport::Prepared p = OrderExport::prepare(orders(), Payer, OrderExport::Format::ClientBank, Created);
        QCOMPARE(p.written, 2);
        QCOMPARE(p.leftOut, QStringList{ "№ 2 от 03.03.2026: сумма «12.50» не в виде «0,00»" });
        // The modifier apostrophe of Получатель and Получатель1, the hyphen U+2010.
        QCOMPARE(p.replaced, 3);
        // The letters іїєґ ІЇЄҐ and ’ for ʼ read back by Qt's own Windows-1251 decoder.
        const QString text = QStringDecoder("windows-1251").decode(p.bytes);
        QVERIFY(text.endsWith("\r\nКонецФайла\r\n"));
        const QStringList lines = text.chopped(2).split("\r\n");
        const QStringList payer{ "ПлательщикСчет=UA303348510000026206114040874", "Плательщик=ТОВ \"Вексарон\"",
                                 "ПлательщикОКПО=41234567", "Плательщик1=ТОВ \"Вексарон\"",
                                 "ПлательщикРасчСчет=UA303348510000026206114040874", "ПлательщикБанк1=АТ \"Ощадбанк\"",
                                 "ПлательщикМФО=300465" };
        // number, date, amount, account, recipient, code, bank, bank code, purpose
        const auto document = [&](const QStringList &v) {
            return QStringList{ "СекцияДокумент=Платежное поручение", "Номер=" + v[0], "Дата=" + v[1], "Сумма=" + v[2] }
                    + payer + QStringList{ "ПолучательСчет=" + v[3], "Получатель=" + v[4], "ПолучательОКПО=" + v[5],
                                           "Получатель1=" + v[4], "ПолучательРасчСчет=" + v[3], "ПолучательБанк1=" + v[6],
                                           "ПолучательМФО=" + v[7], "НазначениеПлатежа=" + v[8], "КонецДокумента" };
        };
        const QStringList expected =
                QStringList{ "1CClientBankExchange", "ВерсияФормата=1.02", "Кодировка=Windows", "Отправитель=Vexaron",
                             "Получатель=", "ДатаСоздания=07.12.2026", "ВремяСоздания=10:20:30", "ДатаНачала=01.02.2026",
                             "ДатаКонца=05.03.2026", "РасчСчет=UA303348510000026206114040874",
                             "Документ=Платежное поручение" }
                + document({ "1", "05.03.2026", "1234.56", "UA213223130000026007233566001", "ТОВ \"Альфа; Бета\"",
                             "30123456", "АТ \"ПриватБанк\"", "305299", "Оплата за іїєґ ІЇЄҐ рахунок № 7" })
                + document({ "3", "01.02.2026", "7.00", "UA473052990000026005026707459", "ФОП Під’ячий", "1234567890",
                             "АТ \"Райффайзен\"", "380805", "Послуги - зв’язок" })
                + QStringList{ "КонецФайла" };
        QCOMPARE(lines, expected);
    }

    // UTF-8 without a byte-order mark, ";" between fields, CRLF after each
    // row; a field with ";", a quote or a line break quoted, its quotes doubled.
    void csv()
    {
        QVector<OrderRecord> list = orders();
        list << OrderRecord{ "4", "1,00", "\"", "", ";", "", "UA213223130000026007233566001", "рядок\nдругий\r", "" };
        const OrderExport::Prepared p = OrderExport::prepare(list, Payer, OrderExport::Format::Csv, Created);
        const QString payer = "\"ТОВ \"\"Вексарон\"\"\";41234567;UA303348510000026206114040874;\"АТ \"\"Ощадбанк\"\"\";300465;";
        QCOMPARE(QString::fromUtf8(p.bytes),
                 "Номер;Дата;Сумма;Плательщик;ОКПО плательщика;Счет плательщика;Банк плательщика;МФО банка "
                 "плательщика;Получатель;ОКПО получателя;Счет получателя;Банк получателя;МФО банка получателя;"
                 "Назначение платежа\r\n1;05.03.2026;1234.56;" + payer + "\"ТОВ \"\"Альфа; Бета\"\"\";30123456;"
                 "UA213223130000026007233566001;\"АТ \"\"ПриватБанк\"\"\";305299;\"Оплата за іїєґ ІЇЄҐ\r\nрахунок № 7\""
                 "\r\n3;01.02.2026;7.00;" + payer + "ФОП Підʼячий;1234567890;UA473052990000026005026707459;"
                 "\"АТ \"\"Райффайзен\"\"\";380805;Послуги ‐ зв’язок\r\n4;;1.00;" + payer + "\"\"\"\";;"
                 "UA213223130000026007233566001;\";\";;\"рядок\nдругий\r\"\r\n");
    }

    // A folder the user may not write to keeps no partial file and the reason
    // is given; with the permission back the same write goes through. That
    // file is kept when the user says No to replacing it, replaced on Yes with
    // a report; an export with nothing to write leaves no file.
    void writtenWholeOrNotAtAll()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("out"), path = folder + "/orders.csv";
        QVERIFY(QDir().mkdir(folder));
        // Hidden ones too: a temporary file left behind shows.
        const auto folderEntries = [&] {
            return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
        };
        if (::geteuid() == 0)
            QCOMPARE(QProcess::execute("chown", { "-R", "nobody:", dir.path() }), 0);
        QCOMPARE(::chmod(QFile::encodeName(folder), 0555), 0);
        const QString refused = childWrites(path);
        QVERIFY2(refused.startsWith("failed\t") && refused.size() > 7, qPrintable(refused));
        QCOMPARE(folderEntries(), QStringList());
        QCOMPARE(::chmod(QFile::encodeName(folder), 0755), 0);
        QCOMPARE(childWrites(path), QStringLiteral("ok"));
        const QByteArray csv = OrderExport::prepare(orders(), Payer, OrderExport::Format::Csv, Created).bytes;
        QCOMPARE(TestSupport::fileBytes(path, "no file"), csv);

        QString question;
        auto *no = TestSupport::whenModal<QMessageBox>([&](QMessageBox *box) {
            question = box->text();
            box->button(QMessageBox::No)->click();
        });
        QVERIFY(!Handover::exportTo(nullptr, path, OrderExport::Format::ClientBank, orders(), Payer));
        delete no;
        QCOMPARE(question, "Файл " + path + " уже есть. Заменить его?");
        QCOMPARE(TestSupport::fileBytes(path, "no file"), csv);

        TestSupport::MessageBoxAnswerer yes; // presses the first button: Yes, then OK
        QVERIFY(Handover::exportTo(nullptr, path, OrderExport::Format::ClientBank, orders(), Payer));
        QVERIFY(!Handover::exportTo(nullptr, folder + "/none.csv", OrderExport::Format::Csv, { orders()[1] }, Payer));
        QCOMPARE(yes.seen.size(), 3);
        const QString report = yes.seen[1].text;
        QVERIFY2(report.contains("выгружено поручений: 2.") && report.contains("записано ближайшими: 3.")
                         && report.contains("№ 2 от 03.03.2026: сумма «12.50»"), qPrintable(report));
        QVERIFY(TestSupport::fileBytes(path, "no file").startsWith("1CClientBankExchange\r\n"));
        QVERIFY(yes.seen[2].text.startsWith("Файл не записан: выгружать нечего."));
        QCOMPARE(folderEntries(), QStringList{ "orders.csv" }); // and no file left by the child
    }
};

int main(int argc, char *argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--child") == 0)
        return child(argc, argv);
    QApplication app(argc, argv);
    TestOrderExport test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_orderexport.moc"
