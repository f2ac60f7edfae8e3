// Bad input through the real windows of the program: texts that break naive
// SQL, control characters, letters outside the Basic Multilingual Plane,
// right-to-left text and a purpose of one megabyte are typed into the
// order-entry dialog, saved, put back into the document from the archive,
// printed and deleted; amounts of every length from 0 to 30 characters go
// through "OK" and "Сохранить". And the windows under database faults:
// never "Сохранено", "Удалено" or "Запис виконано!" after a failed statement.
#include "app/MDIForm1.h"
#include "app/SheetPrinter.h"
#include "archive/frmArc.h"
#include "document/DocumentFill.h"
#include "document/Form1.h"
#include "document/Module1.h"
#include "document/SheetFonts.h"
#include "entry/frmCreate.h"
#include "requisites/frmFirma.h"
#include "store/Database.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QClipboard>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QtTest>

#include <memory>

using Sheet::Field;
using TestSupport::MessageBoxAnswerer;

namespace {

const QString BadAmount = QStringLiteral("Не верно введена сумма");
const QString MissingValue = QStringLiteral("Пропущено значение");
const QString Saved = QStringLiteral("Запис виконано!");

// The order boxes of frmCreate in the column order of arc, amount first.
const char *const OrderBoxes[] = { "Text2", "Text3", "Text4", "Text5", "Text9", "Text6", "Text8" };
const char *const ArcColumns[] = { "suma", "oderz", "idoderz", "bank", "idbank", "kredit", "oznaka" };
const Field SheetOf[] = { Field::AmountInFigures, Field::RecipientName, Field::RecipientCode,
                          Field::RecipientBank,   Field::RecipientBankCode, Field::CreditAccount,
                          Field::Purpose };

// The main window loaded on a fresh program folder, as the program starts.
struct Program
{
    TestSupport::ProgramFolder folder;
    std::unique_ptr<MDIForm1> main;

    bool load()
    {
        if (!folder.isValid())
            return false;
        main = std::make_unique<MDIForm1>(folder.path());
        return main->MDIForm_Load();
    }
    QString db() const { return folder.databasePath(); }
    QString status() const { return main->statusText(); }
    QAction *command(const char *name) const
    {
        return main->findChild<QAction *>(QString::fromLatin1(name));
    }
    int arcCount() const
    {
        return TestSupport::queryRows(db(), QStringLiteral("select count(*) from arc"))
                .value(0)
                .value(0)
                .toInt();
    }
    SheetFields fields() const { return main->documentWindow()->fields(); }
};

// Runs command and, once the modal dialog of type D is up and active,
// action; a dialog still open afterwards is closed with done(-1).
template<typename D>
bool whileModal(QAction *command, const std::function<void(D *)> &action, bool *leftOpen = nullptr)
{
    bool ran = false, stillOpen = false;
    std::unique_ptr<TestSupport::WhenModal> watch(TestSupport::whenModal<D>([&](D *dialog) {
        ran = true;
        if (QTest::qWaitForWindowActive(dialog))
            action(dialog);
        if (dialog->isVisible()) {
            stillOpen = true;
            dialog->done(-1);
        }
    }));
    command->trigger();
    if (leftOpen)
        *leftOpen = stillOpen;
    return ran;
}

// Puts text into a box the way a user does: typed key by key when it holds
// no control characters and is short, else pasted from the clipboard.
void enter(QWidget *box, const QString &text)
{
    box->setFocus();
    QTest::keySequence(box, QKeySequence::SelectAll);
    QTest::keyClick(box, Qt::Key_Delete);
    bool typeable = text.size() <= 200;
    for (const QChar c : text)
        typeable = typeable && c.unicode() >= 0x20;
    if (typeable) {
        // One key press per character, a pair of surrogates as one.
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, text.mid(i, n), Qt::NoModifier);
            i += n - 1;
        }
    } else {
        QGuiApplication::clipboard()->setText(text);
        QTest::keySequence(box, QKeySequence::Paste);
    }
}

QString boxText(QWidget *dialog, const char *name)
{
    QWidget *w = dialog->findChild<QWidget *>(QString::fromLatin1(name));
    if (auto *line = qobject_cast<QLineEdit *>(w))
        return line->text();
    if (auto *plain = qobject_cast<QPlainTextEdit *>(w))
        return plain->toPlainText();
    return QStringLiteral("<no box %1>").arg(QString::fromLatin1(name));
}

QPushButton *button(QWidget *dialog, const char *name)
{
    return dialog->findChild<QPushButton *>(QString::fromLatin1(name));
}

