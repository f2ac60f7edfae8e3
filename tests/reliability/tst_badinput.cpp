// Odd input through the real windows of the program, offscreen: texts that
// break naive SQL, control characters, letters outside the Basic
// Multilingual Plane, right-to-left text and a purpose of one megabyte go
// into one order, which is saved, put back from the archive and deleted;
// amounts at the edges go through "Сохранить" and "OK". And
// the windows on a file replaced under them: never "Сохранено", "Удалено" or
// "Запис виконано!".
#include "app/MDIForm1.h"
#include "archive/frmArc.h"
#include "document/Form1.h"
#include "entry/frmCreate.h"
#include "requisites/frmFirma.h"
#include "support/RunningProgram.h"

#include <QtSql>
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

// The main window loaded on a fresh program folder with the requisites filled.
struct Program : TestSupport::RunningProgram
{
    bool load() { return main.MDIForm_Load() && sql("update firma set firma='ПП', kodfirma='1', bank='Б', kodbank='2', rsbank='3'"); }
    SheetFields fields() { return main.documentWindow()->fields(); }
};

// Puts text into a box the way a user does: typed key by key when short and
// free of control characters, else pasted.
void enter(QWidget *box, const QString &text)
{
    box->setFocus();
    QTest::keySequence(box, QKeySequence::SelectAll);
    QTest::keyClick(box, Qt::Key_Delete);
    if (text.size() > 40 || std::any_of(text.begin(), text.end(), [](QChar c) { return c < ' '; })) {
        QGuiApplication::clipboard()->setText(text);
        QTest::keySequence(box, QKeySequence::Paste);
    } else {
        for (QChar c : text)
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), {});
    }
}

// Types the order (a box beyond values gets "x") and presses the buttons.
void order(QWidget *dialog, const QStringList &values, const QStringList &buttons)
{
    for (int i = 0; i < 7; ++i)
        enter(dialog->findChild<QWidget *>(OrderBoxes[i]), values.value(i, "x"));
    for (const QString &b : buttons)
        dialog->findChild<QPushButton *>(b)->click();
}

// In the archive: clicks the first line, then the button if there is one.
void onFirstLine(frmArc *archive, const char *button)
{
    auto *view = archive->findChild<QTableView *>("ListView1");
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(0, 0)).center());
    if (button)
        archive->findChild<QPushButton *>(button)->click();
}

QStringList texts(const TestSupport::MessageBoxAnswerer &answerer)
{
    QStringList t;
    for (const auto &s : answerer.seen)
        t << s.text;
    return t;
}

} // namespace

class TestBadInput : public QObject
{
    Q_OBJECT

    std::unique_ptr<Program> p;

private slots:
    void initTestCase()
    {
        p = std::make_unique<Program>();
        QVERIFY(p->load());
    }

    // Every odd text at once in each order box, pasted, the purpose with a
    // megabyte more. Saved, filled, put back from the archive into a cleared
    // sheet and deleted, the stored bytes equal the typed ones.
    void oddTextsKeptByteForByte()
    {
        const QStringList odd = { "ТОВ \"Дн'про\" О'Брайєн", "'); drop table arc; --", "C:\\шлях\\ \\' \\\\",
                                  QString::fromUtf8("\xF0\x9F\x92\xB0 гривня \xF0\x90\x8D\x88"),
                                  QString::fromUtf8("\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xD8\xB3\xD9\x84\xD8\xA7\xD9\x85 ТОВ"),
                                  "a;b;;c; ;", "1 or 1=1; delete from arc where id>0", "100% _x_ %d %s %n", "перше\tдруге",
                                  "рядок 1\nрядок 2\r\nрядок 3\r", QString("до") + QChar(0) + "пiсля" };
        const QString all = "   " + odd.join(" | ") + "   ";
        const QString megabyte = (all + '\n').repeated(1024 * 1024 / all.toUtf8().size() + 1);
        QStringList typed = { "1234,56", all, all, all, all, all, all + megabyte };
        QVERIFY(p->sql("delete from arc"));
        TestSupport::MessageBoxAnswerer answerer;
        QVERIFY(duringCommand<frmCreate>(p->command("mnuNew"), [&](frmCreate *d) {
            order(d, typed, { "Command3", "Command2" }); // Сохранить, OK
        }));
        QCOMPARE(texts(answerer), QStringList{ Saved });
        QCOMPARE(p->main.statusText(), QString("Готово:"));
        // The purpose box keeps lines, not line ends: CR LF and CR become LF.
        typed[6].replace("\r\n", "\n").replace('\r', '\n');
        for (int i = 0; i < 7; ++i) {
            const auto stored = p->rows(QString("select hex(%1), typeof(%1) from arc").arg(ArcColumns[i]));
            QVERIFY2(stored.size() == 1 && stored[0][1] == "text"
                             && QByteArray::fromHex(stored[0][0].toLatin1()) == typed[i].toUtf8(),
                     ArcColumns[i]);
        }

        p->main.documentWindow()->setFields(SheetFields());
        QVERIFY(duringCommand<frmArc>(p->command("mnuArchive"), [&](frmArc *d) { onFirstLine(d, "Command2"); }));
        QCOMPARE(p->main.statusText(), QString("Готово:"));
        for (int i = 0; i < 7; ++i)
            QVERIFY2(p->fields().text(SheetOf[i]) == typed[i], ArcColumns[i]);
        QCOMPARE(p->fields().text(Field::AmountInWords), QString("(одна тисяча двiстi тридцять чотири гр. 56 коп.)"));

        QVERIFY(duringCommand<frmArc>(p->command("mnuArchive"), [&](frmArc *d) { onFirstLine(d, "Command3"); }));
        QCOMPARE(p->main.statusText(), QString("Удалено"));
        QCOMPARE(p->rows("select count(*) from arc"), (QList<QStringList>{ { "0" } }));
        QCOMPARE(texts(answerer), QStringList{ Saved });
    }

