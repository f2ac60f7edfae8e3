// The archive window, opened by the main window's command, on a real
// database file: the list, choosing a line, reprinting into the document
// window and deleting; and the requisites window feeding the reprint.

#include "support/TestSupport.h"

#include "app/MDIForm1.h"
#include "archive/ArcModel.h"
#include "archive/frmArc.h"
#include "document/Form1.h"
#include "requisites/frmFirma.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QtTest>

using Sheet::Field;

namespace {

QTableView *list(QWidget *d) { return d->findChild<QTableView *>(QStringLiteral("ListView1")); }
QPushButton *button(QWidget *d, const char *name) { return d->findChild<QPushButton *>(QString::fromLatin1(name)); }
QString cell(frmArc *d, int row, int column) { return d->model()->index(row, column).data().toString(); }
QStringList numbers(frmArc *d)
{
    QStringList texts;
    for (int row = 0; row < d->model()->rowCount(); ++row)
        texts << cell(d, row, 0);
    return texts;
}

// Clicks a line of the shown list, scrolling it into view first.
void clickLine(frmArc *d, int row)
{
    const QModelIndex index = list(d)->model()->index(row, 0);
    list(d)->scrollTo(index);
    QTest::mouseClick(list(d)->viewport(), Qt::LeftButton, {}, list(d)->visualRect(index).center());
}

// Double-clicks the list on its last line, or below it.
void doubleClick(frmArc *d, bool onLine)
{
    const QRect last = list(d)->visualRect(list(d)->model()->index(d->model()->rowCount() - 1, 1));
    const QPoint at = onLine ? last.center() : QPoint(last.center().x(), last.bottom() + 40);
    QVERIFY(at.y() < list(d)->viewport()->height());
    QTest::mouseDClick(list(d)->viewport(), Qt::LeftButton, {}, at);
}

struct Program
{
    TestSupport::ProgramFolder folder;
    MDIForm1 main { folder.path() };

    bool load() { return folder.isValid() && main.MDIForm_Load() && (main.show(), true); }
    bool sql(const QString &statement) { return TestSupport::execSql(folder.databasePath(), statement); }
    // Saves the orders numbered from to to, as another program would.
    bool addOrders(int from, int to)
    {
        return sql(QStringLiteral("with recursive n(i) as (select %1 where %1 <= %2 union all select i + 1 from n "
                                  "where i < %2) insert into arc select i, i || ',00', 'Одержувач ' || i, '3' || i, "
                                  "'Банк ' || i, '300001', '2600' || i, 'Призначення ' || i, '01.02.2026' from n")
                           .arg(from).arg(to));
    }
    QList<QStringList> rows() { return TestSupport::queryRows(folder.databasePath(), "select id, oderz from arc"); }
    frmArc *archive(const std::function<void(frmArc *)> &action)
    {
        return TestSupport::duringCommand<frmArc>(main.findChild<QAction *>("mnuArchive"), action);
    }
    // Marks every document field "old <n>", so that a field left alone can be told.
    void mark()
    {
        SheetFields marked;
        for (int f = 0; f < Sheet::FieldCount; ++f)
            marked.setText(Field(f), QStringLiteral("old %1").arg(f));
        main.documentWindow()->setFields(marked);
    }
    // The document's fields asked for, or all, in their order.
    QStringList shown(QList<Field> which = {})
    {
        QStringList texts;
        for (int f = 0; f < Sheet::FieldCount; ++f)
            if (which.isEmpty() || which.contains(Field(f)))
                texts << main.documentWindow()->field(Field(f));
        return texts;
    }
};

} // namespace

class TstFrmArc : public QObject
{
    Q_OBJECT
    std::unique_ptr<Program> p;

private slots:
    void init() { p = std::make_unique<Program>(); QVERIFY(p->load()); }
    void cleanup() { QVERIFY(!QApplication::activeModalWidget()); }