// Clicks a line of the archive list.
bool clickLine(QWidget *archive, int row)
{
    auto *view = archive->findChild<QTableView *>(QStringLiteral("ListView1"));
    if (!view || row >= view->model()->rowCount())
        return false;
    const QModelIndex index = view->model()->index(row, 0);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    return true;
}

// The column of the only arc row as UTF-8 bytes, read back by the engine.
QByteArray storedBytes(const QString &db, const char *column)
{
    const auto rows = TestSupport::queryRows(
            db, QStringLiteral("select hex(%1), typeof(%1) from arc").arg(QString::fromLatin1(column)));
    if (rows.size() != 1 || rows.first().at(1) != QLatin1String("text"))
        return "<not one text row>";
    return QByteArray::fromHex(rows.first().first().toLatin1());
}

QStringList texts(const QList<TestSupport::SeenBox> &seen)
{
    QStringList t;
    for (const auto &s : seen)
        t << s.text;
    return t;
}

// The printed sheet's text, read back with pdftotext.
QString printedText(const SheetFields &fields, const QString &folder, QString *problem)
{
    QPrinter printer(QPrinter::HighResolution);
    SheetPrinter::prepare(printer);
    const QString pdf = QDir(folder).filePath(QStringLiteral("sheet.pdf"));
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    if (!SheetPrinter::print(printer, fields)) {
        *problem = QStringLiteral("the sheet did not print");
        return QString();
    }
    QProcess p;
    p.start(QStringLiteral("pdftotext"), { QStringLiteral("-raw"), pdf, QStringLiteral("-") });
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        *problem = QStringLiteral("pdftotext failed: ") + p.errorString();
        return QString();
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestBadInput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void typedSavedReprintedDeleted_data();
    void typedSavedReprintedDeleted();
    void amounts_data();
    void amounts();
    void failuresAreNotReportedDone();
    void cleanupTestCase() { m_amounts.reset(); }

private:
    std::unique_ptr<Program> m_amounts;
};

void TestBadInput::initTestCase()
{
    QVERIFY(SheetFonts::registerFonts());
    QVERIFY2(!QStandardPaths::findExecutable("pdftotext").isEmpty(),
             "pdftotext (poppler-utils) is missing: run scripts/setup");
}

void TestBadInput::typedSavedReprintedDeleted_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("printed"); // a piece the printed sheet must show
    QTest::newRow("apostrophes") << "ТОВ \"Дн'про\" п'ять О'Брайєн" << "О'Брайєн";
    QTest::newRow("double quotes") << "ТОВ \"Лан\" \"\"" << "\"Лан\"";
    QTest::newRow("semicolons") << "a;b;;c; ;" << "a;b;;c;";
    QTest::newRow("sql") << "'); drop table arc; --" << "drop table arc";
    QTest::newRow("sql in the where clause") << "1 or 1=1; delete from arc where id>0" << "1=1;";
    QTest::newRow("backslashes") << "C:\\шлях\\ \\' \\\\" << "C:\\шлях\\";
    QTest::newRow("percent and underscore") << "100% _x_ %d %s %n" << "100%";
    QTest::newRow("tabs") << "перше\tдруге\t" << "перше";
    QTest::newRow("line breaks") << "рядок 1\nрядок 2\r\nрядок 3\r" << "рядок";
    QTest::newRow("blanks around") << "   з пробiлами   " << "пробiлами";
    QTest::newRow("outside the BMP") << QString::fromUtf8("\xF0\x9F\x92\xB0 гривня \xF0\x90\x8D\x88") << "гривня";
    QTest::newRow("right to left") << QString::fromUtf8("\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xD8\xB3\xD9\x84\xD8\xA7\xD9\x85 ТОВ")
                                   << "ТОВ";
    QTest::newRow("nul character") << QStringLiteral("до") + QChar(0) + QStringLiteral("пiсля") << "до";
}

