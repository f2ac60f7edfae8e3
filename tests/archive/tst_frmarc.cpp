// The archive dialog on a real database file: the list, choosing a line,
// reprinting into the document window and deleting.

#include "ArchiveFixture.h"

#include "archive/ArcModel.h"
#include "archive/frmArc.h"
#include "document/SheetFonts.h"

#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include <memory>

using Sheet::Field;

namespace {

const Field OrderFields[] = { Field::OrderNumber,   Field::AmountInFigures,   Field::RecipientName,
                              Field::RecipientCode, Field::RecipientBank,     Field::RecipientBankCode,
                              Field::CreditAccount, Field::Purpose,           Field::DateLine,
                              Field::AmountInWords };
const Field PayerFields[] = { Field::PayerName, Field::PayerCode, Field::PayerBank, Field::PayerBankCode,
                              Field::DebitAccount };

struct Fixture
{
    TestSupport::ProgramFolder folder;
    Database db;
    TestHost host;
    std::unique_ptr<frmArc> dialog;

    bool open()
    {
        if (!folder.isValid() || !db.open(folder.databasePath()))
            return false;
        dialog = std::make_unique<frmArc>(db, host, &host.window);
        return true;
    }
    QString path() const { return folder.databasePath(); }

    // What the "Архив" command does, with action run while the dialog is up.
    bool openArchive(const std::function<void()> &action, bool *leftOpen = nullptr)
    {
        host.setStatusText(QStringLiteral("Архив"));
        return TestSupport::whileOpen<frmArc>(
                dialog.get(),
                [this] {
                    dialog->Form_Load();
                    dialog->exec();
                },
                action, leftOpen);
    }

    QTableView *list() const { return dialog->findChild<QTableView *>(QStringLiteral("ListView1")); }
    QPushButton *button(const char *name) const
    {
        return dialog->findChild<QPushButton *>(QString::fromLatin1(name));
    }
    int lines() const { return dialog->model()->rowCount(); }
    QString cell(int row, int column) const { return dialog->model()->text(row, column); }

    // Marks every document field so that a field left alone can be told.
    void markDocument()
    {
        SheetFields marked;
        for (int f = 0; f < Sheet::FieldCount; ++f)
            marked.setText(Field(f), QStringLiteral("old %1").arg(f));
        host.documentWindow()->setFields(marked);
    }
    QString field(Field f) { return host.documentWindow()->field(f); }
    QString old(Field f) const { return QStringLiteral("old %1").arg(int(f)); }

    bool setFirma(const QString &name)
    {
        return TestSupport::execSql(path(), QStringLiteral("update firma set firma='%1', kodfirma='12345678', "
                                                           "bank='ПАТ Банк', kodbank='300001', "
                                                           "rsbank='26001000000001'")
                                                    .arg(name));
    }
    QStringList ids()
    {
        QStringList result;
        for (const QStringList &row : TestSupport::queryRows(path(), QStringLiteral("select id from arc order by rowid")))
            result << row.value(0);
        return result;
    }
};

} // namespace

class TstFrmArc : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void layout_data();
    void layout();
    void columns();
    void tabOrderAndFocus();
    void emptyArchive();
    void linesInStoredOrder();
    void choosingByKeyboard();
    void selectedIdOutlivesTheWindow();
    void doubleClick_data();
    void doubleClick();
    void escapeAndCloseBox();
    void reprintFillsEveryField();
    void reprintShowsStoredValuesUnchecked_data();
    void reprintShowsStoredValuesUnchecked();
    void reprintWithoutChoice();
    void reprintAfterDeletion();
    void sharedNumberDeleteKeepsTheOther();
    void sharedNumberReprintShowsTheChosen();
    void deleteTwiceAndDeleteLast();
    void failedDeleteIsReported();
    void fortyThousandOrders();
};

void TstFrmArc::initTestCase()
{
    QVERIFY(SheetFonts::registerFonts());
}

