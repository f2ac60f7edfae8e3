// What helps the accountant type an order, through the real main window on
// a real database file: the notes beside the account, code and bank-code
// boxes (which never stop a save), the bank code taken from the IBAN, the
// recipient directory read from the archive, the copy of an archived order
// and the number proposed after a deletion.

#include "app/MDIForm1.h"
#include "entry/frmCreate.h"
#include "requisites/frmFirma.h"
#include "support/RunningProgram.h"

#include <QAbstractItemView>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

namespace {

const QString ValidIban = "UA213223130000026007233566001";
const QString InvalidIban = "UA793052990000026002661176318";
const QStringList Boxes = { "Text2", "Text3", "Text4", "Text5", "Text9", "Text6", "Text8" };
const QString Saved = "Запис виконано!";

QLineEdit *box(QWidget *d, const QString &name) { return d->findChild<QLineEdit *>(name); }
QString note(QWidget *d, const QString &name)
{
    auto *label = d->findChild<QLabel *>(name + "_note");
    return label && !label->isHidden() ? label->text() : QString();
}
bool marked(QWidget *d, const QString &name) { return box(d, name)->styleSheet().contains("border"); }

QStringList typed(QWidget *d)
{
    QStringList texts;
    for (const QString &name : Boxes.mid(0, 6))
        texts << box(d, name)->text();
    return texts << d->findChild<QPlainTextEdit *>("Text8")->toPlainText();
}

// Types text key by key into a widget (QTest::keyClicks takes Latin-1 only).
void keys(QWidget *w, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void type(QWidget *d, const QString &name, const QString &text)
{
    box(d, name)->setFocus();
    keys(box(d, name), text);
}

// A key as the user presses it: an open list takes the keyboard.
void key(Qt::Key k)
{
    QWidget *target = QApplication::activePopupWidget() ? QApplication::activePopupWidget()
                                                        : QApplication::focusWidget();
    QTest::keyClick(target, k);
}

// The entries of the list open under a box (a window of its own).
QStringList offered(QWidget *, const QString &boxName)
{
    QAbstractItemView *list = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == boxName + "_list")
            list = qobject_cast<QAbstractItemView *>(w);
    QStringList entries;
    if (!list || !list->isVisible())
        return entries;
    for (int r = 0; r < list->model()->rowCount(); ++r)
        entries << list->model()->index(r, 0).data().toString();
    return entries;
}

struct Program : TestSupport::RunningProgram
{
    QList<QStringList> arc() { return rows("select * from arc order by rowid"); }
    void newOrder(const std::function<void(frmCreate *)> &act)
    {
        QVERIFY(TestSupport::duringCommand<frmCreate>(command("mnuNew"), act));
    }
    bool archive(const QString &id, const QString &name, const QString &code, const QString &bank,
                 const QString &bankCode, const QString &account)
    {
        return sql(QString("insert into arc values (%1, '1,00', '%2', '%3', '%4', '%5', '%6', 'Оплата', '01.12.2026')")
                           .arg(id, QString(name).replace("'", "''"), code, bank, bankCode, account));
    }
};

} // namespace

class TstEntryAids : public QObject
{
    Q_OBJECT

    std::unique_ptr<Program> p;

private slots:
    void init()
    {
        p = std::make_unique<Program>();
        QVERIFY(p->folder.isValid() && p->main.MDIForm_Load());
        p->main.show();
    }

    // An invalid IBAN and a wrong code get their notes and marked borders,
    // yet the order is saved byte for byte with the usual message; put
    // right, the notes go.
    void notesNeverStopASave()
    {
        const QStringList order = { "100,00", "ТОВ Лан", "32855962", "АТ Банк", "30529", InvalidIban, "Оплата" };
        TestSupport::MessageBoxAnswerer answerer;
        p->newOrder([&](frmCreate *d) {
            for (int i = 0; i < 6; ++i)
                type(d, Boxes[i], order[i]);
            keys(d->findChild<QPlainTextEdit *>("Text8"), order[6]);
            QCOMPARE(note(d, "Text6"), QString("IBAN: неверная контрольная сумма"));
            QCOMPARE(note(d, "Text4"), QString("ЄДРПОУ: неверная контрольная цифра"));
            QCOMPARE(note(d, "Text9"), QString("код банка должен содержать 6 цифр"));
            QVERIFY(marked(d, "Text6") && marked(d, "Text4") && marked(d, "Text9") && !marked(d, "Text5"));
            d->findChild<QPushButton *>("Command3")->click();
            QCOMPARE(typed(d), order);

            box(d, "Text6")->setText(ValidIban);
            box(d, "Text4")->setText("32855961");
            box(d, "Text9")->setText("322313");
            QCOMPARE(note(d, "Text6") + note(d, "Text4") + note(d, "Text9"), QString());
            QVERIFY(!marked(d, "Text6") && !marked(d, "Text4") && !marked(d, "Text9"));
        });
        QCOMPARE(answerer.single(), "Vexaron|0|1|" + Saved);
        QCOMPARE(p->arc(), (QList<QStringList>{ QStringList{ "1" } + order + QStringList{ QDate::currentDate().toString("dd.MM.yyyy") } }));
    }

