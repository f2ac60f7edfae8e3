// The order entry over the real main window and a real database file with
// the company's requisites filled in: "Новый" from the menu and the toolbar
// end to end, and the dialog itself (what it shows, which number it
// proposes, what it refuses or warns about, stores and fills in).

#include "app/MDIForm1.h"
#include "document/Form1.h"
#include "entry/frmCreate.h"
#include "tests/support/TestSupport.h"

#include <QDateEdit>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

namespace {

const QString MissingValue = "Пропущено значение";
const QString BadAmount = "Не верно введена сумма";
const QString Saved = "Запис виконано!";

// The boxes in the order of the arc columns suma to oznaka.
const char *const Boxes[] = { "Text2", "Text3", "Text4", "Text5", "Text9", "Text6", "Text8" };
const QStringList Sample = { "1234,56", "ТОВ Лан", "111", "АТ Банк", "222", "333", "Оплата" };
// The fifteen fields after the sample is filled in on 05.12.2026 with number 1.
const QStringList SampleSheet = { "1", "вiд 05 грудня 2026 р.", "ПП Вексарон", "12345678", "АТ Приватбанк",
                                  "305299", "26001234567890", "ТОВ Лан", "111", "АТ Банк", "222", "333",
                                  "1234,56", "(одна тисяча двiстi тридцять чотири гр. 56 коп.)", "Оплата" };

struct Program
{
    TestSupport::ProgramFolder folder;
    MDIForm1 main{ folder.path() };
    std::unique_ptr<frmCreate> dialog;

    bool sql(const QString &statement) { return TestSupport::execSql(folder.databasePath(), statement); }
    QList<QStringList> arc()
    {
        return TestSupport::queryRows(folder.databasePath(), "select id, suma, oderz, idoderz, bank, "
                                                             "idbank, kredit, oznaka, datazap from arc order by rowid");
    }
    QStringList sheet()
    {
        QStringList texts;
        for (int i = 0; i < Sheet::FieldCount; ++i)
            texts << main.documentWindow()->fields().text(Sheet::Field(i));
        return texts;
    }
};

// The property holding a box's text.
const char *textOf(QWidget *box) { return qobject_cast<QPlainTextEdit *>(box) ? "plainText" : "text"; }

void setBox(QWidget *dialog, const QString &name, const QString &text)
{
    QWidget *w = dialog->findChild<QWidget *>(name);
    w->setProperty(textOf(w), text);
}

QStringList typed(QWidget *dialog)
{
    QStringList texts;
    for (const char *name : Boxes) {
        QWidget *w = dialog->findChild<QWidget *>(name);
        texts << w->property(textOf(w)).toString();
    }
    return texts;
}

void enter(QWidget *dialog, const QStringList &texts = Sample, QDate date = QDate(2026, 12, 5))
{
    for (int i = 0; i < texts.size(); ++i)
        setBox(dialog, Boxes[i], texts.at(i));
    dialog->findChild<QDateEdit *>("DTPicker1")->setDate(date);
}

void press(QWidget *dialog, const QString &button) { dialog->findChild<QPushButton *>(button)->click(); }

// The texts of the message boxes seen. Each must have OK alone; the two
// input messages have no title, all others the title Vexaron; all but
// "Запис виконано!" show the error icon. A box that breaks this is listed
// as "bad box: " and its text.
QStringList messages(const TestSupport::MessageBoxAnswerer &answerer)
{
    QStringList texts;
    for (const TestSupport::SeenBox &s : answerer.seen) {
        const bool good = s.title == (s.text == MissingValue || s.text == BadAmount ? QString() : "Vexaron")
                && s.icon == (s.text == Saved ? QMessageBox::NoIcon : QMessageBox::Critical)
                && s.buttons.size() == 1 && QString(s.buttons.first()).remove('&') == "OK";
        texts << (good ? s.text : "bad box: " + s.text);
    }
    return texts;
}

} // namespace

class TstFrmCreate : public QObject
{
    Q_OBJECT

    std::unique_ptr<Program> p;
    frmCreate *d = nullptr;

    // A dialog of its own, built as "Новый" builds it.
    void open()
    {
        d = (p->dialog = std::make_unique<frmCreate>(p->main.database(), p->main, &p->main)).get();
        d->show();
    }

