// Odd input through the real windows of the program, offscreen: texts that
// break naive SQL, control characters, letters outside the Basic
// Multilingual Plane, right-to-left text and a purpose of one megabyte go
// into one order, which is saved, put back from the archive, printed and
// deleted; amounts of every length from 0 to 30 go through "Сохранить" and
// "OK". And the windows on a file replaced under them: never "Сохранено",
// "Удалено" or "Запис виконано!".
#include "app/MDIForm1.h"
#include "app/SheetPrinter.h"
#include "archive/frmArc.h"
#include "document/Form1.h"
#include "document/Module1.h"
#include "document/SheetFonts.h"
#include "entry/frmCreate.h"
#include "requisites/frmFirma.h"
#include "support/TestSupport.h"

#include <QtTest>
#include <QtWidgets>

using Sheet::Field;
using TestSupport::duringCommand;

namespace {

const QString BadAmount = "Не верно введена сумма", MissingValue = "Пропущено значение", Saved = "Запис виконано!";

// The order boxes of frmCreate, the columns of arc and the sheet's fields.
const char *const OrderBoxes[] = { "Text2", "Text3", "Text4", "Text5", "Text9", "Text6", "Text8" };
const char *const ArcColumns[] = { "suma", "oderz", "idoderz", "bank", "idbank", "kredit", "oznaka" };
const Field SheetOf[] = { Field::AmountInFigures, Field::RecipientName, Field::RecipientCode, Field::RecipientBank,
                          Field::RecipientBankCode, Field::CreditAccount, Field::Purpose };

// The main window loaded on a fresh program folder, as the program starts.
struct Program
{
    TestSupport::ProgramFolder folder;
    std::unique_ptr<MDIForm1> main = std::make_unique<MDIForm1>(folder.path());
    QString db() const { return folder.databasePath(); }
    QString status() const { return main->statusText(); }
    QAction *command(const char *name) const { return main->findChild<QAction *>(name); }
    int arcCount() const { return TestSupport::queryRows(db(), "select count(*) from arc").value(0).value(0).toInt(); }
    SheetFields fields() const { return main->documentWindow()->fields(); }
};

// Puts text into a box the way a user does: typed key by key (a surrogate
// pair as one key) when short and free of control characters, else pasted.
void enter(QWidget *box, const QString &text)
{
    box->setFocus();
    QTest::keySequence(box, QKeySequence::SelectAll);
    QTest::keyClick(box, Qt::Key_Delete);
    if (text.size() > 200 || std::any_of(text.begin(), text.end(), [](QChar c) { return c < ' '; })) {
        QGuiApplication::clipboard()->setText(text);
        QTest::keySequence(box, QKeySequence::Paste);
    } else {
        for (qsizetype i = 0; i < text.size(); i += text[i].isHighSurrogate() ? 2 : 1)
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, text.mid(i, text[i].isHighSurrogate() ? 2 : 1), {});
    }
}

void fillOrder(QWidget *dialog, const QStringList &values)
{
    for (int i = 0; i < 7; ++i)
        enter(dialog->findChild<QWidget *>(OrderBoxes[i]), values.value(i, "x"));
}

void click(QWidget *dialog, const char *name)
{
    dialog->findChild<QPushButton *>(name)->click();
}

bool clickLine(QWidget *archive, int row)
{
    auto *view = archive->findChild<QTableView *>("ListView1");
    const QModelIndex index = view->model()->index(row, 0);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    return index.isValid();
}

// The column of the only arc row as UTF-8 bytes, read back by the engine.
QByteArray storedBytes(const QString &db, const char *column)
{
    const auto rows = TestSupport::queryRows(db, QString("select hex(%1), typeof(%1) from arc").arg(column));
    if (rows.size() != 1 || rows[0][1] != "text")
        return "<not one text row>";
    return QByteArray::fromHex(rows[0][0].toLatin1());
}

QStringList texts(const QList<TestSupport::SeenBox> &seen)
{
    QStringList t;
    for (const auto &s : seen)
        t << s.text;
    return t;
}

// The printed sheet's text, read back from the PDF with pdftotext.
QString printedText(const SheetFields &fields, const QString &folder)
{
    QPrinter printer(QPrinter::HighResolution);
    SheetPrinter::prepare(printer);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QDir(folder).filePath("sheet.pdf"));
    QProcess p;
    if (!SheetPrinter::print(printer, fields))
        return "<not printed>";
    p.start("pdftotext", { "-raw", printer.outputFileName(), "-" });
    return p.waitForFinished(60000) && p.exitCode() == 0 ? QString::fromUtf8(p.readAllStandardOutput()) : "<pdftotext failed>";
}

} // namespace

class TestBadInput : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Program> m_amounts;