    void bankCodeFromIban_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("before"); // the bank code typed first
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("noted");
        QTest::newRow("order, empty") << "frmCreate" << "" << "322313" << "";
        QTest::newRow("order, same code") << "frmCreate" << "322313" << "322313" << "";
        QTest::newRow("order, other code") << "frmCreate" << "305299" << "305299" << "в IBAN код банка 322313";
        QTest::newRow("requisites, empty") << "frmFirma" << "" << "322313" << "";
        QTest::newRow("requisites, other code") << "frmFirma" << "305299" << "305299" << "в IBAN код банка 322313";
    }

    // Typing a valid IBAN fills an empty bank code and never overwrites one;
    // an IBAN still incomplete fills nothing.
    void bankCodeFromIban()
    {
        QFETCH(QString, dialog);
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(QString, noted);
        const bool order = dialog == "frmCreate";
        const QString account = order ? "Text6" : "Text5", bankCode = order ? "Text9" : "Text4";
        QString seen;
        auto act = [&](QDialog *d) {
            box(d, bankCode)->setText(before);
            box(d, account)->clear();
            type(d, account, ValidIban.left(28));
            seen = box(d, bankCode)->text() + "|";
            QTest::keyClick(box(d, account), ValidIban.back().toLatin1());
            seen += box(d, bankCode)->text() + "|" + note(d, bankCode);
        };
        if (order)
            p->newOrder(act);
        else
            QVERIFY(TestSupport::duringCommand<frmFirma>(p->command("mnuFirma"), act));
        QCOMPARE(seen, before + "|" + after + "|" + noted);
    }

    void directoryMatches_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("typed");
        QTest::newRow("Latin i stored, і typed") << "ТОВ Пiвдень" << "півд";
        QTest::newRow("і stored, Latin I typed") << "ФОП Іванов" << "Iван";
        QTest::newRow("Cyrillic case") << "АТ «ЯСЕН»" << "ясен";
        QTest::newRow("Latin case") << "Smart LLC" << "SMART";
        QTest::newRow("ґ and є") << "ТОВ ҐРУНТ-Є" << "ґрунт-є";
        QTest::newRow("’ stored, ' typed") << "Об’єднання" << "об'єд";
        QTest::newRow("' stored, ʼ typed") << "Мар'яна" << "марʼя";
        QTest::newRow("` stored, ’ typed") << "Сім`я" << "сім’я";
        QTest::newRow("in the middle") << "ТОВ Дніпро-Сервіс" << "сервіс";
    }

    // Each spelling finds the other; a text that is nowhere finds nothing.
    void directoryMatches()
    {
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QVERIFY(p->archive("1", stored, "32855961", "АТ Банк", "322313", ValidIban));
        QVERIFY(p->archive("2", "ТОВ Інший", "14360570", "АТ Банк", "322313", ValidIban));
        QStringList seen, none;
        p->newOrder([&](frmCreate *d) {
            type(d, "Text3", typed);
            seen = offered(d, "Text3");
            box(d, "Text3")->clear();
            type(d, "Text3", "жжж");
            none = offered(d, "Text3");
        });
        QCOMPARE(seen, QStringList{ stored + "  (32855961)" });
        QCOMPARE(none, QStringList());
    }

    // Most recent recipient first, one entry each; choosing takes the
    // latest order's values into the empty boxes and leaves typed ones.
    void directoryFillsEmptyBoxes()
    {
        QVERIFY(p->archive("1", "ТОВ Лан", "32855961", "АТ Старий", "305299", "26001"));
        QVERIFY(p->archive("2", "ТОВ Ланка", "14360570", "АТ Інший", "300465", "26002"));
        QVERIFY(p->archive("3", "ТОВ Лан", "32855961", "АТ Новий", "322313", ValidIban));
        QVERIFY(p->archive("4", "ТОВ Берег", "00032129", "АТ Інший", "300465", "26003"));
        QStringList list, filled, byCode;
        p->newOrder([&](frmCreate *d) {
            box(d, "Text9")->setText("380805"); // typed before: stays
            type(d, "Text3", "лан");
            list = offered(d, "Text3");
            key(Qt::Key_Down);
            key(Qt::Key_Return);
            filled = typed(d) << offered(d, "Text3").join(";");
            QCOMPARE(QApplication::focusWidget(), box(d, "Text3"));
        });
        QCOMPARE(list, (QStringList{ "ТОВ Лан  (32855961)", "ТОВ Ланка  (14360570)" }));
        QCOMPARE(filled, (QStringList{ "", "ТОВ Лан", "32855961", "АТ Новий", "380805", ValidIban, "", "" }));

        // The code box offers by code; the name typed stays.
        p->newOrder([&](frmCreate *d) {
            box(d, "Text3")->setText("Берег ТОВ");
            type(d, "Text4", "0003");
            key(Qt::Key_Down);
            key(Qt::Key_Enter);
            byCode = typed(d);
        });
        QCOMPARE(byCode, (QStringList{ "", "Берег ТОВ", "00032129", "АТ Інший", "300465", "26003", "" }));
        QCOMPARE(p->arc().size(), 4); // choosing saves nothing
    }

    // Escape closes the list and not the dialog; Tab goes to the next box
    // and takes nothing; Enter with nothing picked takes nothing.
    void directoryKeys()
    {
        QVERIFY(p->archive("1", "ТОВ Лан", "32855961", "АТ Банк", "322313", ValidIban));
        QStringList seen;
        p->newOrder([&](frmCreate *d) {
            type(d, "Text3", "Лан");
            seen << QString::number(offered(d, "Text3").size());
            key(Qt::Key_Escape);
            seen << QString::number(offered(d, "Text3").size()) << (d->isVisible() ? "open" : "closed");
            QTest::keyClick(box(d, "Text3"), Qt::Key_Backspace);
            seen << QString::number(offered(d, "Text3").size());
            key(Qt::Key_Return);
            seen << QString::number(offered(d, "Text3").size()) << typed(d).join("|");
            QTest::keyClick(box(d, "Text3"), Qt::Key_Backspace);
            key(Qt::Key_Down);
            key(Qt::Key_Tab);
            seen << QApplication::focusWidget()->objectName() << QString::number(offered(d, "Text3").size())
                 << typed(d).join("|");
        });
        QCOMPARE(seen, (QStringList{ "1", "0", "open", "1", "0", "|Ла|||||", "Text4", "0", "|Л|||||" }));
    }

    // After deleting row 5 of 1..6 the number proposed is 7, not 6 again.
    void numberAfterDeletion()
    {
        QVERIFY(p->sql("insert into arc (id) values (1), (2), (3), (4), (5), (6)"));
        QVERIFY(p->sql("delete from arc where id = 5"));
        QString number;
        p->newOrder([&](frmCreate *d) { number = d->findChild<QLabel *>("Text1")->text(); });
        QCOMPARE(number, QString("7"));
    }

    // A copy of an archived order opens the order entry filled in, with a
    // new number and today's date, and saves nothing until "Сохранить".
    void copyOfAnOrder()
    {
        QVERIFY(p->archive("1", "ТОВ Лан", "32855961", "АТ Банк", "322313", ValidIban));
        QVERIFY(p->archive("2", "ТОВ Лан", "32855961", "АТ Банк", "322313", ValidIban));
        OrderRecord archived;
        archived = { "2", "1234,56", "ТОВ Лан", "32855961", "АТ Банк", "322313", ValidIban, "За\nтовар", "01.12.2026" };
        const QString today = QDate::currentDate().toString("dd.MM.yyyy");
        const QList<QStringList> before = p->arc();
        p->main.setStatusText("Готово:");
        for (const bool save : { false, true }) {
            QStringList seen;
            TestSupport::MessageBoxAnswerer answerer;
            auto *watch = TestSupport::whenModal<frmCreate>([&](frmCreate *d) {
                if (!QTest::qWaitForWindowActive(d))
                    qWarning("the order entry did not become active");
                const OrderRecord o = d->order();
                seen << p->main.statusText() << o.id << o.datazap << typed(d);
                QCOMPARE(p->arc(), before);
                d->findChild<QPushButton *>(save ? "Command3" : "Command1")->click();
                if (d->isVisible())
                    d->done(-1);
            });
            p->main.openOrderEntryFrom(archived);
            delete watch;
            QCOMPARE(seen, (QStringList{ "Заполнение", "3", today, "1234,56", "ТОВ Лан", "32855961", "АТ Банк",
                                         "322313", ValidIban, "За\nтовар" }));
            QCOMPARE(answerer.seen.size(), save ? 1 : 0);
        }
        QCOMPARE(p->arc().size(), 3);
        QCOMPARE(p->arc().last(), (QStringList{ "3", "1234,56", "ТОВ Лан", "32855961", "АТ Банк", "322313", ValidIban,
                                                "За\nтовар", today }));
    }
};

QTEST_MAIN(TstEntryAids)
#include "tst_entryaids.moc"
