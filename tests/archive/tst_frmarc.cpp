// The archive window, opened by the main window's command, on a real
// database file: the list, choosing a line, reprinting into the document
// window and deleting; and the requisites window feeding the reprint.

#include "support/RunningProgram.h"

#include "app/MDIForm1.h"
#include "archive/ArcModel.h"
#include "archive/frmArc.h"
#include "document/Form1.h"
#include "requisites/frmFirma.h"

#include <QtTest>
#include <QtWidgets>

using Sheet::Field;

namespace {

QTableView *list(QWidget *d) { return d->findChild<QTableView *>(QStringLiteral("ListView1")); }
QPushButton *button(QWidget *d, const char *name) { return d->findChild<QPushButton *>(QString::fromLatin1(name)); }
QString cell(frmArc *d, int row, int column) { return d->model()->index(row, column).data().toString(); }
QStringList numbers(frmArc *d) { QStringList t; for (int r = 0; r < d->model()->rowCount(); ++r) t << cell(d, r, 0); return t; }

// Clicks a line of the shown list, scrolling it into view first; or
// double-clicks it, or 40 pixels below it.
void clickLine(frmArc *d, int row, bool twice = false, int below = 0)
{
    const QModelIndex index = list(d)->model()->index(row, 0);
    list(d)->scrollTo(index);
    const QPoint at = list(d)->visualRect(index).center() + QPoint(0, below);
    QVERIFY(at.y() < list(d)->viewport()->height());
    if (twice)
        QTest::mouseDClick(list(d)->viewport(), Qt::LeftButton, {}, at);
    else
        QTest::mouseClick(list(d)->viewport(), Qt::LeftButton, {}, at);
}

struct Program : TestSupport::RunningProgram
{
    bool load() { return folder.isValid() && main.MDIForm_Load() && (main.show(), true); }
    // Saves the orders numbered from to to, as another program would.
    bool addOrders(int from, int to)
    {
        return sql(QStringLiteral("with recursive n(i) as (select %1 where %1 <= %2 union all select i + 1 from n "
                                  "where i < %2) insert into arc select i, i || ',00', 'Одержувач ' || i, '3' || i, "
                                  "'Банк ' || i, '300001', '2600' || i, 'Призначення ' || i, '01.02.2026' from n")
                           .arg(from).arg(to));
    }
    frmArc *archive(const std::function<void(frmArc *)> &action)
    {
        return TestSupport::duringCommand<frmArc>(command("mnuArchive"), action);
    }
    // Marks every document field "old <n>", so that a field left alone can be told.
    void mark()
    {
        for (int f = 0; f < Sheet::FieldCount; ++f)
            main.documentWindow()->setField(Field(f), QStringLiteral("old %1").arg(f));
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

    // The window as laid out, its lines as stored (a row of another program's
    // with a text id and a NULL among them), the keys, choosing, and deleting
    // without a question; the same window again, as new but for the choice,
    // which outlives it.
    void windowLinesAndDeleting()
    {
        QVERIFY(p->addOrders(1, 3));
        QVERIFY(p->sql("insert into arc values ('x7', NULL, 'чужий', '', '', '', '', '', ''), "
                       "(0, '', 'нуль', '', '', '', '', '', '')"));
        TestSupport::MessageBoxAnswerer seen;
        frmArc *arc = p->archive([&](frmArc *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral(" Архив"));
            QCOMPARE(d->size(), QSize(481, 362));
            QCOMPARE(QStringList({ button(d, "Command1")->text(), button(d, "Command2")->text(),
                                   button(d, "Command3")->text() }),
                     QStringList({ "Отмена", "OK", "Удалить" }));
            QTableView *view = list(d);
            QStringList headers, first;
            for (int c = 0; c < view->model()->columnCount(); ++c) {
                headers << view->model()->headerData(c, Qt::Horizontal).toString();
                first << cell(d, 0, c);
                QCOMPARE(view->columnWidth(c), 96);
                for (const QVariant &align : { view->model()->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole),
                                               view->model()->index(0, c).data(Qt::TextAlignmentRole) })
                    QCOMPARE(align.toInt() & Qt::AlignHorizontal_Mask, int(Qt::AlignLeft));
            }
            QCOMPARE(headers, QStringList({ "Доручення", "Сума", "Одержувач", "Рах. Одержувача", "Банк",
                                            "Рах. Банку", "Кредiт" /* Latin i */, "Ознака", "Дата Заповнення" }));
            QCOMPARE(first, QStringList({ "1", "1,00", "Одержувач 1", "31", "Банк 1", "300001", "26001",
                                          "Призначення 1", "01.02.2026" }));
            QCOMPARE(numbers(d), QStringList({ "1", "2", "3", "x7", "0" }));
            QCOMPARE(cell(d, 3, 1), QString()); // NULL
            QCOMPARE(view->selectionMode(), QAbstractItemView::SingleSelection);
            // Scrolling sideways reaches the last column.
            QCOMPARE(view->horizontalScrollBar()->maximum(), 9 * 96 - view->viewport()->width());

            QCOMPARE(QApplication::focusWidget(), button(d, "Command1"));
            for (QWidget *next : QList<QWidget *>({ button(d, "Command2"), view, button(d, "Command3") })) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QCOMPARE(QApplication::focusWidget(), next);
            }
            QVERIFY(!view->selectionModel()->hasSelection()); // nothing chosen on opening or by tabbing
            p->main.setStatusText("-");
            button(d, "Command3")->click(); // nothing chosen in the run: nothing deleted, and said so
            QCOMPARE(numbers(d), QStringList({ "1", "2", "3", "x7", "0" }));
            QCOMPARE(p->main.statusText(), QStringLiteral("-"));
            QCOMPARE(seen.seen.size(), 1);
            QCOMPARE(seen.seen.first().icon, QMessageBox::Critical);
            seen.seen.clear();
            clickLine(d, 0);
            QTest::keyClick(view, Qt::Key_Down);
            QTest::keyClick(view, Qt::Key_Down);
            QCOMPARE(d->selectedId(), 3);
            // No default and no cancel button: Enter and Esc do nothing.
            QTest::keyClick(view, Qt::Key_Return);
            QTest::keyClick(d, Qt::Key_Escape);
            QVERIFY(d->isVisible());
        });
        QVERIFY(arc);

