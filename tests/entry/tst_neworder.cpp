// The "Новый" command of the main window end to end: the menu item and the
// toolbar button open the order-entry dialog modally, and what the user does
// there shows in the status bar, the document window and the archive.

#include "EntryFixture.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <functional>

using namespace EntryFixture;
using Sheet::Field;
using TestSupport::MessageBoxAnswerer;

namespace {

const QString MissingValue = QStringLiteral("Пропущено значение");
const QString BadAmount = QStringLiteral("Не верно введена сумма");
const QString Saved = QStringLiteral("Запис виконано!");

// What the test saw while the dialog was open.
struct Seen
{
    bool opened = false;
    bool modal = false;
    QStringList status;   // the status text after each step
    QStringList number;   // Text1 at each step
    QList<QStringList> boxes;
    QList<bool> open;     // the dialog still shown after each step
    QString date;
};

} // namespace

class TstNewOrder : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Program> program;

    QAction *menuNew() { return program->main->findChild<QAction *>(QStringLiteral("mnuNew")); }
    QAction *toolbarNew()
    {
        return program->main->findChild<QAction *>(QStringLiteral("Toolbar1_Button1"));
    }

    // Runs "Новый" through command and lets act work the dialog while it is
    // open. A dialog left open is closed after a while so that a failing
    // test cannot hang.
    void run(QAction *command, Seen &seen, const std::function<void(frmCreate *, Seen &)> &act)
    {
        auto *watch = TestSupport::whenModal<frmCreate>([&](frmCreate *d) {
            seen.opened = true;
            seen.modal = d->isModal() && d->parentWidget() == program->main.get();
            seen.date = d->order().datazap;
            act(d, seen);
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, this, [] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *d = qobject_cast<frmCreate *>(w); d && d->isVisible())
                    d->reject();
        });
        watchdog.start(30000);
        QVERIFY(command);
        command->trigger();
        delete watch;
        QVERIFY(seen.opened);
        QVERIFY(seen.modal);
        for (QWidget *w : QApplication::topLevelWidgets())
            QVERIFY(!(qobject_cast<frmCreate *>(w) && w->isVisible()));
    }

    static void step(frmCreate *d, Seen &seen, const Program &p)
    {
        seen.status << p.main->statusText();
        seen.number << control<QLabel>(d, "Text1")->text();
        seen.boxes << boxTexts(d);
        seen.open << d->isVisible();
    }

private slots:
    void init()
    {
        program = std::make_unique<Program>();
        QVERIFY(program->load());
        program->main->show();
        program->main->showDocumentWindow();
        QVERIFY(program->setRequisites(sampleRequisites()));
    }
    void cleanup() { program.reset(); }

    void saveThenOk();
    void okAloneFromToolbar();
    void cancel();
    void lockedSave();
};