// Every text box of the dialog gets the value (the amount box a good
// amount); the purpose of payment additionally carries a megabyte.
void TestBadInput::typedSavedReprintedDeleted()
{
    QFETCH(QString, value);
    QFETCH(QString, printed);
    Program p;
    QVERIFY(p.load());
    MessageBoxAnswerer answerer;

    // The requisites get the value too, through their own dialog.
    QVERIFY(whileModal<frmFirma>(p.command("mnuFirma"), [&](frmFirma *d) {
        for (const char *name : { "Text1", "Text2", "Text3", "Text4", "Text5" })
            enter(d->findChild<QLineEdit *>(name), value + QLatin1String(name));
        button(d, "Command2")->click();
    }));
    QCOMPARE(p.status(), QString("Сохранено"));
    const auto firma = TestSupport::queryRows(p.db(), "select firma, kodfirma, bank, kodbank, rsbank from firma");
    QCOMPARE(firma.size(), 1);
    for (int c = 0; c < 5; ++c)
        QCOMPARE(firma.first().at(c), value + QStringLiteral("Text%1").arg(c + 1));

    const QString megabyte = (value + QLatin1Char('\n')).repeated(1024 * 1024 / (value.toUtf8().size() + 1) + 1);
    QVERIFY(megabyte.toUtf8().size() >= 1024 * 1024);
    const QStringList typed = { "1234,56", value, value, value, value, value, value + megabyte };

    QStringList held;
    QElapsedTimer timer;
    timer.start();
    QVERIFY(whileModal<frmCreate>(p.command("mnuNew"), [&](frmCreate *d) {
        for (int i = 0; i < 7; ++i)
            enter(d->findChild<QWidget *>(OrderBoxes[i]), typed.at(i));
        for (const char *name : OrderBoxes)
            held << boxText(d, name);
        button(d, "Command3")->click(); // Сохранить
        button(d, "Command2")->click(); // OK: the document from the dialog
    }));
    qInfo("typed, saved and filled in %lld ms", timer.restart());
    QCOMPARE(texts(answerer.seen), QStringList({ Saved }));
    QCOMPARE(p.status(), QString("Готово:"));

    // The boxes held what was typed, and the row holds it byte for byte. A
    // multi-line box keeps lines, not line ends: CR LF and CR become LF.
    QStringList expected = typed;
    expected[6].replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (int i = 0; i < 7; ++i) {
        QVERIFY2(held.at(i) == expected.at(i), OrderBoxes[i]);
        QVERIFY2(storedBytes(p.db(), ArcColumns[i]) == expected.at(i).toUtf8(), ArcColumns[i]);
        QVERIFY2(p.fields().text(SheetOf[i]) == expected.at(i), ArcColumns[i]);
    }
    QCOMPARE(p.arcCount(), 1);

    // Put back from the archive into a cleared document, and printed.
    p.main->documentWindow()->setFields(SheetFields());
    QVERIFY(whileModal<frmArc>(p.command("mnuArchive"), [&](frmArc *d) {
        QVERIFY(clickLine(d, 0));
        button(d, "Command2")->click();
    }));
    qInfo("reprinted in %lld ms", timer.restart());
    QCOMPARE(p.status(), QString("Готово:"));
    const SheetFields sheet = p.fields();
    for (int i = 0; i < 7; ++i)
        QVERIFY2(sheet.text(SheetOf[i]) == expected.at(i), ArcColumns[i]);
    QCOMPARE(sheet.text(Field::PayerName), value + "Text1");
    QCOMPARE(sheet.text(Field::AmountInWords), QString("(одна тисяча двiстi тридцять чотири гр. 56 коп.)"));
    QVERIFY(!p.main->documentWindow()->grab().isNull());
    QString problem;
    const QString paper = printedText(sheet, p.folder.path(), &problem);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    qInfo("drawn and printed in %lld ms", timer.restart());
    QVERIFY2(paper.contains(printed), qPrintable(paper.left(2000)));
    QVERIFY(paper.contains(QStringLiteral("1234,56")));

    // Deleted from the archive.
    QVERIFY(whileModal<frmArc>(p.command("mnuArchive"), [&](frmArc *d) {
        QVERIFY(clickLine(d, 0));
        button(d, "Command3")->click();
        QCOMPARE(p.status(), QString("Удалено"));
        button(d, "Command1")->click();
    }));
    QCOMPARE(p.arcCount(), 0);
    QCOMPARE(TestSupport::queryRows(p.db(), "pragma integrity_check").first().first(), QString("ok"));
    QCOMPARE(texts(answerer.seen), QStringList({ Saved }));
}