        QCOMPARE(p->archive([&](frmArc *d) {
            QCOMPARE(QApplication::focusWidget(), button(d, "Command1"));
            QCOMPARE(d->selectedId(), 3);
            button(d, "Command3")->click();
            QVERIFY(d->isVisible());
            QCOMPARE(numbers(d), QStringList({ "1", "2", "x7", "0" }));
            QCOMPARE(p->main.statusText(), QStringLiteral("Удалено"));

            // A failed delete: reported; the list stays as it was, no status written.
            QVERIFY(p->sql("create trigger keep before delete on arc begin select raise(abort, 'архив защищен'); end"));
            QVERIFY(p->addOrders(3, 3)); // a reload would show it
            p->main.setStatusText("-");
            clickLine(d, 1);
            button(d, "Command3")->click();
            QCOMPARE(numbers(d), QStringList({ "1", "2", "x7", "0" }));
            QCOMPARE(p->main.statusText(), QStringLiteral("-"));
            button(d, "Command1")->click();
        }), arc);
        QCOMPARE(p->main.statusText(), QStringLiteral("Отмена"));
        QCOMPARE(seen.single(), QStringLiteral("Vexaron|error|1|Поручение не удалено.\n\nТаблица не принимает такую запись.\nархив защищен")); // and no question before
    }

    void reprintShowsStoredValuesUnchecked_data()
    {
        QTest::addColumn<QString>("values"); // of the one stored row, none if empty, then chosen
        QTest::addColumn<QStringList>("shown"); // number, date line, name, figures, words; "old <n>": kept
        QTest::newRow("amount of two characters") << "9, '56', 'a', '', '', '', '', '', '05.12.2026'"
                                                  << QStringList { "9", "вiд 05 грудня 2026 р.", "a", "56", "old 13" };
        // Another program's NULLs read as empty texts.
        QTest::newRow("NULL amount, recipient and date") << "9, NULL, NULL, '', '', '', '', '', NULL"
                                                         << QStringList { "9", "вiд   20 р.", "", "", "old 13" };
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
                            Field::AmountInWords }), shown);
        // Every other step still ran: the payer fields are refreshed.
        QCOMPARE(p->shown({ Field::PayerName, Field::PayerCode, Field::DebitAccount }), QStringList({ "Платник", "", "2600" }));
        QCOMPARE(p->main.statusText(), QStringLiteral("Готово:"));
        QVERIFY(seen.seen.isEmpty()); // no checks, no messages
    }

    // Orders 1 to 3 saved, 2 deleted: the next order is numbered 3 again.
    // Reprint and delete act on the row chosen, which outlives the window. A
    // double-click on a line chooses it and acts as "OK"; so does one below
    // the last line. The requisites edited meanwhile are the payer.
    void sharedNumberRequisitesAndDoubleClick()
    {
        QVERIFY(p->sql("insert into arc values (1, '1,00', 'один', '', '', '', '', '', '01.01.2026'), (3, '3,00', "
                       "'перший три', '', '', '', '', '', '01.01.2026'), (3, '1234,56', 'ПП Сонях', '22334455', "
                       "'АТ Банк', '305299', '26009876543210', 'Оплата', '07.03.2026')"));
        QVERIFY(TestSupport::duringCommand<frmFirma>(p->main.findChild<QAction *>("mnuFirma"), [&](frmFirma *d) {
            d->findChild<QLineEdit *>("Text1")->setText("Новий платник");
            d->findChild<QLineEdit *>("Text5")->setText("2600222");
            button(d, "Command2")->click();
        }));
        QVERIFY(p->archive([&](frmArc *d) { clickLine(d, 2, true); }));
        QCOMPARE(p->shown(), QStringList({ "3", "вiд 07 березня 2026 р.", "Новий платник", "", "", "", "2600222",
                                           "ПП Сонях", "22334455", "АТ Банк", "305299", "26009876543210", "1234,56",
                                           "(одна тисяча двiстi тридцять чотири гр. 56 коп.)", "Оплата" }));
        p->mark();
        QVERIFY(p->archive([&](frmArc *d) { clickLine(d, 2, true, 40); }));
        QCOMPARE(p->shown({ Field::RecipientName }), QStringList({ "ПП Сонях" }));
        QVERIFY(p->archive([&](frmArc *d) {
            button(d, "Command3")->click();
            QCOMPARE(numbers(d), QStringList({ "1", "3" }));
        }));
        QCOMPARE(TestSupport::queryRows(p->folder.databasePath(), "select id, oderz from arc"),
                 QList<QStringList>({ { "1", "один" }, { "3", "перший три" } }));
    }

    void fortyThousandOrders()
    {
        QVERIFY(p->addOrders(1, 40000));
        QVERIFY(p->archive([&](frmArc *d) {
            clickLine(d, 39999);
            QCOMPARE(d->selectedId(), 40000);
            button(d, "Command2")->click();
        }));
        QCOMPARE(p->shown({ Field::OrderNumber, Field::RecipientName, Field::AmountInWords }),
                 QStringList({ "40000", "Одержувач 40000", "(сорок тисяч  гр. 00 коп.)" }));
        QVERIFY(p->archive([&](frmArc *d) {
            button(d, "Command3")->click(); // the order chosen before
            QCOMPARE(numbers(d).mid(39997), QStringList({ "39998", "39999" })); // the last line gone
        }));
    }
};

QTEST_MAIN(TstFrmArc)
#include "tst_frmarc.moc"