    // Runs "Новый" by its menu item or toolbar button and lets act work the
    // modal dialog. A dialog act leaves open fails the test and is closed,
    // so that the test cannot hang.
    void run(const QString &command, const std::function<void(frmCreate *)> &act)
    {
        bool modal = false, leftOpen = false;
        std::unique_ptr<TestSupport::WhenModal> watch(TestSupport::whenModal<frmCreate>([&](frmCreate *dialog) {
            modal = dialog->isModal() && dialog->parentWidget() == &p->main;
            act(dialog);
            if ((leftOpen = dialog->isVisible()))
                dialog->done(-1);
        }));
        p->main.findChild<QAction *>(command)->trigger();
        QVERIFY(modal && !leftOpen);
    }

private slots:
    void init()
    {
        p = std::make_unique<Program>();
        QVERIFY(p->folder.isValid() && p->main.MDIForm_Load());
        QVERIFY(p->sql("update firma set firma='ПП Вексарон', kodfirma='12345678', bank='АТ Приватбанк', "
                       "kodbank='305299', rsbank='26001234567890'"));
        p->main.show();
        p->main.setStatusText("Заполнение");
    }
    void cleanup() { p.reset(); }

    void flows_data();
    void flows();
    void captionsAndDate();
    void tabOrder();
    void numberProposal_data();
    void numberProposal();
    void checks_data();
    void checks();
    void secondFillOverwrites();
    void storedExactly();
};

void TstFrmCreate::flows_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("steps"); // buttons pressed; "close" is the title bar's
    QTest::addColumn<QStringList>("status"); // at the opening and after each press
    QTest::addColumn<QStringList>("shown");
    const QString menu = "mnuNew", toolbar = "Toolbar1_Button1";
    QTest::newRow("save, then OK")
            << menu << QStringList{ "Command3", "Command2" }
            << QStringList{ "Заполнение", "Сохранено", "Готово: (closed)" } << QStringList{ Saved };
    QTest::newRow("OK alone") << toolbar << QStringList{ "Command2" }
                              << QStringList{ "Заполнение", "Готово: (closed)" } << QStringList();
    QTest::newRow("cancel") << menu << QStringList{ "Command1" } << QStringList{ "Заполнение", "Отмена (closed)" }
                            << QStringList();
    QTest::newRow("title-bar close") << toolbar << QStringList{ "close" }
                                     << QStringList{ "Заполнение", "Заполнение (closed)" } << QStringList();
}

void TstFrmCreate::flows()
{
    QFETCH(QString, command);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, status);
    QFETCH(QStringList, shown);
    const bool saved = shown.contains(Saved), filled = status.last() == "Готово: (closed)";
    p->main.setStatusText(QString());
    const QStringList before = p->sheet();
    TestSupport::MessageBoxAnswerer answerer;
    QStringList seen;
    run(command, [&](frmCreate *dialog) {
        const auto state = [&] { seen << p->main.statusText() + (dialog->isVisible() ? "" : " (closed)"); };
        state();
        enter(dialog);
        for (const QString &step : steps) {
            step == "close" ? void(dialog->close()) : press(dialog, step);
            state();
        }
    });
    QCOMPARE(seen, status);
    QCOMPARE(messages(answerer), shown);
    QCOMPARE(p->arc(), saved ? QList<QStringList>{ QStringList{ "1" } + Sample + QStringList{ "05.12.2026" } }
                             : QList<QStringList>());
    QCOMPARE(p->sheet(), filled ? SampleSheet : before);

    // The other command opens a fresh dialog over the archive counted anew.
    QStringList again;
    run(command == "mnuNew" ? "Toolbar1_Button1" : "mnuNew", [&](frmCreate *dialog) {
        again << dialog->findChild<QLabel *>("Text1")->text() << typed(dialog);
        press(dialog, "Command1");
    });
    QCOMPARE(again, QStringList{ saved ? "2" : "1" } + QStringList(7, QString()));
}

void TstFrmCreate::captionsAndDate()
{
    open();
    QCOMPARE(d->windowTitle(), QStringLiteral("Заполнение Констант"));
    const QStringList captions = { "Label1_0 Номер доручення", "Label1_1 Сума   (0,00)", "Label1_2 Одержувач",
                                   "Label1_3 Код одержувача",  "Label1_4 Банк одержувача", "Label1_8 Код Банку",
                                   "Label1_5 Роз. Рахунок",    "Label1_7 Призначення платежу", "Label1_9 Дата",
                                   "Command3 Сохранить",       "Command2 OK",              "Command1 Отмена" };
    for (const QString &c : captions) {
        QWidget *w = d->findChild<QWidget *>(c.section(' ', 0, 0));
        QCOMPARE(c.section(' ', 0, 0) + ' ' + (w ? w->property("text").toString() : "missing"), c);
    }
    auto *picker = d->findChild<QDateEdit *>("DTPicker1");
    picker->setDate(QDate(2026, 12, 6));
    QCOMPARE(picker->text(), QStringLiteral("06/декабря/2026"));
    // The date line writes the century as "20": no date outside 2000-2099.
    picker->setDate(QDate(1999, 12, 31));
    QCOMPARE(picker->date(), QDate(2000, 1, 1));
    picker->setDate(QDate(2100, 1, 1));
    QCOMPARE(picker->date(), QDate(2099, 12, 31));
}