// Amounts of every length from 0 to 30: digits in the 0,00 form, and with
// letters, signs, blanks and separators. "OK" either refuses the amount
// with "Не верно введена сумма" and leaves the sheet alone, or fills it
// (after the warning when the comma is misplaced). "Сохранить" warns on a
// misplaced comma and stores the amount as typed.
void TestBadInput::amounts_data()
{
    QTest::addColumn<QString>("amount");
    const QString patterns[] = {
        QStringLiteral("1234567890123456789012345678901"), // digits
        QStringLiteral("9876543210987654321098765432,10"), // the 0,00 form when it fits
        QStringLiteral("12.5012.5012.5012.5012.5012.50."), // points
        QStringLiteral("-1-2-3-4-5-6-7-8-9-0-1-2-3-4-5-"), // signs
        QStringLiteral("+1 000 000,00+1 000 000,00+1 00"), // a sign and blanks
        QStringLiteral("abc,deабв,гдеABC,DEFабв,гдеab,c"), // letters
        QStringLiteral(" 1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 "), // blanks
        QStringLiteral("1'234'567,891'234'567,891'234'5"), // thousands apostrophes
        QStringLiteral("1\u00A0234\u00A0567,89\u00A01234\u00A0567"), // no-break spaces
        QStringLiteral("１２３４５６７８９０１２３４５６７８９０１２３４５６７８９０"), // fullwidth
        QStringLiteral("0,000,000,000,000,000,000,000,0"), // commas everywhere
    };
    const char *const names[] = { "digits", "form", "points", "signs", "sign and blanks", "letters",
                                  "blanks", "apostrophes", "no-break spaces", "fullwidth", "commas" };
    for (int n = 0; n <= 30; ++n) {
        for (int k = 0; k < int(std::size(patterns)); ++k) {
            QString amount = patterns[k].left(n);
            if (k == 1 && n >= 3) // digits, then the comma third from the end
                amount = patterns[k].left(n - 3) + QStringLiteral(",56");
            if (n == 0 && k > 0)
                break;
            QTest::addRow("%d %s", n, names[k]) << amount;
        }
    }
}

void TestBadInput::amounts()
{
    QFETCH(QString, amount);
    // One run of the program for all the amounts.
    if (!m_amounts) {
        m_amounts = std::make_unique<Program>();
        QVERIFY(m_amounts->load());
        QVERIFY(TestSupport::execSql(m_amounts->db(), "update firma set firma='ПП', kodfirma='1', "
                                                      "bank='Б', kodbank='2', rsbank='3'"));
    }
    Program *p = m_amounts.get();
    const int n = int(amount.size());
    const DocumentFill::AmountForm form = DocumentFill::checkAmount(amount);
    const bool commaThird = n >= 3 && amount.at(n - 3) == QLatin1Char(',');

    // "OK": refused, or filled.
    SheetFields marked;
    for (int f = 0; f < Sheet::FieldCount; ++f)
        marked.setText(Field(f), QStringLiteral("before"));
    p->main->documentWindow()->setFields(marked);
    {
        MessageBoxAnswerer answerer;
        bool leftOpen = false;
        QVERIFY(whileModal<frmCreate>(
                p->command("mnuNew"),
                [&](frmCreate *d) {
                    enter(d->findChild<QWidget *>("Text2"), amount);
                    for (const char *name : { "Text3", "Text4", "Text5", "Text9", "Text6", "Text8" })
                        enter(d->findChild<QWidget *>(name), QStringLiteral("x"));
                    QCOMPARE(boxText(d, "Text2"), amount);
                    button(d, "Command2")->click();
                },
                &leftOpen));
        const SheetFields sheet = p->fields();
        if (n == 0) {
            QCOMPARE(texts(answerer.seen), QStringList({ MissingValue }));
            QVERIFY(sheet == marked);
        } else if (form == DocumentFill::AmountForm::Unusable) {
            QCOMPARE(texts(answerer.seen), QStringList({ BadAmount }));
            QVERIFY2(sheet == marked, "the sheet was touched by a refused amount");
            QVERIFY(leftOpen);
        } else {
            QCOMPARE(texts(answerer.seen), commaThird ? QStringList() : QStringList({ BadAmount }));
            QVERIFY(!leftOpen);
            QCOMPARE(sheet.text(Field::AmountInFigures), amount);
            // The integer part in words, "гр.", the last two characters and "коп.".
            const QString integer = amount.left(n - 3);
            QCOMPARE(sheet.text(Field::AmountInWords),
                     "(" + Module1::AmountToWords(integer) + " гр. " + amount.right(2) + " коп.)");
            if (integer.size() <= 12 && integer.toLongLong() > 0)
                QVERIFY2(!Module1::AmountToWords(integer).isEmpty(), "an amount without words");
            QVERIFY2(integer.size() <= 12, "an amount too long for words was filled with none");
            QCOMPARE(p->status(), QString("Готово:"));
        }
    }

    // "Сохранить": a warning at most, and the amount stored as typed.
    const int before = p->arcCount();
    MessageBoxAnswerer answerer;
    QVERIFY(whileModal<frmCreate>(p->command("mnuNew"), [&](frmCreate *d) {
        enter(d->findChild<QWidget *>("Text2"), amount);
        for (const char *name : { "Text3", "Text4", "Text5", "Text9", "Text6", "Text8" })
            enter(d->findChild<QWidget *>(name), QStringLiteral("x"));
        button(d, "Command3")->click();
        button(d, "Command1")->click();
    }));
    if (n == 0) {
        QCOMPARE(texts(answerer.seen), QStringList({ MissingValue }));
        QCOMPARE(p->arcCount(), before);
        return;
    }
    QCOMPARE(texts(answerer.seen), commaThird ? QStringList({ Saved }) : QStringList({ BadAmount, Saved }));
    QCOMPARE(p->arcCount(), before + 1);
    const auto stored = TestSupport::queryRows(p->db(), "select suma from arc order by rowid desc limit 1");
    QCOMPARE(stored.first().first(), amount);
}

