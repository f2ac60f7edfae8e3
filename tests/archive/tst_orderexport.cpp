// Exporting archived orders for a bank client: the 1CClientBankExchange
// text read back through iconv in Windows-1251 key by key, the bytes of the
// Ukrainian letters, the characters changed to fit and counted, CSV read
// back row by row with RFC 4180 quoting, orders left out, and files
// written whole or not at all: a read-only folder (as the user nobody when
// run as root, who ignores permissions) keeps no partial file and says
// why, and an existing file is replaced only when the user agrees.
//
// The test program is its own second process: "--child [nobody] PATH"
// writes a small export to PATH and says "ok" or "failed<TAB>reason".
#include "archive/Handover.h"
#include "archive/OrderExport.h"
#include "support/TestSupport.h"

#include <QtTest>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <sys/stat.h>
#include <unistd.h>
#include <iconv.h>

namespace {

const Requisites Payer{ QStringLiteral("ТОВ \"Вексарон\""), QStringLiteral("41234567"),
                        QStringLiteral("АТ \"Ощадбанк\""), QStringLiteral("300465"),
                        QStringLiteral("UA303348510000026206114040874") };

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

const QDateTime Created(QDate(2026, 12, 7), QTime(10, 20, 30));

// Windows-1251 read back through glibc's iconv, not through the code under
// test (ICU).
QString fromIconv1251(const QByteArray &bytes)
{
    iconv_t cd = ::iconv_open("UTF-8", "WINDOWS-1251");
    QByteArray in = bytes, out(in.size() * 3 + 8, '\0');
    char *from = in.data(), *to = out.data();
    size_t left = size_t(in.size()), room = size_t(out.size());
    const bool ok = cd != reinterpret_cast<iconv_t>(-1) && ::iconv(cd, &from, &left, &to, &room) != size_t(-1);
    if (cd != reinterpret_cast<iconv_t>(-1))
        ::iconv_close(cd);
    return ok ? QString::fromUtf8(out.left(to - out.constData())) : QStringLiteral("iconv failed");
}

// RFC 4180 read independently: quoted fields may hold ";", doubled quotes
// and line breaks; a row ends with CRLF.
QList<QStringList> readCsv(const QString &text, QString *problem)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c != QLatin1Char('"'))
                field += c;
            else if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"'))
                field += c, ++i;
            else
                quoted = false;
        } else if (c == QLatin1Char('"') && field.isEmpty()) {
            quoted = true;
        } else if (c == QLatin1Char(';')) {
            row << field, field.clear();
        } else if (c == QLatin1Char('\r') && text.mid(i, 2) == QLatin1String("\r\n")) {
            rows << (row << field), row.clear(), field.clear(), ++i;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('"')) {
            *problem = QStringLiteral("a bare line break or quote at %1").arg(i);
        } else {
            field += c;
        }
    }
    if (!row.isEmpty() || !field.isEmpty())
        *problem = QStringLiteral("the last row has no CRLF");
    return rows;
}

