// The order entry over the real main window and a real database file with
// the company's requisites filled in: "Новый" from the menu and the toolbar
// end to end, and what its dialog shows, which number it proposes, what it
// refuses or warns about, stores and fills in.

#include "app/MDIForm1.h"
#include "document/Form1.h"
#include "entry/frmCreate.h"
#include "support/RunningProgram.h"

#include <QDateEdit>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

namespace {

const QString MissingValue = "Пропущено значение", BadAmount = "Не верно введена сумма", Saved = "Запис виконано!";
// The boxes in the order of the arc columns suma to oznaka.
const QStringList Boxes = { "Text2", "Text3", "Text4", "Text5", "Text9", "Text6", "Text8" };
const QStringList Sample = { "1234,56", "ТОВ Лан", "111", "АТ Банк", "222", "333", "Оплата" };
// The fifteen fields after the sample is filled in on 05.12.2026 with number 1.
const QStringList SampleSheet = { "1", "вiд 05 грудня 2026 р.", "ПП Вексарон", "12345678", "АТ Приватбанк",
                                  "305299", "26001234567890", "ТОВ Лан", "111", "АТ Банк", "222", "333",
                                  "1234,56", "(одна тисяча двiстi тридцять чотири гр. 56 коп.)", "Оплата" };

// The property holding a box's text.
const char *textOf(QWidget *box) { return qobject_cast<QPlainTextEdit *>(box) ? "plainText" : "text"; }

QStringList typed(QWidget *dialog)
{
    QStringList texts;
    for (const QString &name : Boxes) {
        QWidget *w = dialog->findChild<QWidget *>(name);
        texts << w->property(textOf(w)).toString();
    }
    return texts;
}

void enter(QWidget *dialog, const QStringList &texts = Sample, QDate date = QDate(2026, 12, 5))
{
    for (int i = 0; i < texts.size(); ++i) {
        QWidget *w = dialog->findChild<QWidget *>(Boxes[i]);
        w->setProperty(textOf(w), texts[i]);
    }
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

struct Program : TestSupport::RunningProgram
{
    QList<QStringList> arc() { return rows("select * from arc order by rowid"); }
    // Runs "Новый" by its menu item or toolbar button and lets act work the
    // dialog, which must be modal; a dialog act leaves open is closed after.
    bool run(const QString &command, const std::function<void(frmCreate *)> &act)
    {
        bool modal = false;
        std::unique_ptr<TestSupport::WhenModal> watch(TestSupport::whenModal<frmCreate>([&](frmCreate *dialog) {
            modal = dialog->isModal() && dialog->parentWidget() == &main;
            act(dialog);
            if (dialog->isVisible())
                dialog->done(-1);
        }));
        main.findChild<QAction *>(command)->trigger();
        return modal;
    }
};

} // namespace

class TstFrmCreate : public QObject
{
    Q_OBJECT

    std::unique_ptr<Program> p;

private slots:
    void init()
    {
        p = std::make_unique<Program>();
        QVERIFY(p->folder.isValid() && p->main.MDIForm_Load());
        QVERIFY(p->sql("update firma set firma='ПП Вексарон', kodfirma='12345678', bank='АТ Приватбанк', "
                       "kodbank='305299', rsbank='26001234567890'"));
        p->main.show();
    }

    void opening_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("proposed");
        QTest::newRow("empty archive") << "" << "1";
        QTest::newRow("five rows") << "insert into arc (id) values (1), (2), (3), (4), (5)" << "6";
        QTest::newRow("numbers above the count") << "insert into arc (id) values (10), (20), (30), (40), (50)" << "51";
        QTest::newRow("rows 1, 2, 3, 4, 6") << "insert into arc (id) values (1), (2), (3), (4), (6)" << "7";
        QTest::newRow("text numbers passed over") << "insert into arc (id) values (1), ('12a'), ('x')" << "4";
        QTest::newRow("archive unreadable") << "drop table arc" << "0";
    }