void TstFrmCreate::tabOrder()
{
    open();
    d->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(d));
    QStringList seen;
    for (int i = 0; i < 12 && QApplication::focusWidget(); ++i) {
        seen << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    // The bank code and the date come after the buttons; Tab leaves the
    // picker from its day part.
    QCOMPARE(seen, (QStringList{ "Text2", "Text3", "Text4", "Text5", "Text6", "Text8", "Command3", "Command2",
                                 "Command1", "Text9", "DTPicker1", "Text2" }));
}

void TstFrmCreate::numberProposal_data()
{
    QTest::addColumn<QList<int>>("ids"); // arc rows; -1 drops the table
    QTest::addColumn<QString>("proposed");
    QTest::newRow("empty archive") << QList<int>{} << "1";
    QTest::newRow("five rows") << QList<int>{ 10, 20, 30, 40, 50 } << "6";
    QTest::newRow("rows 1, 2, 3, 4, 6") << QList<int>{ 1, 2, 3, 4, 6 } << "6";
    QTest::newRow("archive unreadable") << QList<int>{ -1 } << "0";
}

void TstFrmCreate::numberProposal()
{
    QFETCH(QList<int>, ids);
    QFETCH(QString, proposed);
    for (int id : ids)
        QVERIFY(p->sql(id < 0 ? QStringLiteral("drop table arc")
                              : QStringLiteral("insert into arc values (%1, '1,00', 'a', 'b', 'c', 'd', 'e', "
                                               "'f', '01.01.2026')").arg(id)));
    TestSupport::MessageBoxAnswerer answerer;
    open();
    QCOMPARE(d->findChild<QLabel *>("Text1")->text(), proposed);
    QCOMPARE(d->findChild<QDateEdit *>("DTPicker1")->date(), QDate::currentDate());
    QCOMPARE(messages(answerer), QStringList()); // failures are ignored silently
}

void TstFrmCreate::checks_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("box"); // set to value over the sample order
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("statement"); // run on the database first
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("words"); // OK: the amount in words; empty: nothing written
    const auto row = [](const char *name, const char *button, const char *box, const QString &value,
                        const QStringList &shown, const QString &words = {}, const QString &statement = {}) {
        QTest::newRow(name) << button << box << value << statement << shown << words;
    };
    const QString w1234 = "(одна тисяча двiстi тридцять чотири гр. 56 коп.)";
    for (const char *box : Boxes)
        for (const char *button : { "Command2", "Command3" })
            QTest::addRow("%s empty, %s", box, button) << button << box << "" << "" << QStringList{ MissingValue } << "";
    row("blank is not empty", "Command3", "Text3", " ", { Saved });
    // Saving only warns, and only about the comma's place.
    row("save 1234.56", "Command3", "Text2", "1234.56", { BadAmount, Saved });
    row("save 1 234,56", "Command3", "Text2", "1 234,56", { Saved });
    row("OK 100,00", "Command2", "Text2", "100,00", {}, "(сто  гр. 00 коп.)");
    row("OK 1234.56 warns", "Command2", "Text2", "1234.56", { BadAmount }, w1234);
    row("OK 1234 warns", "Command2", "Text2", "1234", { BadAmount }, "(одна гр. 34 коп.)");
    // Refused before anything is written.
    row("OK 1 234,56", "Command2", "Text2", "1 234,56", { BadAmount });
    row("OK -5,00", "Command2", "Text2", "-5,00", { BadAmount });
    row("OK 12", "Command2", "Text2", "12", { BadAmount });
    row("OK Arabic-Indic digits", "Command2", "Text2", "\u0661\u0662,00", { BadAmount });
    const QString noRequisites = "Реквизиты предприятия не заполнены. Сначала заполните их: меню «Заполнение», "
                                 "пункт «Реквизиты предприятия».";
    row("OK, no firma row", "Command2", "Text2", "1234,56", { noRequisites }, {}, "delete from firma");
    for (const char *column : { "firma", "kodfirma", "bank", "kodbank", "rsbank" })
        row(qPrintable(QString("OK, %1 NULL").arg(column)), "Command2", "Text2", "1234,56", { noRequisites }, {},
            QString("update firma set %1=NULL").arg(column));
    row("OK, the first firma row is used", "Command2", "Text2", "1234,56", {}, w1234,
        "insert into firma values (2, NULL, NULL, NULL, NULL, NULL)");
    row("OK, firma unreadable", "Command2", "Text2", "1234,56",
        { "Не удалось прочитать реквизиты предприятия.\n\nno such table: firma" }, {}, "drop table firma");
    row("save needs no requisites", "Command3", "Text2", "1234,56", { Saved }, {}, "delete from firma");
    // The engine refuses the insert as with a full disk: its words are shown.
    row("save refused", "Command3", "Text2", "1234,56",
        { "Поручение не сохранено в архиве.\n\ndatabase or disk is full" }, {},
        "create trigger full before insert on arc begin select raise(abort, 'database or disk is full'); end");
}