    void windowKeyboardAndChoice()
    {
        QVERIFY(p->addOrders(1, 3));
        TestSupport::MessageBoxAnswerer seen;
        frmArc *arc = p->archive([&](frmArc *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral(" Архив"));
            QCOMPARE(d->size(), QSize(481, 362));
            QCOMPARE(QStringList({ button(d, "Command1")->text(), button(d, "Command2")->text(),
                                   button(d, "Command3")->text() }),
                     QStringList({ "Отмена", "OK", "Удалить" }));
            QTableView *view = list(d);
            QStringList headers;
            for (int c = 0; c < view->model()->columnCount(); ++c) {
                headers << view->model()->headerData(c, Qt::Horizontal).toString();
                QCOMPARE(view->columnWidth(c), 96);
                for (const QVariant &align : { view->model()->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole),
                                               view->model()->index(0, c).data(Qt::TextAlignmentRole) })
                    QCOMPARE(align.toInt() & Qt::AlignHorizontal_Mask, int(Qt::AlignLeft));
            }
            QCOMPARE(headers, QStringList({ "Доручення", "Сума", "Одержувач", "Рах. Одержувача", "Банк",
                                            "Рах. Банку", "Кредiт" /* Latin i */, "Ознака", "Дата Заповнення" }));
            QCOMPARE(view->selectionMode(), QAbstractItemView::SingleSelection);
            // Scrolling sideways reaches the last column.
            QCOMPARE(view->horizontalScrollBar()->maximum(), 9 * 96 - view->viewport()->width());
            view->horizontalScrollBar()->setValue(96);

            QCOMPARE(QApplication::focusWidget(), button(d, "Command1"));
            for (QWidget *next : QList<QWidget *>({ button(d, "Command2"), view, button(d, "Command3") })) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QCOMPARE(QApplication::focusWidget(), next);
            }
            QVERIFY(!view->selectionModel()->hasSelection()); // nothing chosen on opening or by tabbing
            button(d, "Command3")->click(); // deletes id 0: nothing, and no complaint
            QCOMPARE(p->main.statusText(), QStringLiteral("Удалено"));
            clickLine(d, 0);
            QTest::keyClick(view, Qt::Key_Down);
            QTest::keyClick(view, Qt::Key_Down);
            QCOMPARE(d->selectedId(), 3);
            // No default and no cancel button: Enter and Esc do nothing.
            QTest::keyClick(view, Qt::Key_Return);
            QTest::keyClick(d, Qt::Key_Escape);
            QVERIFY(d->isVisible());
            p->main.setStatusText("-");
            d->close(); // the title bar's close box: no status written
            QVERIFY(d->isHidden());
        });
        QVERIFY(arc);
        QCOMPARE(p->main.statusText(), QStringLiteral("-"));

        // The same window again, as new but for the choice, which outlives it.
        QCOMPARE(p->archive([&](frmArc *d) {
            QCOMPARE(QApplication::focusWidget(), button(d, "Command1"));
            button(d, "Command3")->click(); // no confirmation
            QVERIFY(d->isVisible());
            QCOMPARE(p->main.statusText(), QStringLiteral("Удалено"));
            QCOMPARE(numbers(d), QStringList({ "1", "2" }));
            QCOMPARE(d->selectedId(), 3);
            button(d, "Command1")->click();
        }), arc);
        QCOMPARE(p->main.statusText(), QStringLiteral("Отмена"));
        QVERIFY(seen.seen.isEmpty());
    }

    void linesAsStoredAndDeletes()
    {
        QVERIFY(p->addOrders(1, 2));
        // A row written by another program, with a NULL and a text id.
        QVERIFY(p->sql("insert into arc values ('x7', NULL, 'чужий', '', '', '', '', '', '')"));
        TestSupport::MessageBoxAnswerer seen;
        QVERIFY(p->archive([&](frmArc *d) {
            QCOMPARE(numbers(d), QStringList({ "1", "2", "x7" }));
            const QStringList first = { "1", "1,00", "Одержувач 1", "31", "Банк 1", "300001", "26001", "Призначення 1",
                                        "01.02.2026" };
            for (int c = 0; c < 9; ++c)
                QCOMPARE(cell(d, 0, c), first[c]);
            QCOMPARE(cell(d, 2, 1), QString());
            // A text id has no number: deleting it touches no row, least of all one numbered 0.
            QVERIFY(p->sql("insert into arc (id, oderz) values (0, 'нуль')"));
            clickLine(d, 2);
            QCOMPARE(d->selectedId(), 0);
            button(d, "Command3")->click();
            QCOMPARE(numbers(d), QStringList({ "1", "2", "x7", "0" }));

            // A failed delete: reported; the list and the choice stay as they were.
            QVERIFY(p->sql("create trigger keep before delete on arc begin select raise(abort, 'архив защищен'); end"));
            QVERIFY(p->addOrders(3, 3)); // a reload would show it
            p->main.setStatusText("-");
            clickLine(d, 1);
            button(d, "Command3")->click();
            QVERIFY(d->isVisible());
            QCOMPARE(numbers(d), QStringList({ "1", "2", "x7", "0" }));
            QCOMPARE(p->main.statusText(), QStringLiteral("-")); // neither choosing nor failing writes a status
            button(d, "Command1")->click();
        }));
        QCOMPARE(seen.single(), QStringLiteral("Vexaron|error|1|архив защищен"));
    }

    void reprintShowsStoredValuesUnchecked_data()
    {
        QTest::addColumn<QString>("values"); // of the one stored row, none if empty, then chosen
        QTest::addColumn<QStringList>("shown"); // number, date line, name, figures, words; "old <n>": kept
        QTest::newRow("amount of two characters") << "9, '56', 'a', '', '', '', '', '', '05.12.2026'"
                                                  << QStringList { "9", "вiд 05 грудня 2026 р.", "a", "56", "old 13" };
        QTest::newRow("NULL recipient and date") << "9, '3,00', NULL, '', '', '', '', '', NULL"
                                                 << QStringList { "9", "old 1", "old 7", "3,00", "(три гр. 00 коп.)" };
        QTest::newRow("NULL amount") << "9, NULL, 'a', '', '', '', '', '', '05.12.2026'"
                                     << QStringList { "9", "вiд 05 грудня 2026 р.", "a", "old 12", "old 13" };
        QTest::newRow("empty archive, nothing chosen: no row")
                << "" << QStringList { "old 0", "old 1", "old 7", "old 12", "old 13" };
    }
    void reprintShowsStoredValuesUnchecked()
    {
        QFETCH(QString, values);
        QFETCH(QStringList, shown);
        QVERIFY((values.isEmpty() || p->sql("insert into arc values (" + values + ")")));
        QVERIFY(p->sql("update firma set firma='Платник', rsbank='2600'"));
        p->mark();
        TestSupport::MessageBoxAnswerer seen;
        QVERIFY(p->archive([&](frmArc *d) {
            if (!values.isEmpty())
                clickLine(d, 0);
            button(d, "Command2")->click();
            QVERIFY(d->isHidden());
        }));
        QCOMPARE(p->shown({ Field::OrderNumber, Field::DateLine, Field::RecipientName, Field::AmountInFigures,
                            Field::AmountInWords }),
                 shown);
        // Every other step still ran: the payer fields are refreshed.
        QCOMPARE(p->shown({ Field::PayerName, Field::PayerCode, Field::DebitAccount }),
                 QStringList({ "Платник", "", "2600" }));
        QVERIFY(seen.seen.isEmpty()); // no checks, no messages
    }

    void sharedNumberAndDoubleClick()
    {
        // Orders 1 to 3 saved, 2 deleted: the next order is numbered 3 again.
        QVERIFY(p->sql("insert into arc (id, suma, oderz) values (1, '1,00', 'один'), (3, '3,00', 'перший три'), "
                       "(3, '4,00', 'другий три')"));
        // A double-click on a line chooses it and acts as "OK".
        QVERIFY(p->archive([&](frmArc *d) { doubleClick(d, true); }));
        QCOMPARE(p->shown({ Field::RecipientName, Field::AmountInFigures }), QStringList({ "другий три", "4,00" }));
        QCOMPARE(p->main.statusText(), QStringLiteral("Готово:"));
        p->mark();
        // So does one below the last line, on the row chosen before: it outlives the window.
        QVERIFY(p->archive([&](frmArc *d) { doubleClick(d, false); }));
        QCOMPARE(p->shown({ Field::RecipientName }), QStringList({ "другий три" }));
        QVERIFY(p->archive([&](frmArc *d) {
            button(d, "Command3")->click();
            QCOMPARE(numbers(d), QStringList({ "1", "3" }));
            button(d, "Command1")->click();
        }));
        QCOMPARE(p->rows(), QList<QStringList>({ { "1", "один" }, { "3", "перший три" } }));
    }

    void requisitesEditedThenReprinted()
    {
        QVERIFY(p->sql("update firma set firma='Старий платник', kodfirma='11111111', bank='Банк 1', "
                       "kodbank='300001', rsbank='2600111'"));
        QVERIFY(p->sql("insert into arc values (6, '1,00', 'a', '', '', '', '', '', '01.01.2026'), (7, '1234,56', "
                       "'ПП Сонях', '22334455', 'АТ Банк', '305299', '26009876543210', 'Оплата', '07.03.2026')"));
        QVERIFY(TestSupport::duringCommand<frmFirma>(p->main.findChild<QAction *>("mnuFirma"), [&](frmFirma *d) {
            d->findChild<QLineEdit *>("Text1")->setText("Новий платник");
            d->findChild<QLineEdit *>("Text5")->setText("2600222");
            button(d, "Command2")->click();
        }));
        QVERIFY(p->archive([&](frmArc *d) {
            clickLine(d, 1);
            button(d, "Command2")->click();
        }));
        QCOMPARE(p->shown(), QStringList({ "7", "вiд 07 березня 2026 р.", "Новий платник", "11111111", "Банк 1",
                                           "300001", "2600222", "ПП Сонях", "22334455", "АТ Банк", "305299",
                                           "26009876543210", "1234,56",
                                           "(одна тисяча двiстi тридцять чотири гр. 56 коп.)", "Оплата" }));
    }

    void fortyThousandOrders()
    {
        QVERIFY(p->addOrders(1, 40000));
        QVERIFY(p->archive([&](frmArc *d) {
            QCOMPARE(d->model()->rowCount(), 40000);
            QCOMPARE(cell(d, 32767, 0), QStringLiteral("32768"));
            clickLine(d, 39999);
            QCOMPARE(d->selectedId(), 40000);
            button(d, "Command2")->click();
        }));
        QCOMPARE(p->shown({ Field::OrderNumber, Field::RecipientName, Field::AmountInWords }),
                 QStringList({ "40000", "Одержувач 40000", "(сорок тисяч  гр. 00 коп.)" }));
        QVERIFY(p->archive([&](frmArc *d) {
            button(d, "Command3")->click(); // the order chosen before
            QCOMPARE(d->model()->rowCount(), 39999);
            QCOMPARE(cell(d, 39998, 0), QStringLiteral("39999"));
            button(d, "Command1")->click();
        }));
    }
};

QTEST_MAIN(TstFrmArc)
#include "tst_frmarc.moc"