void TstNewOrder::saveThenOk()
{
    Program &p = *program;
    OrderRecord o = sampleOrder();
    o.suma = QStringLiteral("1234.56");
    o.datazap = QStringLiteral("05.12.2026");
    MessageBoxAnswerer answerer;
    Seen seen;
    run(menuNew(), seen, [&](frmCreate *d, Seen &s) {
        step(d, s, p); // as opened
        enter(d, o);
        box(d, "Text4")->clear();
        button(d, "Command2")->click(); // refused: a box is empty
        step(d, s, p);
        box(d, "Text4")->setText(o.idoderz);
        button(d, "Command3")->click(); // warned, saved
        step(d, s, p);
        button(d, "Command2")->click(); // warned, filled, closed
        step(d, s, p);
    });

    QCOMPARE(seen.status, (QStringList{ "Заполнение", "Заполнение", "Сохранено", "Готово:" }));
    QCOMPARE(seen.number, (QStringList{ "1", "1", "1", "1" }));
    QCOMPARE(seen.boxes.first(), QStringList(7, QString()));
    QCOMPARE(seen.date, QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
    QCOMPARE(seen.open, (QList<bool>{ true, true, true, false }));

    QCOMPARE(texts(answerer.seen), (QStringList{ MissingValue, BadAmount, Saved, BadAmount }));
    verifyInputError(answerer.seen.at(0), MissingValue);
    verifyInputError(answerer.seen.at(1), BadAmount);
    QCOMPARE(answerer.seen.at(2).title, QStringLiteral("Vexaron"));
    QCOMPARE(answerer.seen.at(2).icon, QMessageBox::NoIcon);
    QCOMPARE(answerer.seen.at(2).buttons.size(), 1);
    verifyInputError(answerer.seen.at(3), BadAmount);

    QCOMPARE(p.main->statusText(), QStringLiteral("Готово:"));
    const SheetFields f = p.fields();
    QCOMPARE(f.text(Field::OrderNumber), QStringLiteral("1"));
    QCOMPARE(f.text(Field::AmountInFigures), QStringLiteral("1234.56"));
    QCOMPARE(f.text(Field::AmountInWords),
             QStringLiteral("(одна тисяча двiстi тридцять чотири гр. 56 коп.)"));
    QCOMPARE(f.text(Field::DateLine), QStringLiteral("вiд 05 грудня 2026 р."));
    QCOMPARE(f.text(Field::PayerName), sampleRequisites().firma);
    QCOMPARE(f.text(Field::RecipientCode), o.idoderz);

    const QStringList row = { "1", o.suma, o.oderz, o.idoderz, o.bank, o.idbank, o.kredit,
                              o.oznaka, o.datazap };
    QCOMPARE(p.arcRows(), QList<QStringList>{ row });

    // The next opening is a fresh dialog with the archive recounted.
    Seen next;
    run(toolbarNew(), next, [&](frmCreate *d, Seen &s) {
        step(d, s, p);
        button(d, "Command1")->click();
    });
    QCOMPARE(next.number, QStringList{ "2" });
    QCOMPARE(next.boxes.first(), QStringList(7, QString()));
    QCOMPARE(next.status, QStringList{ "Заполнение" });
    QCOMPARE(p.main->statusText(), QStringLiteral("Отмена"));
}

void TstNewOrder::okAloneFromToolbar()
{
    Program &p = *program;
    QVERIFY(p.sql(QStringLiteral("insert into arc values (4, '1,00', 'a', 'b', 'c', 'd', 'e', 'f', "
                                 "'01.01.2026')")));
    const OrderRecord o = sampleOrder();
    MessageBoxAnswerer answerer;
    Seen seen;
    run(toolbarNew(), seen, [&](frmCreate *d, Seen &s) {
        step(d, s, p);
        enter(d, o);
        button(d, "Command2")->click();
    });
    QCOMPARE(seen.status, QStringList{ "Заполнение" });
    QVERIFY(answerer.seen.isEmpty());
    QCOMPARE(p.main->statusText(), QStringLiteral("Готово:"));
    const SheetFields f = p.fields();
    QCOMPARE(f.text(Field::OrderNumber), QStringLiteral("2"));
    QCOMPARE(f.text(Field::RecipientName), o.oderz);
    QCOMPARE(f.text(Field::DateLine), QStringLiteral("вiд 07 березня 2026 р."));
    QCOMPARE(p.arcCount(), 1); // filling stores nothing
}

void TstNewOrder::cancel()
{
    Program &p = *program;
    const SheetFields before = p.fields();
    MessageBoxAnswerer answerer;
    Seen seen;
    run(menuNew(), seen, [&](frmCreate *d, Seen &s) {
        enter(d, sampleOrder());
        button(d, "Command1")->click();
        step(d, s, p);
    });
    QCOMPARE(seen.status, QStringList{ "Отмена" });
    QCOMPARE(seen.boxes.first(), QStringList(7, QString()));
    QVERIFY(answerer.seen.isEmpty());
    QCOMPARE(p.fields(), before);
    QCOMPARE(p.arcCount(), 0);

    // Closed by its title bar: nothing saved, the status left as it was.
    Seen closed;
    run(menuNew(), closed, [&](frmCreate *d, Seen &s) {
        enter(d, sampleOrder());
        d->close();
        step(d, s, p);
    });
    QCOMPARE(closed.status, QStringList{ "Заполнение" });
    QCOMPARE(p.main->statusText(), QStringLiteral("Заполнение"));
    QCOMPARE(p.fields(), before);
    QCOMPARE(p.arcCount(), 0);
}

void TstNewOrder::lockedSave()
{
    // Another program holds the file locked longer than the engine waits:
    // the save is refused with the engine's words and nothing is claimed.
    Program &p = *program;
    const OrderRecord o = sampleOrder();
    MessageBoxAnswerer answerer;
    Seen seen;
    bool locked = false;
    qint64 waited = 0;
    QString lockerError;
    run(menuNew(), seen, [&](frmCreate *d, Seen &s) {
        enter(d, o);
        {
            QSqlDatabase locker = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                            QStringLiteral("locker"));
            locker.setDatabaseName(p.db());
            QSqlQuery q(locker);
            locked = locker.open() && q.exec(QStringLiteral("BEGIN EXCLUSIVE"));
            lockerError = q.lastError().text();
            QElapsedTimer timer;
            timer.start();
            button(d, "Command3")->click();
            waited = timer.elapsed();
            step(d, s, p);
            q.exec(QStringLiteral("ROLLBACK"));
            q.finish();
            locker.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("locker"));
        button(d, "Command3")->click(); // the lock is gone: the same values save
        step(d, s, p);
        button(d, "Command1")->click();
    });
    QVERIFY2(locked, qPrintable(lockerError));
    QVERIFY2(waited >= Database::BusyTimeoutMs - 500, qPrintable(QString::number(waited)));

    QCOMPARE(answerer.seen.size(), 2);
    const TestSupport::SeenBox &refused = answerer.seen.first();
    QCOMPARE(refused.title, QStringLiteral("Vexaron"));
    QCOMPARE(refused.icon, QMessageBox::Critical);
    QCOMPARE(refused.buttons.size(), 1);
    QCOMPARE(refused.text, QStringLiteral("Поручение не сохранено в архиве.\n\ndatabase is locked"));
    QCOMPARE(answerer.seen.last().text, Saved);

    const QStringList typed = { o.suma, o.oderz, o.idoderz, o.bank, o.idbank, o.kredit, o.oznaka };
    QCOMPARE(seen.status, (QStringList{ "Заполнение", "Сохранено" }));
    QCOMPARE(seen.open, (QList<bool>{ true, true }));
    QCOMPARE(seen.boxes.first(), typed);
    QCOMPARE(seen.number, (QStringList{ "1", "1" }));
    QCOMPARE(p.arcCount(), 1);
    QCOMPARE(p.main->statusText(), QStringLiteral("Отмена"));
}

QTEST_MAIN(TstNewOrder)
#include "tst_neworder.moc"