    // The number proposed and today's date, a failure while counting ignored
    // silently; the tab order, with the bank code and the date after the
    // buttons; Enter in a box, which presses no button; the date picker.
    void opening()
    {
        QFETCH(QString, statement);
        QFETCH(QString, proposed);
        QVERIFY(statement.isEmpty() || p->sql(statement));
        TestSupport::MessageBoxAnswerer answerer;
        QStringList seen;
        QVERIFY(p->run("mnuNew", [&](frmCreate *d) {
            auto *picker = d->findChild<QDateEdit *>("DTPicker1");
            seen << d->findChild<QLabel *>("Text1")->text() << picker->date().toString("dd.MM.yyyy");
            QVERIFY(QTest::qWaitForWindowActive(d));
            for (int i = 0; i < 12 && QApplication::focusWidget(); ++i) {
                seen << QApplication::focusWidget()->objectName();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            }
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            seen << (d->isVisible() ? "open" : "closed");
            // The date line writes the century as "20": no date outside 2000-2099.
            for (QDate date : { QDate(2026, 12, 6), QDate(1999, 12, 31), QDate(2100, 1, 1) }) {
                picker->setDate(date);
                seen << picker->text();
            }
        }));
        QCOMPARE(seen, (QStringList{ proposed, QDate::currentDate().toString("dd.MM.yyyy"), "Text2", "Text3", "Text4",
                                     "Text5", "Text6", "Text8", "Command3", "Command2", "Command1", "Text9", "DTPicker1",
                                     "Text2", "open", "06/декабря/2026", "01/января/2000", "31/декабря/2099" }));
        QCOMPARE(messages(answerer), QStringList());
    }