void TstFrmArc::cleanup()
{
    QVERIFY(!QApplication::activeModalWidget());
}

void TstFrmArc::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");

    QTest::newRow("ListView1") << "ListView1" << "" << QRect(90, 180, 7035, 4290);
    QTest::newRow("Command3") << "Command3" << "Удалить" << QRect(3195, 4905, 1185, 375);
    QTest::newRow("Command2") << "Command2" << "OK" << QRect(4590, 4905, 1185, 375);
    QTest::newRow("Command1") << "Command1" << "Отмена" << QRect(5850, 4905, 1185, 375);
}

void TstFrmArc::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);

    Fixture f;
    QVERIFY(f.open());
    frmArc &d = *f.dialog;
    QCOMPARE(d.objectName(), QStringLiteral("frmArc"));
    QCOMPARE(d.windowTitle(), QStringLiteral(" Архив"));
    QCOMPARE(d.size(), QSize(481, 362));
    QCOMPARE(d.minimumSize(), d.maximumSize());
    QVERIFY(!(d.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(d.windowFlags() & Qt::WindowMaximizeButtonHint));

    QWidget *w = d.findChild<QWidget *>(name);
    QVERIFY(w);
    QCOMPARE(w->geometry(), QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
    if (auto *b = qobject_cast<QPushButton *>(w)) {
        QCOMPARE(b->text(), caption);
        QVERIFY(!b->isDefault());
        QVERIFY(!b->autoDefault());
    }
}

void TstFrmArc::columns()
{
    Fixture f;
    QVERIFY(f.open());
    OtherConnection other(f.path());
    QVERIFY(other.insertOrders({ order(1), order(2) }));

    const QStringList headers = { "Доручення",  "Сума",   "Одержувач", "Рах. Одержувача", "Банк",
                                  "Рах. Банку", "Кредiт", "Ознака",    "Дата Заповнення" };
    QVERIFY(QString(headers[6]).contains(QLatin1Char('i'))); // the Latin letter
    QVERIFY(f.openArchive([&] {
        QTableView *view = f.list();
        QCOMPARE(view->model()->columnCount(), 9);
        for (int c = 0; c < 9; ++c) {
            QCOMPARE(view->model()->headerData(c, Qt::Horizontal).toString(), headers[c]);
            QCOMPARE(view->columnWidth(c), 96);
            const int align = view->model()->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).toInt();
            QCOMPARE(align & Qt::AlignHorizontal_Mask, int(Qt::AlignLeft));
            QCOMPARE(view->model()->index(0, c).data(Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask,
                     int(Qt::AlignLeft));
        }
        QVERIFY(view->horizontalHeader()->isVisible());
        QVERIFY(!view->verticalHeader()->isVisible());
        QCOMPARE(view->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(view->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(view->editTriggers(), QAbstractItemView::NoEditTriggers);

        // Four columns fit wholly; the rest are reached by scrolling sideways.
        const int width = view->viewport()->width();
        QVERIFY(view->columnViewportPosition(3) + view->columnWidth(3) <= width);
        QVERIFY(view->columnViewportPosition(4) + view->columnWidth(4) > width);
        QVERIFY(view->horizontalScrollBar()->maximum() > 0);
        view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->maximum());
        QVERIFY(view->columnViewportPosition(8) + view->columnWidth(8) <= width);

        // A column the user widened comes back at its width on the next opening.
        view->setColumnWidth(0, 200);
        f.button("Command1")->click();
    }));
    QVERIFY(f.openArchive([&] {
        QCOMPARE(f.list()->columnWidth(0), 96);
        QCOMPARE(f.list()->horizontalScrollBar()->value(), 0);
        f.button("Command1")->click();
    }));
}

void TstFrmArc::tabOrderAndFocus()
{
    Fixture f;
    QVERIFY(f.open());
    QVERIFY(f.openArchive([&] {
        QCOMPARE(QApplication::focusWidget(), f.button("Command1"));
        const QList<QWidget *> expected = { f.button("Command2"), f.list(), f.button("Command3"),
                                            f.button("Command1") };
        for (QWidget *next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        f.button("Command1")->click();
    }));
    // Focus is on "Отмена" again at the next opening, wherever it was left.
    QVERIFY(f.openArchive([&] {
        QCOMPARE(QApplication::focusWidget(), f.button("Command1"));
        f.list()->setFocus();
        f.button("Command1")->click();
    }));
    QVERIFY(f.openArchive([&] {
        QCOMPARE(QApplication::focusWidget(), f.button("Command1"));
        f.button("Command1")->click();
    }));
}

void TstFrmArc::emptyArchive()
{
    Fixture f;
    QVERIFY(f.open());
    QVERIFY(f.setFirma("ТОВ Вексарон"));
    f.markDocument();
    TestSupport::MessageBoxAnswerer boxes;
    QVERIFY(f.openArchive([&] {
        QCOMPARE(f.lines(), 0);
        QVERIFY(f.list()->horizontalHeader()->isVisible());
        QVERIFY(f.button("Command2")->isEnabled());
        QVERIFY(f.button("Command3")->isEnabled());
        QCOMPARE(f.dialog->selectedId(), 0);
        f.button("Command3")->click(); // "delete from arc where id=0": nothing, and no complaint
        QCOMPARE(f.host.status, QStringLiteral("Удалено"));
        QVERIFY(f.dialog->isVisible());
        f.button("Command2")->click();
    }));
    QVERIFY(f.dialog->isHidden());
    QCOMPARE(f.host.status, QStringLiteral("Готово:"));
    for (Field field : OrderFields)
        QCOMPARE(f.field(field), f.old(field));
    QCOMPARE(f.field(Field::PayerName), QStringLiteral("ТОВ Вексарон"));
    QCOMPARE(f.field(Field::DebitAccount), QStringLiteral("26001000000001"));
    QVERIFY(boxes.seen.isEmpty());
}

void TstFrmArc::linesInStoredOrder()
{
    Fixture f;
    QVERIFY(f.open());
    OtherConnection other(f.path());
    OrderRecord third = order(3, "0,50", "ТОВ \"Зоря\" і 'Ранок'");
    third.oznaka = "рядок 1\nрядок 2";
    QVERIFY(other.insertOrders({ order(1), order(2), third }));
    // A row written by another program, with a NULL and a text id.
    QVERIFY(other.exec("insert into arc values ('x7', NULL, 'чужий', '', '', '', '', '', '')"));

    QVERIFY(f.openArchive([&] {
        QCOMPARE(f.lines(), 4);
        QCOMPARE(f.cell(0, 0), QStringLiteral("1"));
        QCOMPARE(f.cell(1, 0), QStringLiteral("2"));
        QCOMPARE(f.cell(2, 0), QStringLiteral("3"));
        const QStringList expected = { "3", "0,50", third.oderz, third.idoderz, third.bank,
                                       third.idbank, third.kredit, third.oznaka, third.datazap };
        for (int c = 0; c < 9; ++c)
            QCOMPARE(f.list()->model()->index(2, c).data().toString(), expected[c]);
        QCOMPARE(f.cell(3, 0), QStringLiteral("x7"));
        QCOMPARE(f.cell(3, 1), QString());
        QCOMPARE(f.cell(3, 2), QStringLiteral("чужий"));

        QVERIFY(!f.list()->selectionModel()->hasSelection()); // nothing chosen on opening
        clickLine(f.list(), 1);
        QCOMPARE(f.dialog->selectedId(), 2);
        QCOMPARE(f.host.status, QStringLiteral("Архив")); // choosing writes no status
        // A text id has no number: the statements then touch no row at
        // all, least of all another one numbered 0.
        QVERIFY(other.exec("insert into arc (id, oderz) values (0, 'нуль')"));
        clickLine(f.list(), 3);
        QCOMPARE(f.dialog->selectedId(), 0);
        f.button("Command3")->click();
        QCOMPARE(f.lines(), 5);
        f.button("Command1")->click();
    }));
    QCOMPARE(f.ids(), QStringList({ "1", "2", "3", "x7", "0" }));
}

void TstFrmArc::choosingByKeyboard()
{
    Fixture f;
    QVERIFY(f.open());
    OtherConnection other(f.path());
    QVERIFY(other.insertOrders({ order(1), order(2), order(3) }));
    QVERIFY(f.openArchive([&] {
        // Tabbing into the list chooses nothing.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), f.list());
        QCOMPARE(f.dialog->selectedId(), 0);
        clickLine(f.list(), 0);
        QCOMPARE(f.dialog->selectedId(), 1);
        QTest::keyClick(f.list(), Qt::Key_Down);
        QTest::keyClick(f.list(), Qt::Key_Down);
        QCOMPARE(f.dialog->selectedId(), 3);
        QCOMPARE(f.list()->selectionModel()->selectedRows().size(), 1);
        // Enter is no shortcut for a button.
        QTest::keyClick(f.list(), Qt::Key_Return);
        QVERIFY(f.dialog->isVisible());
        f.button("Command1")->click();
    }));
    QCOMPARE(f.dialog->selectedId(), 3);
}

void TstFrmArc::selectedIdOutlivesTheWindow()
{
    Fixture f;
    QVERIFY(f.open());
    OtherConnection other(f.path());
    QVERIFY(other.insertOrders({ order(1), order(2), order(3) }));

    QVERIFY(f.openArchive([&] {
        clickLine(f.list(), 1);
        f.button("Command1")->click();
    }));
    QCOMPARE(f.host.status, QStringLiteral("Отмена"));
    QCOMPARE(f.dialog->selectedId(), 2);

    bool leftOpen = true;
    QVERIFY(f.openArchive(
            [&] {
                QVERIFY(!f.list()->selectionModel()->hasSelection());
                f.button("Command3")->click();
                QCOMPARE(f.host.status, QStringLiteral("Удалено"));
                QVERIFY(f.dialog->isVisible());
                QCOMPARE(f.lines(), 2);
                QCOMPARE(f.cell(0, 0), QStringLiteral("1"));
                QCOMPARE(f.cell(1, 0), QStringLiteral("3"));
                QVERIFY(!f.list()->selectionModel()->hasSelection());
                QCOMPARE(f.dialog->selectedId(), 2); // still the deleted number
                f.button("Command1")->click();
            },
            &leftOpen));
    QVERIFY(!leftOpen);
    QCOMPARE(f.host.status, QStringLiteral("Отмена")); // also after "Удалено"
    QCOMPARE(f.ids(), QStringList({ "1", "3" }));
}

void TstFrmArc::doubleClick_data()
{
    QTest::addColumn<int>("chosenBefore"); // line chosen at the earlier opening, -1 for none
    QTest::addColumn<bool>("onLine");      // double-click on line 2, else below the last line
    QTest::addColumn<QString>("shown");    // order number the document shows afterwards

    QTest::newRow("on a line") << -1 << true << "3";
    QTest::newRow("below the lines") << 0 << false << "2";
    QTest::newRow("below the lines, nothing chosen") << -1 << false << "old 0";
}

void TstFrmArc::doubleClick()
{
    QFETCH(int, chosenBefore);
    QFETCH(bool, onLine);
    QFETCH(QString, shown);

    Fixture f;
    QVERIFY(f.open());
    OtherConnection other(f.path());
    QVERIFY(other.insertOrders({ order(2), order(4), order(3) }));
    f.markDocument();
    if (chosenBefore >= 0)
        QVERIFY(f.openArchive([&] {
            clickLine(f.list(), chosenBefore);
            f.button("Command1")->click();
        }));

    bool leftOpen = true;
    QVERIFY(f.openArchive(
            [&] {
                QTableView *view = f.list();
                QPoint at;
                if (onLine) {
                    at = view->visualRect(view->model()->index(2, 1)).center();
                } else {
                    const QRect last = view->visualRect(view->model()->index(2, 0));
                    at = QPoint(last.center().x(), last.bottom() + 40);
                    QVERIFY(at.y() < view->viewport()->height());
                    QVERIFY(!view->indexAt(at).isValid());
                }
                QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
            },
            &leftOpen));
    QVERIFY(!leftOpen);
    QCOMPARE(f.field(Field::OrderNumber), shown);
    QCOMPARE(f.host.status, QStringLiteral("Готово:"));
}

void TstFrmArc::escapeAndCloseBox()
{
    Fixture f;
    QVERIFY(f.open());
    OtherConnection other(f.path());
    QVERIFY(other.insertOrders({ order(5) }));
    bool leftOpen = true;
    QVERIFY(f.openArchive(
            [&] {
                clickLine(f.list(), 0);
                QTest::keyClick(f.dialog.get(), Qt::Key_Escape);
                QVERIFY(f.dialog->isVisible()); // no cancel button
                f.dialog->close();              // the title bar's close box
            },
            &leftOpen));
    QVERIFY(!leftOpen);
    QCOMPARE(f.host.status, QStringLiteral("Архив")); // closing so writes no status
    QCOMPARE(f.dialog->selectedId(), 5);
}

void TstFrmArc::reprintFillsEveryField()
{
    Fixture f;
    QVERIFY(f.open());
    QVERIFY(f.setFirma("ТОВ \"Вексарон\""));
    OtherConnection other(f.path());
    OrderRecord seven { "7", "1234,56", "ПП Сонях", "22334455", "АТ Приватбанк", "305299", "26009876543210",
                        "Оплата за товар\nзгiдно рахунку 15", "07.03.2026" };
    QVERIFY(other.insertOrders({ order(6), seven, order(8) }));
    f.markDocument();

    bool leftOpen = true;
    QVERIFY(f.openArchive(
            [&] {
                clickLine(f.list(), 1);
                QCOMPARE(f.dialog->selectedId(), 7);
                f.button("Command2")->click();
            },
            &leftOpen));
    QVERIFY(!leftOpen);
    QCOMPARE(f.host.status, QStringLiteral("Готово:"));
    QCOMPARE(f.field(Field::OrderNumber), QStringLiteral("7"));
    QCOMPARE(f.field(Field::AmountInFigures), QStringLiteral("1234,56"));
    QCOMPARE(f.field(Field::RecipientName), seven.oderz);
    QCOMPARE(f.field(Field::RecipientCode), seven.idoderz);
    QCOMPARE(f.field(Field::RecipientBank), seven.bank);
    QCOMPARE(f.field(Field::RecipientBankCode), seven.idbank);
    QCOMPARE(f.field(Field::CreditAccount), seven.kredit);
    QCOMPARE(f.field(Field::Purpose), seven.oznaka);
    QCOMPARE(f.field(Field::DateLine), QStringLiteral("вiд 07 березня 2026 р."));
    QCOMPARE(f.field(Field::AmountInWords), QStringLiteral("(одна тисяча двiстi тридцять чотири гр. 56 коп.)"));
    QCOMPARE(f.field(Field::PayerName), QStringLiteral("ТОВ \"Вексарон\""));
    QCOMPARE(f.field(Field::PayerCode), QStringLiteral("12345678"));
    QCOMPARE(f.field(Field::PayerBank), QStringLiteral("ПАТ Банк"));
    QCOMPARE(f.field(Field::PayerBankCode), QStringLiteral("300001"));
    QCOMPARE(f.field(Field::DebitAccount), QStringLiteral("26001000000001"));
    // Reprinting changes no data.
    QCOMPARE(f.ids(), QStringList({ "6", "7", "8" }));
    QCOMPARE(f.dialog->selectedId(), 7);
}

void TstFrmArc::reprintShowsStoredValuesUnchecked_data()
{
    QTest::addColumn<QString>("insert"); // the values of the row with id 9
    QTest::addColumn<QStringList>("expected"); // number, figures, name, date line, words; "old" = kept

    QTest::newRow("no comma")
            << "9, '100', 'a', '', '', '', '', '', '05.12.2026'"
            << QStringList { "9", "100", "a", "вiд 05 грудня 2026 р.", "( гр. 00 коп.)" };
    QTest::newRow("point for the comma")
            << "9, '1234.56', 'a', '', '', '', '', '', '05.12.2026'"
            << QStringList { "9", "1234.56", "a", "вiд 05 грудня 2026 р.",
                             "(одна тисяча двiстi тридцять чотири гр. 56 коп.)" };
    QTest::newRow("amount of two characters")
            << "9, '56', 'a', '', '', '', '', '', '05.12.2026'"
            << QStringList { "9", "56", "a", "вiд 05 грудня 2026 р.", "old" };
    QTest::newRow("empty amount")
            << "9, '', 'a', '', '', '', '', '', '05.12.2026'"
            << QStringList { "9", "", "a", "вiд 05 грудня 2026 р.", "old" };
    QTest::newRow("NULL recipient and date")
            << "9, '3,00', NULL, '', '', '', '', '', NULL"
            << QStringList { "9", "3,00", "old", "old", "(три гр. 00 коп.)" };
    QTest::newRow("NULL amount")
            << "9, NULL, 'a', '', '', '', '', '', '05.12.2026'"
            << QStringList { "9", "old", "a", "вiд 05 грудня 2026 р.", "old" };
    QTest::newRow("short date")
            << "9, '1,00', 'a', '', '', '', '', '', '5.1.26'"
            << QStringList { "9", "1,00", "a", "вiд 5.  2026 р.", "(одна гр. 00 коп.)" };
}

void TstFrmArc::reprintShowsStoredValuesUnchecked()
{
    QFETCH(QString, insert);
    QFETCH(QStringList, expected);

    Fixture f;
    QVERIFY(f.open());
    QVERIFY(f.setFirma("Платник"));
    OtherConnection other(f.path());
    QVERIFY2(other.exec("insert into arc values (" + insert + ")"), qPrintable(other.lastError));
    f.markDocument();
    TestSupport::MessageBoxAnswerer boxes;
    QVERIFY(f.openArchive([&] {
        clickLine(f.list(), 0);
        f.button("Command2")->click();
    }));
    const Field checked[] = { Field::OrderNumber, Field::AmountInFigures, Field::RecipientName, Field::DateLine,
                              Field::AmountInWords };
    for (int k = 0; k < 5; ++k) {
        const QString want = expected[k] == QLatin1String("old") ? f.old(checked[k]) : expected[k];
        QCOMPARE(f.field(checked[k]), want);
    }
    QCOMPARE(f.field(Field::RecipientBank), QString()); // the other fields are still written
    QCOMPARE(f.field(Field::PayerName), QStringLiteral("Платник"));
    QCOMPARE(f.host.status, QStringLiteral("Готово:"));
    QVERIFY(boxes.seen.isEmpty()); // no checks, no messages
}

void TstFrmArc::reprintWithoutChoice()
{
    Fixture f;
    QVERIFY(f.open());
    QVERIFY(f.setFirma("Новий платник"));
    OtherConnection other(f.path());
    QVERIFY(other.insertOrders({ order(1), order(2) }));
    f.markDocument();
    QVERIFY(f.openArchive([&] { f.button("Command2")->click(); }));
    for (Field field : OrderFields)
        QCOMPARE(f.field(field), f.old(field));
    QCOMPARE(f.field(Field::PayerName), QStringLiteral("Новий платник"));
    QCOMPARE(f.field(Field::PayerCode), QStringLiteral("12345678"));
    QCOMPARE(f.host.status, QStringLiteral("Готово:"));
    QVERIFY(f.dialog->isHidden());
}

void TstFrmArc::reprintAfterDeletion()
{
    Fixture f;
    QVERIFY(f.open());
    OtherConnection other(f.path());
    QVERIFY(other.insertOrders({ order(1), order(2) }));
    f.markDocument();
    QVERIFY(f.openArchive([&] {
        clickLine(f.list(), 1);
        f.button("Command3")->click();
        QCOMPARE(f.lines(), 1);
        f.button("Command2")->click(); // acts on the deleted order: no row
    }));
    for (Field field : OrderFields)
        QCOMPARE(f.field(field), f.old(field));
    QCOMPARE(f.field(Field::PayerName), QString()); // the delivered blank requisites
    QCOMPARE(f.host.status, QStringLiteral("Готово:"));
}

void TstFrmArc::sharedNumberDeleteKeepsTheOther()
{
    Fixture f;
    QVERIFY(f.open());
    OtherConnection other(f.path());
    // Orders 1, 2, 3; 2 deleted; the next new order is numbered 3 again.
    QVERIFY(other.insertOrders({ order(1), order(2), order(3, "3,00", "перший три") }));
    QVERIFY(other.exec("delete from arc where id=2"));
    QVERIFY(other.insertOrders({ order(3, "4,00", "другий три") }));

    QVERIFY(f.openArchive([&] {
        QCOMPARE(f.lines(), 3);
        clickLine(f.list(), 1); // the first order numbered 3
        QCOMPARE(f.dialog->selectedId(), 3);
        f.button("Command3")->click();
        QCOMPARE(f.lines(), 2);
        QCOMPARE(f.cell(1, 0), QStringLiteral("3"));
        QCOMPARE(f.cell(1, 2), QStringLiteral("другий три"));
        f.button("Command1")->click();
    }));
    const QList<QStringList> rows = TestSupport::queryRows(f.path(), "select id, oderz from arc order by rowid");
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[1], QStringList({ "3", "другий три" }));
}

void TstFrmArc::sharedNumberReprintShowsTheChosen()
{
    Fixture f;
    QVERIFY(f.open());
    OtherConnection other(f.path());
    QVERIFY(other.insertOrders({ order(5, "5,00", "перший п'ять"), order(5, "6,00", "другий п'ять") }));
    for (int line : { 1, 0 }) {
        QVERIFY(f.openArchive([&] {
            clickLine(f.list(), line);
            f.button("Command2")->click();
        }));
        QCOMPARE(f.field(Field::OrderNumber), QStringLiteral("5"));
        QCOMPARE(f.field(Field::RecipientName), line == 1 ? QStringLiteral("другий п'ять") : QStringLiteral("перший п'ять"));
        QCOMPARE(f.field(Field::AmountInFigures), line == 1 ? QStringLiteral("6,00") : QStringLiteral("5,00"));
    }
    // The chosen row outlives the window too.
    QVERIFY(f.openArchive([&] { f.button("Command2")->click(); }));
    QCOMPARE(f.field(Field::RecipientName), QStringLiteral("перший п'ять"));
}

void TstFrmArc::deleteTwiceAndDeleteLast()
{
    Fixture f;
    QVERIFY(f.open());
    OtherConnection other(f.path());
    QVERIFY(other.insertOrders({ order(1) }));
    QVERIFY(f.openArchive([&] {
        clickLine(f.list(), 0);
        f.button("Command3")->click();
        QCOMPARE(f.lines(), 0);
        QCOMPARE(f.host.status, QStringLiteral("Удалено"));
        // A new row from elsewhere shows at the reload; the second press
        // removes nothing.
        QVERIFY(other.insertOrders({ order(2, "9,00") }));
        f.host.setStatusText(QStringLiteral("-"));
        f.button("Command3")->click();
        QCOMPARE(f.host.status, QStringLiteral("Удалено"));
        QCOMPARE(f.lines(), 1);
        QCOMPARE(f.cell(0, 1), QStringLiteral("9,00"));
        QVERIFY(f.dialog->isVisible());
        f.button("Command1")->click();
    }));
    QCOMPARE(f.ids(), QStringList({ "2" }));
}

void TstFrmArc::failedDeleteIsReported()
{
    Fixture f;
    QVERIFY(f.open());
    OtherConnection other(f.path());
    QVERIFY(other.insertOrders({ order(1), order(2) }));
    QVERIFY(other.exec("create trigger keep before delete on arc "
                       "begin select raise(abort, 'архив защищен от удаления'); end"));
    TestSupport::MessageBoxAnswerer boxes;
    QVERIFY(f.openArchive([&] {
        clickLine(f.list(), 1);
        QVERIFY(other.insertOrders({ order(3) })); // a reload would show it
        f.button("Command3")->click();
        QVERIFY(f.dialog->isVisible());
        QCOMPARE(f.lines(), 2);
        QVERIFY(f.list()->selectionModel()->isRowSelected(1, QModelIndex()));
        QCOMPARE(f.host.status, QStringLiteral("Архив"));
        f.button("Command1")->click();
    }));
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].title, QStringLiteral("Vexaron"));
    QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
    QVERIFY2(boxes.seen[0].text.contains(QStringLiteral("архив защищен от удаления")), qPrintable(boxes.seen[0].text));
    QCOMPARE(boxes.seen[0].buttons.size(), 1);
    QCOMPARE(f.ids(), QStringList({ "1", "2", "3" }));
}