    // The amount's edges the order-entry tests leave: the integer part's
    // length limit, digits that are not ASCII, and nothing typed at all.
    // "Сохранить" stores what was typed; "OK" fills the sheet or, refusing,
    // leaves it untouched and the dialog open.
    void amounts_data()
    {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("words"); // empty: refused
        QTest::newRow("12 digits") << "100000000000,00" << QStringList{ Saved } << "(сто мiльярдiв  гр. 00 коп.)";
        QTest::newRow("13 digits") << "1000000000000,00" << QStringList{ Saved, BadAmount } << "";
        QTest::newRow("fullwidth digit") << "1\uFF11,00" << QStringList{ Saved, BadAmount } << "";
        QTest::newRow("Arabic-Indic digit") << "\u0663,00" << QStringList{ Saved, BadAmount } << "";
        QTest::newRow("nothing") << "" << QStringList{ MissingValue, MissingValue } << "";
    }

    void amounts()
    {
        QFETCH(QString, amount);
        QFETCH(QStringList, shown);
        QFETCH(QString, words);
        SheetFields marked;
        for (int f = 0; f < Sheet::FieldCount; ++f)
            marked.setText(Field(f), "before");
        p->main.documentWindow()->setFields(marked);
        const QList<QStringList> before = p->rows("select suma from arc");
        TestSupport::MessageBoxAnswerer answerer;
        bool open = false;
        QVERIFY(duringCommand<frmCreate>(p->command("mnuNew"), [&](frmCreate *d) {
            order(d, { amount }, { "Command3", "Command2" });
            open = d->isVisible();
        }));
        QCOMPARE(texts(answerer), shown);
        QCOMPARE(p->rows("select suma from arc"), before + (amount.isEmpty() ? QList<QStringList>() : QList<QStringList>{ { amount } }));
        QCOMPARE(open, words.isEmpty());
        QCOMPARE(p->fields().text(Field::AmountInWords), words.isEmpty() ? "before" : words);
        if (words.isEmpty())
            QVERIFY2(p->fields() == marked, "the sheet was touched by a refused amount");
    }

    void failuresAreToldAsFailures_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("reason"); // in the store's words, after what was not done
        QTest::newRow("file replaced") << "replaced" << "заменён";
        QTest::newRow("locked by another program") << "locked" << "locked";
    }

    // The file is replaced while the program has it open, or another program
    // holds its lock while a button is pressed: saving, the requisites and
    // deleting each say in Russian what was not done and then why, none is
    // reported done, and the dialog keeps what was typed.
    void failuresAreToldAsFailures()
    {
        QFETCH(QString, fault);
        QFETCH(QString, reason);
        Program p;
        QVERIFY(p.load() && p.sql("insert into arc values (1, '1,00', 'a', 'b', 'c', 'd', 'e', 'f', '01.02.2026')"));
        if (fault == "replaced")
            QVERIFY(QFile::copy(p.db(), p.db() + ".copy") && QFile::remove(p.db()) && QFile::rename(p.db() + ".copy", p.db()));
        const auto dropOther = qScopeGuard([] { QSqlDatabase::removeDatabase("other program"); });
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other program");
        other.setDatabaseName(p.db());
        QVERIFY(other.open());
        const auto press = [&](QWidget *dialog, const char *button) {
            QVERIFY(fault != "locked" || QSqlQuery(other).exec("begin exclusive"));
            dialog->findChild<QPushButton *>(button)->click();
            QVERIFY(fault != "locked" || QSqlQuery(other).exec("rollback"));
        };
        const auto before = p.rows("select * from arc") + p.rows("select * from firma");
        TestSupport::MessageBoxAnswerer answerer;
        QStringList statuses;
        QVERIFY(duringCommand<frmCreate>(p.command("mnuNew"), [&](frmCreate *d) {
            order(d, { "2,00" }, {});
            press(d, "Command3");
            QCOMPARE(d->findChild<QLineEdit *>("Text3")->text(), QString("x"));
        }));
        statuses << p.main.statusText();
        QVERIFY(duringCommand<frmFirma>(p.command("mnuFirma"), [&](frmFirma *d) {
            enter(d->findChild<QLineEdit *>("Text1"), "ПП2");
            press(d, "Command2");
            QVERIFY(d->isVisible());
        }));
        statuses << p.main.statusText();
        QVERIFY(duringCommand<frmArc>(p.command("mnuArchive"), [&](frmArc *d) {
            onFirstLine(d, nullptr);
            press(d, "Command3");
        }));
        statuses << p.main.statusText();
        const QStringList notDone = { "Поручение не сохранено в архиве.", "Реквизиты не сохранены.", "Поручение не удалено." };
        QCOMPARE(answerer.seen.size(), 3);
        for (int i = 0; i < 3; ++i) {
            const TestSupport::SeenBox &box = answerer.seen[i];
            QVERIFY2(box.icon == QMessageBox::Critical && box.text.startsWith(notDone[i] + "\n\n")
                             && box.text.contains(reason),
                     qPrintable(box.text));
        }
        QVERIFY2(!statuses.contains("Сохранено") && !statuses.contains("Удалено"), qPrintable(statuses.join(',')));
        QCOMPARE(p.rows("select * from arc") + p.rows("select * from firma"), before);
    }
};

QTEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