private slots:
    void initTestCase()
    {
        QVERIFY(SheetFonts::registerFonts());
        QVERIFY2(!QStandardPaths::findExecutable("pdftotext").isEmpty(), "pdftotext (poppler-utils) is missing: run scripts/setup");
        m_amounts = std::make_unique<Program>();
        QVERIFY(m_amounts->main->MDIForm_Load());
        QVERIFY(TestSupport::execSql(m_amounts->db(), "update firma set firma='ПП', kodfirma='1', bank='Б', kodbank='2', rsbank='3'"));
    }

    // Every odd text at once: the requisites get five of them typed key by key;
    // the order boxes get all of them in one text, pasted, the purpose with a
    // megabyte more. Saved, filled, put back from the archive into a cleared
    // sheet, printed and deleted, the stored bytes equal the typed ones.
    void oddTextsKeptByteForByte()
    {
        const QStringList odd = { "ТОВ \"Дн'про\" О'Брайєн", "'); drop table arc; --", "C:\\шлях\\ \\' \\\\",
                                  QString::fromUtf8("\xF0\x9F\x92\xB0 гривня \xF0\x90\x8D\x88"),
                                  QString::fromUtf8("\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xD8\xB3\xD9\x84\xD8\xA7\xD9\x85 ТОВ"),
                                  "a;b;;c; ;", "1 or 1=1; delete from arc where id>0", "100% _x_ %d %s %n", "перше\tдруге",
                                  "рядок 1\nрядок 2\r\nрядок 3\r", QString("до") + QChar(0) + "пiсля" };
        const QString all = "   " + odd.join(" | ") + "   ";
        Program p;
        QVERIFY(p.main->MDIForm_Load());
        TestSupport::MessageBoxAnswerer answerer;
        QVERIFY(duringCommand<frmFirma>(p.command("mnuFirma"), [&](frmFirma *d) {
            for (int i = 0; i < 5; ++i)
                enter(d->findChild<QLineEdit *>(QString("Text%1").arg(i + 1)), odd[i]);
            click(d, "Command2");
        }));
        QCOMPARE(p.status(), QString("Сохранено"));
        QCOMPARE(TestSupport::queryRows(p.db(), "select firma, kodfirma, bank, kodbank, rsbank from firma"),
                 QList<QStringList>{ odd.mid(0, 5) });

        const QString megabyte = (all + '\n').repeated(1024 * 1024 / all.toUtf8().size() + 1);
        const QStringList typed = { "1234,56", all, all, all, all, all, all + megabyte };
        QVERIFY(duringCommand<frmCreate>(p.command("mnuNew"), [&](frmCreate *d) {
            fillOrder(d, typed);
            click(d, "Command3"); // Сохранить
            click(d, "Command2"); // OK: the sheet from the dialog
        }));
        QCOMPARE(texts(answerer.seen), QStringList{ Saved });
        QCOMPARE(p.status(), QString("Готово:"));
        // The purpose box keeps lines, not line ends: CR LF and CR become LF.
        QStringList expected = typed;
        expected[6].replace("\r\n", "\n").replace('\r', '\n');
        for (int i = 0; i < 7; ++i)
            QVERIFY2(storedBytes(p.db(), ArcColumns[i]) == expected[i].toUtf8(), ArcColumns[i]);

        p.main->documentWindow()->setFields(SheetFields());
        QVERIFY(duringCommand<frmArc>(p.command("mnuArchive"), [&](frmArc *d) {
            QVERIFY(clickLine(d, 0));
            click(d, "Command2");
        }));
        QCOMPARE(p.status(), QString("Готово:"));
        const SheetFields sheet = p.fields();
        for (int i = 0; i < 7; ++i)
            QVERIFY2(sheet.text(SheetOf[i]) == expected[i], ArcColumns[i]);
        QCOMPARE(sheet.text(Field::PayerName), odd[0]);
        QCOMPARE(sheet.text(Field::AmountInWords), QString("(одна тисяча двiстi тридцять чотири гр. 56 коп.)"));
        const QString paper = printedText(sheet, p.folder.path());
        for (const char *piece : { "1234,56", "Дн'про\" О'Брайєн", "drop table arc;", "C:\\шлях\\", "гривня", "100% _x_ %d %s %n" })
            QVERIFY2(paper.contains(piece), qPrintable(QString(piece) + " is not on paper:\n" + paper.left(3000)));

        QVERIFY(duringCommand<frmArc>(p.command("mnuArchive"), [&](frmArc *d) {
            QVERIFY(clickLine(d, 0));
            click(d, "Command3");
        }));
        QCOMPARE(p.status(), QString("Удалено"));
        QCOMPARE(p.arcCount(), 0);
        QCOMPARE(texts(answerer.seen), QStringList{ Saved });
    }

    // Amounts of every length 0 to 30: in the 0,00 form, with a point for the
    // comma, and with one odd character in the integer part.
    void amounts_data()
    {
        QTest::addColumn<QString>("amount");
        const QString digits = "123456789012345678901234567";
        const QString odd = "-+ aб'\u00A0\uFF11.,\u0663";
        for (int n = 0; n <= 30; ++n) {
            QString integer = digits.left(qMax(0, n - 3));
            QTest::addRow("%d, 0,00 form", n) << (integer + ",56").right(n);
            if (n >= 3)
                QTest::addRow("%d, point", n) << integer + ".56";
            if (n >= 4) {
                integer[n % integer.size()] = odd[n % odd.size()];
                QTest::addRow("%d, odd character", n) << integer + ",56";
            }
        }
    }

    // The rule: an amount whose integer part (all but the last three characters)
    // is not 0 to 12 ASCII digits is refused by "OK" with "Не верно введена
    // сумма" and the sheet is not touched; otherwise it is filled, after that
    // warning when the third character from the end is not a comma. "Сохранить"
    // only gives that warning and stores the amount as typed.
    void amounts()
    {
        QFETCH(QString, amount);
        const int n = int(amount.size());
        const QString integer = n >= 3 ? amount.left(n - 3) : QString();
        bool usable = n >= 3 && integer.size() <= 12;
        for (const QChar c : integer)
            usable = usable && c >= '0' && c <= '9';
        const bool comma = n >= 3 && amount[n - 3] == ',';
        QStringList shown; // "Сохранить", then "OK"
        if (n == 0)
            shown = QStringList{ MissingValue, MissingValue };
        else
            shown << (comma ? QStringList{ Saved } : QStringList{ BadAmount, Saved })
                  << (usable && comma ? QStringList() : QStringList{ BadAmount });

        Program &p = *m_amounts;
        SheetFields marked;
        for (int f = 0; f < Sheet::FieldCount; ++f)
            marked.setText(Field(f), "before");
        p.main->documentWindow()->setFields(marked);
        const int count = p.arcCount();
        TestSupport::MessageBoxAnswerer answerer;
        bool open = false;
        QVERIFY(duringCommand<frmCreate>(p.command("mnuNew"), [&](frmCreate *d) {
            fillOrder(d, { amount });
            click(d, "Command3");
            click(d, "Command2");
            open = d->isVisible();
        }));
        QCOMPARE(texts(answerer.seen), shown);
        QCOMPARE(p.arcCount(), count + (n > 0));
        if (n > 0)
            QCOMPARE(TestSupport::queryRows(p.db(), "select suma from arc order by rowid desc limit 1")[0][0], amount);
        QCOMPARE(open, !usable);
        if (!usable)
            QVERIFY2(p.fields() == marked, "the sheet was touched by a refused amount");
        else
            QCOMPARE(p.fields().text(Field::AmountInWords),
                     "(" + Module1::AmountToWords(integer) + " гр. " + amount.right(2) + " коп.)");
    }

    // The file is replaced while the program has it open: saving, the
    // requisites and deleting each show the reason, none is reported done, and
    // the dialog keeps what was typed.
    void failuresAreToldAsFailures()
    {
        Program p;
        QVERIFY(p.main->MDIForm_Load());
        QVERIFY(TestSupport::execSql(p.db(), "insert into arc values (1, '1,00', 'a', 'b', 'c', 'd', 'e', 'f', '01.02.2026')"));
        QVERIFY(QFile::copy(p.db(), p.db() + ".copy") && QFile::remove(p.db()) && QFile::rename(p.db() + ".copy", p.db()));
        const auto contents = [&] {
            return TestSupport::queryRows(p.db(), "select * from arc") + TestSupport::queryRows(p.db(), "select * from firma");
        };
        const auto before = contents();
        TestSupport::MessageBoxAnswerer answerer;
        QStringList statuses;
        QVERIFY(duringCommand<frmCreate>(p.command("mnuNew"), [&](frmCreate *d) {
            fillOrder(d, { "2,00" });
            click(d, "Command3");
            QCOMPARE(d->findChild<QLineEdit *>("Text3")->text(), QString("x"));
        }));
        statuses << p.status();
        QVERIFY(duringCommand<frmFirma>(p.command("mnuFirma"), [&](frmFirma *d) {
            enter(d->findChild<QLineEdit *>("Text1"), "ПП");
            click(d, "Command2");
            QVERIFY(d->isVisible());
        }));
        statuses << p.status();
        QVERIFY(duringCommand<frmArc>(p.command("mnuArchive"), [&](frmArc *d) {
            QVERIFY(clickLine(d, 0));
            click(d, "Command3");
        }));
        statuses << p.status();
        QCOMPARE(answerer.seen.size(), 3);
        for (const auto &box : answerer.seen)
            QVERIFY2(box.icon == QMessageBox::Critical && box.text.contains("заменён"), qPrintable(box.text));
        QVERIFY2(!statuses.contains("Сохранено") && !statuses.contains("Удалено"), qPrintable(statuses.join(',')));
        QCOMPARE(contents(), before);
    }
};

QTEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