    void flows_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("steps"); // buttons pressed; "close" is the title bar's
        QTest::addColumn<QString>("status"); // at the opening and after each press
        const QString menu = "mnuNew", toolbar = "Toolbar1_Button1";
        QTest::newRow("save twice, then OK") << menu << "Command3,Command3,Command2"
                                             << "Заполнение,Сохранено,Сохранено,Готово: (closed)";
        QTest::newRow("OK alone") << toolbar << "Command2" << "Заполнение,Готово: (closed)";
        QTest::newRow("cancel") << menu << "Command1" << "Заполнение,Отмена (closed)";
        QTest::newRow("title-bar close") << toolbar << "close" << "Заполнение,Заполнение (closed)";
    }

    void flows()
    {
        QFETCH(QString, command);
        QFETCH(QString, steps);
        QFETCH(QString, status);
        const QStringList shown(steps.count("Command3"), Saved); // one message a save
        p->main.setStatusText(QString());
        const QStringList before = p->sheet();
        TestSupport::MessageBoxAnswerer answerer;
        QStringList seen;
        QVERIFY(p->run(command, [&](frmCreate *dialog) {
            const auto state = [&] { seen << p->main.statusText() + (dialog->isVisible() ? "" : " (closed)"); };
            state();
            enter(dialog);
            for (const QString &step : steps.split(',')) {
                step == "close" ? void(dialog->close()) : press(dialog, step);
                state();
            }
        }));
        QCOMPARE(seen, status.split(','));
        QCOMPARE(messages(answerer), shown);
        // The number is not advanced: a second press stores the same order again.
        QCOMPARE(p->arc(), QList<QStringList>(shown.size(), QStringList{ "1" } + Sample + QStringList{ "05.12.2026" }));
        QCOMPARE(p->sheet(), status.endsWith("Готово: (closed)") ? SampleSheet : before);

        // The other command opens a fresh dialog over the archive counted anew;
        // its fill reads the requisites again and overwrites every field.
        QVERIFY(p->sql("update firma set firma='ТОВ Друга', kodfirma='87654321', bank='АТ Ощадбанк', "
                       "kodbank='300465', rsbank='26009999999999'"));
        const QString number = QString::number(shown.size() + 1);
        QVERIFY(p->run(command == "mnuNew" ? "Toolbar1_Button1" : "mnuNew", [&](frmCreate *dialog) {
            QCOMPARE(dialog->findChild<QLabel *>("Text1")->text() + typed(dialog).join(""), number);
            enter(dialog, { "0,50", "ФОП Коваль", "2233445566", "АТ Райффайзен", "380805", "26000111", "За\nрахунком" },
                  QDate(2027, 6, 30));
            press(dialog, "Command2");
        }));
        QCOMPARE(p->sheet(), (QStringList{ number, "вiд 30 червня 2027 р.", "ТОВ Друга", "87654321", "АТ Ощадбанк",
                                           "300465", "26009999999999", "ФОП Коваль", "2233445566", "АТ Райффайзен",
                                           "380805", "26000111", "0,50", "( гр. 50 коп.)", "За\nрахунком" }));
    }

    void checks_data()
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
        for (const QString &box : Boxes)
            for (const char *button : { "Command2", "Command3" })
                QTest::addRow("%s empty, %s", qPrintable(box), button)
                        << button << box << "" << "" << QStringList{ MissingValue } << "";
        row("blank is not empty", "Command3", "Text3", " ", { Saved });
        // Saving stores what was typed, byte for byte, and warns only about
        // the comma's place.
        row("save п'ять", "Command3", "Text2", "п'ять", { BadAmount, Saved });
        row("save 1 234,56", "Command3", "Text2", "1 234,56", { Saved });
        row("save quotes, SQL, blanks", "Command3", "Text3", "  ТОВ «Дн'про» \"Схід\"\t\u00A0'; drop table arc; -- %1 ? :id ",
            { Saved });
        row("save 40000 characters", "Command3", "Text6", QString(40000, 'x') + "кінець", { Saved });
        row("save three lines", "Command3", "Text8", " Оплата\n мiсяцiв \u00A0\n ПДВ ", { Saved });
        row("OK 100,00", "Command2", "Text2", "100,00", {}, "(сто  гр. 00 коп.)");
        row("OK 1234.56 warns", "Command2", "Text2", "1234.56", { BadAmount }, w1234);
        row("OK 1234 warns", "Command2", "Text2", "1234", { BadAmount }, "(одна гр. 34 коп.)");
        // Refused before anything is written.
        row("OK 1 234,56", "Command2", "Text2", "1 234,56", { BadAmount });
        row("OK -5,00", "Command2", "Text2", "-5,00", { BadAmount });
        row("OK 12", "Command2", "Text2", "12", { BadAmount });
        const QString noRequisites = "Реквизиты предприятия не заполнены. Сначала заполните их: меню «Заполнение», "
                                     "пункт «Реквизиты предприятия».";
        row("OK, no firma row", "Command2", "Text2", "1234,56", { noRequisites }, {}, "delete from firma");
        row("OK, the first firma row is used", "Command2", "Text2", "1234,56", {}, w1234,
            "insert into firma values (2, NULL, NULL, NULL, NULL, NULL)");
        row("OK, firma unreadable", "Command2", "Text2", "1234,56",
            { "Не удалось прочитать реквизиты предприятия.\n\nОшибка базы данных.\nno such table: firma" }, {}, "drop table firma");
        row("save needs no requisites", "Command3", "Text2", "1234,56", { Saved }, {}, "delete from firma");
        // The engine refuses the insert as with a full disk: its words are shown.
        row("save refused", "Command3", "Text2", "1234,56",
            { "Поручение не сохранено в архиве.\n\nТаблица не принимает такую запись.\ndatabase or disk is full" }, {},
            "create trigger full before insert on arc begin select raise(abort, 'database or disk is full'); end");
    }

    // One press on the sample order with one box changed; a dialog left open
    // keeps its values.
    void checks()
    {
        QFETCH(QString, button);
        QFETCH(QString, box);
        QFETCH(QString, value);
        QFETCH(QString, statement);
        QFETCH(QStringList, shown);
        QFETCH(QString, words);
        QVERIFY(statement.isEmpty() || p->sql(statement));
        const QStringList before = p->sheet();
        QStringList t = Sample;
        t[Boxes.indexOf(box)] = value;
        TestSupport::MessageBoxAnswerer answerer;
        QString status;
        QVERIFY(p->run("mnuNew", [&](frmCreate *d) {
            enter(d, t);
            const QStringList kept = typed(d);
            press(d, button);
            status = p->main.statusText() + (d->isVisible() ? "" : " (closed)");
            QVERIFY(d->isHidden() || typed(d) == kept);
        }));
        QCOMPARE(messages(answerer), shown);
        const bool saved = shown.contains(Saved), filled = button == "Command2" && !words.isEmpty();
        QCOMPARE(status, QString(filled ? "Готово: (closed)" : saved ? "Сохранено" : "Заполнение"));
        QCOMPARE(p->arc(), saved ? QList<QStringList>{ QStringList{ "1" } + t + QStringList{ "05.12.2026" } }
                                 : QList<QStringList>());
        QCOMPARE(p->sheet(), filled ? SampleSheet.mid(0, 12) + QStringList({ value, words, Sample.last() }) : before);
    }
};

QTEST_MAIN(TstFrmCreate)
#include "tst_frmcreate.moc"