QStringList folderEntries(const QString &path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

int child(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(2);
    if (!TestSupport::becomeNobodyIfAsked(&args))
        return 5;
    const OrderExport::Prepared prepared = OrderExport::prepare(orders(), Payer, OrderExport::Format::Csv, Created);
    QString error;
    const bool ok = OrderExport::writeFile(args.value(0), prepared.bytes, false, &error);
    std::printf("%s\n", ok ? "ok" : qPrintable("failed\t" + error));
    return 0;
}

// Runs the child writing to path; its one line of output.
QString childWrites(const QString &path)
{
    QProcess p;
    QStringList args{ "--child" };
    if (::geteuid() == 0)
        args << "nobody";
    p.start(QCoreApplication::applicationFilePath(), args << path);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QStringLiteral("child failed: %1").arg(p.exitCode());
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// Answers each message box: Yes or No to a question, OK to the rest; keeps
// what each said.
struct BoxAnswers : QObject
{
    QMessageBox::StandardButton answer;
    QStringList texts;
    QTimer timer;
    explicit BoxAnswers(QMessageBox::StandardButton a) : answer(a)
    {
        connect(&timer, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            texts << box->text();
            QAbstractButton *button = box->button(answer);
            (button ? button : box->buttons().first())->click();
        });
        timer.start(20);
    }
};

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

        // The Ukrainian letters in their Windows-1251 bytes.
        QVERIFY(p.bytes.contains(" \xB3\xBF\xBA\xB4 ")); // і ї є ґ
        QVERIFY(p.bytes.contains(" \xB2\xAF\xAA\xA5 ")); // І Ї Є Ґ
        QVERIFY(p.bytes.contains("\xCF\xB3\xE4\x92\xFF\xF7\xE8\xE9")); // Під’ячий: ʼ became ’ (0x92)

        const QString text = fromIconv1251(p.bytes);
        QVERIFY(text.endsWith(QStringLiteral("КонецФайла\r\n")));
        QStringList lines = text.split(QLatin1String("\r\n"));
        lines.removeLast();
        for (const QString &line : lines)
            QVERIFY2(!line.contains('\r') && !line.contains('\n'), qPrintable(line));

        const QStringList header{
            "1CClientBankExchange", "ВерсияФормата=1.02", "Кодировка=Windows", "Отправитель=Vexaron",
            "Получатель=", "ДатаСоздания=07.12.2026", "ВремяСоздания=10:20:30", "ДатаНачала=01.02.2026",
            "ДатаКонца=05.03.2026", "РасчСчет=UA303348510000026206114040874", "Документ=Платежное поручение"
        };
        const QStringList payer{
            "ПлательщикСчет=UA303348510000026206114040874", "Плательщик=ТОВ \"Вексарон\"",
            "ПлательщикОКПО=41234567", "Плательщик1=ТОВ \"Вексарон\"",
            "ПлательщикРасчСчет=UA303348510000026206114040874", "ПлательщикБанк1=АТ \"Ощадбанк\"",
            "ПлательщикМФО=300465"
        };
        const QStringList first = QStringList{ "СекцияДокумент=Платежное поручение", "Номер=1", "Дата=05.03.2026", "Сумма=1234.56" }
                + payer + QStringList{
            "ПолучательСчет=UA213223130000026007233566001", "Получатель=ТОВ \"Альфа; Бета\"",
            "ПолучательОКПО=30123456", "Получатель1=ТОВ \"Альфа; Бета\"",
            "ПолучательРасчСчет=UA213223130000026007233566001", "ПолучательБанк1=АТ \"ПриватБанк\"",
            "ПолучательМФО=305299", "НазначениеПлатежа=Оплата за іїєґ ІЇЄҐ рахунок № 7", "КонецДокумента" };
        const QStringList third = QStringList{ "СекцияДокумент=Платежное поручение", "Номер=3", "Дата=01.02.2026", "Сумма=7.00" }
                + payer + QStringList{
            "ПолучательСчет=UA473052990000026005026707459", "Получатель=ФОП Під’ячий",
            "ПолучательОКПО=1234567890", "Получатель1=ФОП Під’ячий",
            "ПолучательРасчСчет=UA473052990000026005026707459", "ПолучательБанк1=АТ \"Райффайзен\"",
            "ПолучательМФО=380805", "НазначениеПлатежа=Послуги - зв’язок", "КонецДокумента" };
        const QStringList expected = header + first + third + QStringList{ "КонецФайла" };
        for (int k = 0; k < qMax(lines.size(), expected.size()); ++k)
            QCOMPARE(lines.value(k), expected.value(k));
    }

    void csv()
    {
        QVector<OrderRecord> list = orders();
        list << OrderRecord{ "4", "1,00", "\"", "", ";", "", "UA213223130000026007233566001", "рядок\nдругий\r", "" };
        const OrderExport::Prepared p = OrderExport::prepare(list, Payer, OrderExport::Format::Csv, Created);
        QCOMPARE(p.written, 3);
        QCOMPARE(p.leftOut.size(), 1);
        QCOMPARE(p.replaced, 0);
        const QString text = QString::fromUtf8(p.bytes);
        QCOMPARE(text.toUtf8(), p.bytes); // valid UTF-8
        QVERIFY(text.startsWith(QStringLiteral("Номер;Дата;Сумма;"))); // no byte-order mark
        QVERIFY(text.contains(QStringLiteral(";\"ТОВ \"\"Альфа; Бета\"\"\";")));
        QVERIFY(text.contains(QStringLiteral(";\"Оплата за іїєґ ІЇЄҐ\r\nрахунок № 7\"\r\n")));
        QVERIFY(text.contains(QLatin1String("4;;1.00;")));

        QString problem;
        const QList<QStringList> rows = readCsv(text, &problem);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        const QStringList payer{ "ТОВ \"Вексарон\"", "41234567", "UA303348510000026206114040874", "АТ \"Ощадбанк\"", "300465" };
        const QList<QStringList> expected{
            { "Номер", "Дата", "Сумма", "Плательщик", "ОКПО плательщика", "Счет плательщика",
              "Банк плательщика", "МФО банка плательщика", "Получатель", "ОКПО получателя",
              "Счет получателя", "Банк получателя", "МФО банка получателя", "Назначение платежа" },
            QStringList{ "1", "05.03.2026", "1234.56" } + payer
                    + QStringList{ "ТОВ \"Альфа; Бета\"", "30123456", "UA213223130000026007233566001",
                                   "АТ \"ПриватБанк\"", "305299", "Оплата за іїєґ ІЇЄҐ\r\nрахунок № 7" },
            QStringList{ "3", "01.02.2026", "7.00" } + payer
                    + QStringList{ "ФОП Підʼячий", "1234567890", "UA473052990000026005026707459",
                                   "АТ \"Райффайзен\"", "380805", "Послуги ‐ зв’язок" },
            QStringList{ "4", "", "1.00" } + payer
                    + QStringList{ "\"", "", "UA213223130000026007233566001", ";", "", "рядок\nдругий\r" },
        };
        QCOMPARE(rows.size(), expected.size());
        for (int r = 0; r < rows.size(); ++r)
            QCOMPARE(rows[r], expected[r]);
    }

    void readOnlyFolder()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("out"));
        QVERIFY(QDir().mkdir(folder));
        if (::geteuid() == 0)
            QCOMPARE(QProcess::execute("chown", { "-R", "nobody:", dir.path() }), 0);
        const QString path = folder + QStringLiteral("/orders.csv");

        QCOMPARE(::chmod(QFile::encodeName(folder), 0555), 0);
        const QString refused = childWrites(path);
        QVERIFY2(refused.startsWith(QLatin1String("failed\t")) && refused.size() > 7, qPrintable(refused));
        QCOMPARE(folderEntries(folder), QStringList());

        // With the permission back the same write goes through.
        QCOMPARE(::chmod(QFile::encodeName(folder), 0755), 0);
        QCOMPARE(childWrites(path), QStringLiteral("ok"));
        QCOMPARE(folderEntries(folder), QStringList{ "orders.csv" });
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), OrderExport::prepare(orders(), Payer, OrderExport::Format::Csv, Created).bytes);
    }

    void replaceOnlyWhenAsked()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("orders.txt"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();

        QString error;
        QVERIFY(!OrderExport::writeFile(path, "new", false, &error));
        QCOMPARE(error, QStringLiteral("файл уже есть"));

        {
            BoxAnswers no(QMessageBox::No);
            QVERIFY(!Handover::exportTo(nullptr, path, OrderExport::Format::ClientBank, orders(), Payer));
            QCOMPARE(no.texts.size(), 1);
            QVERIFY(no.texts[0].startsWith(QStringLiteral("Файл ") + path + QStringLiteral(" уже есть. Заменить его?")));
        }
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
        old.close();

        BoxAnswers yes(QMessageBox::Yes);
        QVERIFY(Handover::exportTo(nullptr, path, OrderExport::Format::ClientBank, orders(), Payer));
        QCOMPARE(yes.texts.size(), 2);
        const QString report = yes.texts[1];
        QVERIFY2(report.contains(QStringLiteral("выгружено поручений: 2."))
                         && report.contains(QStringLiteral("записано ближайшими: 3."))
                         && report.contains(QStringLiteral("№ 2 от 03.03.2026: сумма «12.50»")),
                 qPrintable(report));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QVERIFY(old.readAll().startsWith("1CClientBankExchange\r\n"));
        QCOMPARE(folderEntries(dir.path()), QStringList{ "orders.txt" });
    }

    void failuresAreTold()
    {
        QTemporaryDir dir;
        {
            BoxAnswers ok(QMessageBox::Ok);
            const QString path = dir.filePath(QStringLiteral("missing/orders.csv"));
            QVERIFY(!Handover::exportTo(nullptr, path, OrderExport::Format::Csv, orders(), Payer));
            QCOMPARE(ok.texts.size(), 1);
            QVERIFY2(ok.texts[0].startsWith(QStringLiteral("Файл ") + path + QStringLiteral(" не записан.\n\n")),
                     qPrintable(ok.texts[0]));
        }
        BoxAnswers ok(QMessageBox::Ok);
        const QString path = dir.filePath(QStringLiteral("orders.csv"));
        QVERIFY(!Handover::exportTo(nullptr, path, OrderExport::Format::Csv, { orders()[1] }, Payer));
        QCOMPARE(ok.texts.size(), 1);
        QVERIFY(ok.texts[0].startsWith(QStringLiteral("Файл не записан: выгружать нечего.")));
        QCOMPARE(folderEntries(dir.path()), QStringList());
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
