// The order entry over the real main window and a real database file with
// the company's requisites filled in: what its dialog shows, where it opens,
// which number it proposes, what it notes, refuses or warns about, stores
// and fills in; the recipients offered from the archive. (The bank code
// taken from a typed IBAN, shared with the requisites: tst_frmfirma.)

#include "entry/frmCreate.h"
#include "support/RunningProgram.h"

#include <QtTest>
#include <QtWidgets>

namespace {

const QString MissingValue = "Пропущено значение", BadAmount = "Не верно введена сумма", Saved = "Запис виконано!";
const QString ValidIban = "UA213223130000026007233566001", W1234 = "(одна тисяча двiстi тридцять чотири гр. 56 коп.)";
// The boxes in the order of the arc columns suma to oznaka; an order whose
// code, bank code and account pass their checks.
const QStringList Boxes = { "Text2", "Text3", "Text4", "Text5", "Text9", "Text6", "Text8" };
const QStringList Sample = { "1234,56", "ТОВ Лан", "32855961", "АТ Банк", "322313", ValidIban, "Оплата" };

QLineEdit *box(QWidget *d, const QString &name) { return d->findChild<QLineEdit *>(name); }

// The seven boxes as the dialog holds them.
QStringList typed(frmCreate *d)
{
    const OrderRecord o = d->order();
    return { o.suma, o.oderz, o.idoderz, o.bank, o.idbank, o.kredit, o.oznaka };
}

// Puts the seven texts into the boxes, as the archive's copy does, and
// dates the order 05.12.2026.
void enter(frmCreate *d, const QStringList &t = Sample)
{
    d->fillFrom({ {}, t[0], t[1], t[2], t[3], t[4], t[5], t[6], {} });
    d->findChild<QDateEdit *>("DTPicker1")->setDate(QDate(2026, 12, 5));
}

// Types text key by key into a box.
void type(QWidget *d, const QString &name, const QString &text)
{
    box(d, name)->setFocus();
    TestSupport::typeKeys(box(d, name), text);
}

// A key as the user presses it: an open list takes the keyboard.
void key(Qt::Key k)
{
    QTest::keyClick(QApplication::activePopupWidget() ? QApplication::activePopupWidget() : QApplication::focusWidget(), k);
}

// The entries of the list open under the box typed in, joined by ";".
QString offered()
{
    auto *list = qobject_cast<QAbstractItemView *>(QApplication::activePopupWidget());
    QStringList entries;
    for (int r = 0; list && r < list->model()->rowCount(); ++r)
        entries << list->model()->index(r, 0).data().toString();
    return entries.join(';');
}

// The notes beside the boxes as "box: note" for a box marked by its border,
// else as "box unmarked: note"; a marked box without a note as "box: ".
QStringList notes(QWidget *d)
{
    QStringList shown;
    for (QLabel *note : d->findChildren<QLabel *>(QRegularExpression("_note$"))) {
        const bool marked = box(d, note->objectName().chopped(5))->styleSheet().contains("border");
        if (marked || !note->isHidden())
            shown << note->objectName().chopped(5) + (marked ? ": " : " unmarked: ")
                            + (note->isHidden() ? "" : note->text());
    }
    return shown;
}

// A row of presses: the sample order with box set to value and statement
// run on the database first, then the buttons of steps pressed; the
// messages shown, the status after each press, the amount in words filled
// in (empty: nothing written) and the note beside the box before the first
// press.
struct Press
{
    QString steps, box, value;
    QStringList shown;
    QString status, words = {}, statement = {}, note = {};
};

} // namespace

Q_DECLARE_METATYPE(Press)

using TestSupport::duringCommand;

class TstFrmCreate : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestSupport::RunningProgram> p;