void TstFrmCreate::checks()
{
    QFETCH(QString, button);
    QFETCH(QString, box);
    QFETCH(QString, value);
    QFETCH(QString, statement);
    QFETCH(QStringList, shown);
    QFETCH(QString, words);
    QVERIFY(statement.isEmpty() || p->sql(statement));
    const QStringList before = p->sheet();
    open();
    enter(d);
    setBox(d, box, value);
    const QStringList t = typed(d);
    TestSupport::MessageBoxAnswerer answerer;
    press(d, button);

    QCOMPARE(messages(answerer), shown);
    const bool saved = shown.contains(Saved), filled = button == "Command2" && !words.isEmpty();
    QCOMPARE(p->arc(), saved ? QList<QStringList>{ QStringList{ "1" } + t + QStringList{ "05.12.2026" } }
                             : QList<QStringList>());
    QCOMPARE(p->main.statusText(), QString(filled ? "Готово:" : saved ? "Сохранено" : "Заполнение"));
    QCOMPARE(d->isVisible(), !filled);
    QStringList sheet = SampleSheet;
    sheet[12] = value;
    sheet[13] = words;
    if (!filled)
        QCOMPARE(typed(d), t);
    QCOMPARE(p->sheet(), filled ? sheet : before);
}

void TstFrmCreate::secondFillOverwrites()
{
    open();
    enter(d);
    press(d, "Command2");
    // Every fill reads firma again, so the payer is overwritten too.
    QVERIFY(p->sql("update firma set firma='ТОВ Друга', kodfirma='87654321', bank='АТ Ощадбанк', "
                   "kodbank='300465', rsbank='26009999999999'"));
    QVERIFY(p->sql("insert into arc values (1, '1,00', 'a', 'b', 'c', 'd', 'e', 'f', '01.01.2026')"));
    open();
    enter(d, { "0,50", "ФОП Коваль", "2233445566", "АТ Райффайзен", "380805", "26000111", "За\nрахунком" },
          QDate(2027, 6, 30));
    press(d, "Command2");
    QCOMPARE(p->sheet(), (QStringList{ "2", "вiд 30 червня 2027 р.", "ТОВ Друга", "87654321", "АТ Ощадбанк",
                                       "300465", "26009999999999", "ФОП Коваль", "2233445566", "АТ Райффайзен",
                                       "380805", "26000111", "0,50", "( гр. 50 коп.)", "За\nрахунком" }));
}

void TstFrmCreate::storedExactly()
{
    QVERIFY(p->sql("insert into arc values (1, '1,00', 'a', 'b', 'c', 'd', 'e', 'f', '01.01.2026')"));
    // Apostrophes, quotes, blanks, SQL and placeholders as text, a box longer
    // than Qt's default limit of 32767 characters, and a purpose of three
    // lines (Enter, then Shift+Enter).
    QStringList values = { "п'ять", "  ТОВ «Дн'про» \"Схід\"  ", "'; drop table arc; --", "АТ \"Банк\"\t\u00A0",
                           "%1 ? :id @x $y", QString(40000, 'x') + "кінець", " Оплата\n мiсяцiв \u00A0\u2028ПДВ" };
    open();
    enter(d, values, QDate(2026, 2, 1));
    TestSupport::MessageBoxAnswerer answerer;
    QTest::keyClick(d->findChild<QWidget *>("Text3"), Qt::Key_Return); // Enter in a box presses no button
    press(d, "Command3");
    press(d, "Command3"); // the number is not advanced: the same order again

    QCOMPARE(messages(answerer), (QStringList{ BadAmount, Saved, BadAmount, Saved }));
    values.last() = " Оплата\n мiсяцiв \u00A0\nПДВ";
    const QStringList row = QStringList{ "2" } + values + QStringList{ "01.02.2026" };
    QCOMPARE(p->arc().mid(1), (QList<QStringList>{ row, row }));
    // The number is stored as a number: the archive finds it with id=2.
    QCOMPARE(TestSupport::queryRows(p->folder.databasePath(), "select count(*) from arc where id=2"),
             QList<QStringList>{ { "2" } });
}

QTEST_MAIN(TstFrmCreate)
#include "tst_frmcreate.moc"