void TstFrmArc::fortyThousandOrders()
{
    Fixture f;
    QVERIFY(f.open());
    OtherConnection other(f.path());
    QList<OrderRecord> orders;
    for (int id = 1; id <= 40000; ++id)
        orders << order(id, QStringLiteral("%1,00").arg(id));
    QVERIFY2(other.insertOrders(orders), qPrintable(other.lastError));
    f.markDocument();

    QVERIFY(f.openArchive([&] {
        QCOMPARE(f.lines(), 40000);
        QCOMPARE(f.cell(32766, 0), QStringLiteral("32767"));
        QCOMPARE(f.cell(32767, 0), QStringLiteral("32768"));
        QCOMPARE(f.cell(39999, 0), QStringLiteral("40000"));
        QCOMPARE(f.cell(39999, 8), QStringLiteral("01.02.2026"));
        clickLine(f.list(), 39999);
        QCOMPARE(f.dialog->selectedId(), 40000);
        f.button("Command2")->click();
    }));
    QCOMPARE(f.field(Field::OrderNumber), QStringLiteral("40000"));
    QCOMPARE(f.field(Field::AmountInFigures), QStringLiteral("40000,00"));
    QCOMPARE(f.field(Field::RecipientName), QStringLiteral("Одержувач 40000"));
    QCOMPARE(f.field(Field::AmountInWords), QStringLiteral("(сорок тисяч  гр. 00 коп.)"));

    QVERIFY(f.openArchive([&] {
        QCOMPARE(f.lines(), 40000);
        f.button("Command3")->click(); // the order chosen before
        QCOMPARE(f.lines(), 39999);
        QCOMPARE(f.cell(39998, 0), QStringLiteral("39999"));
        f.button("Command1")->click();
    }));
    QCOMPARE(TestSupport::queryRows(f.path(), "select count(*), max(id) from arc"),
             QList<QStringList>({ { "39999", "39999" } }));
}

QTEST_MAIN(TstFrmArc)
#include "tst_frmarc.moc"