// The windows when the database refuses: the order is not reported saved,
// the requisites not saved, the order not deleted; the message says so.
void TestBadInput::failuresAreNotReportedDone()
{
    Program p;
    QVERIFY(p.load());
    QVERIFY(TestSupport::execSql(p.db(), "insert into arc values (1, '1,00', 'a', 'b', 'c', 'd', 'e', 'f', '01.02.2026')"));
    const auto before = TestSupport::queryRows(p.db(), "select rowid, * from arc");
    const auto firmaBefore = TestSupport::queryRows(p.db(), "select * from firma");

    // The file may not grow: the program's connection gets a page limit.
    QSqlDatabase connection;
    for (const QString &name : QSqlDatabase::connectionNames())
        if (name.startsWith("vexa-") && QSqlDatabase::database(name, false).isOpen()
            && QSqlDatabase::database(name, false).databaseName().contains(p.db()))
            connection = QSqlDatabase::database(name, false);
    QVERIFY(connection.isOpen());
    {
        QSqlQuery q(connection);
        QVERIFY(q.exec("pragma page_count") && q.next());
        QVERIFY(q.exec(QString("pragma max_page_count=%1").arg(q.value(0).toInt())));
    }
    const QString big = QStringLiteral("Оплата ").repeated(4000);

    MessageBoxAnswerer answerer;
    p.main->setStatusText("start");
    QVERIFY(whileModal<frmCreate>(p.command("mnuNew"), [&](frmCreate *d) {
        enter(d->findChild<QWidget *>("Text2"), "1,00");
        for (const char *name : { "Text3", "Text4", "Text5", "Text9", "Text6" })
            enter(d->findChild<QWidget *>(name), "x");
        enter(d->findChild<QWidget *>("Text8"), big);
        button(d, "Command3")->click();
        QVERIFY(d->isVisible()); // the dialog stays with what was typed
        QCOMPARE(boxText(d, "Text8"), big);
        button(d, "Command1")->click();
    }));
    QCOMPARE(answerer.seen.size(), 1);
    QVERIFY2(answerer.seen.first().text.contains("full"), qPrintable(answerer.seen.first().text));
    QCOMPARE(answerer.seen.first().icon, QMessageBox::Critical);
    QVERIFY(!texts(answerer.seen).contains(Saved));
    QCOMPARE(p.status(), QString("Отмена"));

    answerer.seen.clear();
    p.main->setStatusText("start");
    QVERIFY(whileModal<frmFirma>(p.command("mnuFirma"), [&](frmFirma *d) {
        enter(d->findChild<QLineEdit *>("Text1"), big);
        button(d, "Command2")->click();
    }));
    QCOMPARE(answerer.seen.size(), 1);
    QVERIFY2(answerer.seen.first().text.contains("full"), qPrintable(answerer.seen.first().text));
    QVERIFY(p.status() != QString("Сохранено"));
    QCOMPARE(TestSupport::queryRows(p.db(), "select * from firma"), firmaBefore);

    // Another program holds the file locked past the busy timeout.
    QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other program");
    other.setDatabaseName(p.db());
    QVERIFY(other.open());
    QSqlQuery lock(other);
    answerer.seen.clear();
    p.main->setStatusText("start");
    QVERIFY(whileModal<frmArc>(p.command("mnuArchive"), [&](frmArc *d) {
        QVERIFY(clickLine(d, 0));
        QVERIFY(lock.exec("BEGIN EXCLUSIVE"));
        button(d, "Command3")->click();
        QVERIFY(d->isVisible());
        button(d, "Command1")->click();
    }));
    QVERIFY(lock.exec("ROLLBACK"));
    lock.finish();
    other.close();
    other = QSqlDatabase();
    QSqlDatabase::removeDatabase("other program");
    QCOMPARE(answerer.seen.size(), 1);
    QVERIFY2(answerer.seen.first().text.contains("locked"), qPrintable(answerer.seen.first().text));
    QCOMPARE(p.status(), QString("Отмена"));
    QCOMPARE(TestSupport::queryRows(p.db(), "select rowid, * from arc"), before);
}

QTEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