private slots:
    void init()
    {
        p = std::make_unique<TestSupport::RunningProgram>();
        QVERIFY(p->start());
        QVERIFY(p->sql("update firma set firma='ПП Вексарон', kodfirma='12345678', bank='АТ Приватбанк', "
                       "kodbank='305299', rsbank='26001234567890'"));
    }

    void opening_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("proposed");
        QTest::newRow("empty archive") << "" << "1";
        QTest::newRow("numbers above the count") << "insert into arc (id) values (10), (20), (30), (40), (50)" << "51";
        QTest::newRow("text numbers passed over") << "insert into arc (id) values (1), ('12a'), ('x')" << "4";
        QTest::newRow("archive unreadable") << "drop table arc" << "0";
    }

    // The title, the number proposed and today's date, "0" when the archive
    // cannot be counted; the tab order, with the bank code and the date after the
    // buttons; Enter in a box, which presses no button; the date picker.
    void opening()
    {
        QFETCH(QString, statement);
        QFETCH(QString, proposed);
        QVERIFY(statement.isEmpty() || p->sql(statement));
        QStringList seen;
        QVERIFY(duringCommand<frmCreate>(p->command("mnuNew"), [&](frmCreate *d) {
            auto *picker = d->findChild<QDateEdit *>("DTPicker1");
            seen << d->windowTitle() << d->findChild<QLabel *>("Text1")->text()
                 << picker->date().toString("dd.MM.yyyy");
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
        QCOMPARE(seen, (QStringList{ "Заполнение Констант", proposed, QDate::currentDate().toString("dd.MM.yyyy"),
                                     "Text2", "Text3", "Text4", "Text5", "Text6", "Text8", "Command3", "Command2",
                                     "Command1", "Text9", "DTPicker1", "Text2", "open", "06/декабря/2026",
                                     "01/января/2000", "31/декабря/2099" }));
    }

    // The dialog opens in the middle of the screen, not over the main window
    // standing in a corner. Moved aside by the user, it stays where it was
    // put when the window system shows it again (minimised and restored).
    void opensCentredAndStaysWherePut()
    {
        p->main.setGeometry(20, 40, 500, 300);
        QVERIFY(duringCommand<frmCreate>(p->command("mnuNew"), [&](frmCreate *d) {
            QCOMPARE(d->frameGeometry().center(), p->main.screen()->availableGeometry().center());
            d->move(30, 50);
            d->setWindowState(Qt::WindowMinimized);
            d->setWindowState(Qt::WindowNoState);
            QCOMPARE(d->pos(), QPoint(30, 50));
        }));
    }

    void presses_data()
    {
        QTest::addColumn<Press>("c");
        const auto row = [](const char *name, const Press &c) { QTest::newRow(name) << c; };
        const QString open = "Заполнение", saved = "Сохранено", done = "Готово: (closed)";
        for (const QString &box : Boxes)
            for (const char *button : { "Command2", "Command3" })
                row(qPrintable(box + " empty, " + button), { button, box, "", { MissingValue }, open });
        // The number is not advanced: a second press stores the same order again.
        row("save twice, then OK", { "Command3,Command3,Command2", "Text2", "1234,56", { Saved, Saved },
            "Сохранено,Сохранено,Готово: (closed)", W1234 });
        row("cancel", { "Command1", "Text2", "1234,56", {}, "Отмена (closed)" });
        row("blank is not empty", { "Command3", "Text3", " ", { Saved }, saved });
        // Saving stores what was typed and warns only about the comma's place.
        row("save п'ять", { "Command3", "Text2", "п'ять", { BadAmount, Saved }, saved });
        row("save 1 234,56", { "Command3", "Text2", "1 234,56", { Saved }, saved });
        // The notes beside the requisites never stop a save or a fill.
        row("IBAN check sum", { "Command3", "Text6", "UA793052990000026002661176318", { Saved }, saved, {}, {},
            "Text6: IBAN: неверная контрольная сумма" });
        row("code check digit", { "Command3", "Text4", "32855962", { Saved }, saved, {}, {},
            "Text4: ЄДРПОУ: неверная контрольная цифра" });
        row("bank code not the IBAN's", { "Command2", "Text9", "305299", {}, done, W1234, {},
            "Text9: в IBAN код банка 322313" });
        row("OK 1234.56 warns", { "Command2", "Text2", "1234.56", { BadAmount }, done, W1234 });
        // Refused before anything is written.
        row("OK 1 234,56", { "Command2", "Text2", "1 234,56", { BadAmount }, open });
        row("OK, no firma row", { "Command2", "Text2", "1234,56", { "Реквизиты предприятия не заполнены. Сначала "
            "заполните их: меню «Заполнение», пункт «Реквизиты предприятия»." }, open, {}, "delete from firma" });
        row("OK, firma unreadable", { "Command2", "Text2", "1234,56",
            { "Не удалось прочитать реквизиты предприятия.\n\nОшибка базы данных.\nno such table: firma" }, open, {},
            "drop table firma" });
        row("save needs no requisites", { "Command3", "Text2", "1234,56", { Saved }, saved, {}, "delete from firma" });
        // The engine refuses the insert as with a full disk: its words are shown.
        row("save refused", { "Command3", "Text2", "1234,56",
            { "Поручение не сохранено в архиве.\n\nТаблица не принимает такую запись.\ndatabase or disk is full" }, open,
            {}, "create trigger full before insert on arc begin select raise(abort, 'database or disk is full'); end" });
    }

    // The sample order with one box changed, then the buttons pressed: the
    // messages, the status after each press ("Сохранено" only for a stored
    // order), the rows stored and the sheet filled. A dialog left open keeps
    // its values; put right, a box loses its note.
    void presses()
    {
        QFETCH(Press, c);
        QVERIFY(c.statement.isEmpty() || p->sql(c.statement));
        const QStringList before = p->sheet();
        QStringList t = Sample, trail;
        t[Boxes.indexOf(c.box)] = c.value;
        TestSupport::MessageBoxAnswerer answerer;
        QVERIFY(duringCommand<frmCreate>(p->command("mnuNew"), [&](frmCreate *d) {
            enter(d, t);
            QCOMPARE(notes(d), c.note.isEmpty() ? QStringList() : QStringList{ c.note });
            for (const QString &step : c.steps.split(',')) {
                d->findChild<QPushButton *>(step)->click();
                trail << p->main.statusText() + (d->isVisible() ? "" : " (closed)");
            }
            QVERIFY(d->isHidden() || typed(d) == t);
            enter(d);
            QCOMPARE(notes(d), QStringList());
        }));
        QStringList texts; // their titles and icons: tst_titles
        for (const TestSupport::SeenBox &s : answerer.seen)
            texts << s.text;
        QCOMPARE(texts, c.shown);
        QCOMPARE(trail.join(','), c.status);
        QCOMPARE(p->rows("select * from arc order by rowid"),
                 QList<QStringList>(c.shown.count(Saved), QStringList{ "1" } + t + QStringList{ "05.12.2026" }));
        QCOMPARE(p->sheet(), (c.words.isEmpty() ? before : QStringList{ "1", "вiд 05 грудня 2026 р.", "ПП Вексарон",
            "12345678", "АТ Приватбанк", "305299", "26001234567890" } + t.mid(1, 5) + QStringList{ t[0], c.words, t[6] }));
    }

    // The archive's recipients offered under the name box, the most recent
    // first and each once; none, no list. Enter with nothing picked takes
    // nothing; a pick fills the boxes still empty from the latest order
    // and leaves typed ones. The code box offers by code.
    void recipientDirectory()
    {
        QVERIFY(p->sql("insert into arc values (1, '1,00', 'ТОВ Лан', '32855961', 'АТ Старий', '305299', '26001', 'а', ''),"
                       " (2, '1,00', 'ТОВ Ланка', '14360570', 'АТ Інший', '300465', '26002', 'б', ''),"
                       " (3, '1,00', 'ТОВ Лан', '32855961', 'АТ Новий', '322313', '26003', 'в', ''),"
                       " (4, '1,00', 'ТОВ Берег', '00032129', 'АТ Інший', '300465', '26004', 'г', '')"));
        QStringList seen;
        QVERIFY(duringCommand<frmCreate>(p->command("mnuNew"), [&](frmCreate *d) {
            box(d, "Text9")->setText("380805");
            type(d, "Text3", "лан");
            seen << offered();
            type(d, "Text3", "ж");
            seen << offered();
            QTest::keyClick(box(d, "Text3"), Qt::Key_Backspace);
            key(Qt::Key_Return);
            seen << offered() + typed(d).join("|");
            QTest::keyClick(box(d, "Text3"), Qt::Key_Backspace);
            type(d, "Text3", "н");
            key(Qt::Key_Down);
            key(Qt::Key_Return);
            seen << QApplication::focusWidget()->objectName() + offered() + typed(d).join("|");
            enter(d, { "", "Берег ТОВ", "", "", "", "", "" });
            type(d, "Text4", "0003");
            key(Qt::Key_Down);
            key(Qt::Key_Enter);
            seen << typed(d).join("|");
        }));
        QCOMPARE(seen, (QStringList{ "ТОВ Лан  (32855961);ТОВ Ланка  (14360570)", "", "|лан|||380805||",
                                     "Text3|ТОВ Лан|32855961|АТ Новий|380805|26003|",
                                     "|Берег ТОВ|00032129|АТ Інший|300465|26004|" }));
    }
};

QTEST_MAIN(TstFrmCreate)
#include "tst_frmcreate.moc"
