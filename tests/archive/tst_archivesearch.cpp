// The archive window's search, date range, sorting, totals, long texts and
// "Копировать", opened by the main window's command on a real database file.

#include "support/RunningProgram.h"

#include "app/MDIForm1.h"
#include "archive/ArcModel.h"
#include "archive/frmArc.h"
#include "document/Form1.h"
#include "entry/frmCreate.h"

#include <QtTest>
#include <QtWidgets>

using Sheet::Field;

namespace {

template<typename W = QWidget>
W *child(QWidget *d, const char *name) { return d->findChild<W *>(QString::fromLatin1(name)); }
QTableView *list(QWidget *d) { return child<QTableView>(d, "ListView1"); }
QPushButton *button(QWidget *d, const char *name) { return child<QPushButton>(d, name); }
QString cell(frmArc *d, int row, int column) { return d->model()->index(row, column).data().toString(); }
QStringList column(frmArc *d, int c = 0) { QStringList t; for (int r = 0; r < d->model()->rowCount(); ++r) t << cell(d, r, c); return t; }

// The line chosen in the view, by its first cell; empty when none.
QString highlighted(frmArc *d)
{
    const QModelIndexList rows = list(d)->selectionModel()->selectedRows();
    return rows.size() == 1 ? cell(d, rows.first().row(), 0) : QString();
}

void clickLine(frmArc *d, int row)
{
    const QModelIndex index = d->model()->index(row, 0);
    list(d)->scrollTo(index);
    QTest::mouseClick(list(d)->viewport(), Qt::LeftButton, {}, list(d)->visualRect(index).center());
}

void clickHeader(frmArc *d, int section, int times = 1)
{
    QHeaderView *header = list(d)->horizontalHeader();
    for (int i = 0; i < times; ++i) {
        list(d)->horizontalScrollBar()->setValue(header->sectionPosition(section));
        const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }
}

// Types text key by key (QTest::keyClicks takes ASCII only).
void type(QWidget *box, const QString &text)
{
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void setRange(frmArc *d, const QString &from, const QString &to)
{
    for (auto [name, text] : { std::pair{ "dtpFrom", from }, std::pair{ "dtpTo", to } }) {
        auto *box = child<QDateEdit>(d, name);
        box->setDate(text.isEmpty() ? box->minimumDate() : QDate::fromString(text, "dd.MM.yyyy"));
    }
}

struct Program : TestSupport::RunningProgram
{
    bool load() { return folder.isValid() && main.MDIForm_Load() && (main.show(), true); }
    frmArc *archive(const std::function<void(frmArc *)> &action)
    {
        return TestSupport::duringCommand<frmArc>(command("mnuArchive"), action);
    }
};

// Saved in this order. Apostrophes: ’ in 1, ' in 3, ` in 9, ʼ in 10.
const char *SearchRows =
        "insert into arc values "
        "(1, '9,99', 'ТОВ \"Сяйво-Прим’єр\"', '11111111', 'АТ \"Банк Альфа\"', '300001', 'UA01', 'Оплата за папір', '07.03.2026'),"
        "(2, '10,00', 'ФОП Іваненко', '22222222', 'ПАТ \"Банк Бета\"', '300002', 'UA02', 'згідно рахунку', '31.12.2025'),"
        "(3, '100,00', 'Kyiv Print', '33333333', 'Bank Gamma', '300003', 'UA03', 'за прим''єр', '01.01.2024'),"
        "(9, '100', 'прим`єр ltd', '44444444', 'банк дельта', '300004', 'UA04', 'Ivanenko', '15.06.2025'),"
        "(10, 'abc', 'ПРИМʼЄР', '55555555', 'БАНК ЕПСИЛОН', '300005', 'UA05', 'кредiт latin i', '29.02.2024'),"
        "(100, '1 000,00', 'сяйво', '66666666', '', '300006', 'UA06', 'без дати', '12.2025')";

} // namespace

class TstArchiveSearch : public QObject
{
    Q_OBJECT
    std::unique_ptr<Program> p;

private slots:
    void init() { p = std::make_unique<Program>(); QVERIFY(p->load()); }

    void searchAndRange_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QStringList>("numbers");
        const QStringList all { "1", "2", "3", "9", "10", "100" };
        QTest::newRow("nothing typed") << "" << "" << "" << all;
        QTest::newRow("blanks only") << "   " << "" << "" << all;
        QTest::newRow("two words, ASCII apostrophe for ’") << "сяйво прим'єр" << "" << "" << QStringList { "1" };
        QTest::newRow("ASCII apostrophe") << "прим'єр" << "" << "" << QStringList { "1", "3", "9", "10" };
        QTest::newRow("upper case, ’") << "ПРИМ’ЄР" << "" << "" << QStringList { "1", "3", "9", "10" };
        QTest::newRow("ʼ") << "примʼєр" << "" << "" << QStringList { "1", "3", "9", "10" };
        QTest::newRow("`") << "прим`єр" << "" << "" << QStringList { "1", "3", "9", "10" };
        QTest::newRow("« » for \"") << "«сяйво-прим’єр»" << "" << "" << QStringList { "1" };
        QTest::newRow("Latin word") << "IVANENKO" << "" << "" << QStringList { "9" };
        QTest::newRow("Latin i for Cyrillic і") << "iваненко" << "" << "" << QStringList { "2" };
        QTest::newRow("Cyrillic І for Latin i") << "КРЕДІТ" << "" << "" << QStringList { "10" };
        QTest::newRow("any case") << "банк" << "" << "" << QStringList { "1", "2", "9", "10" };
        QTest::newRow("year in any column") << "2025" << "" << "" << QStringList { "2", "9", "100" };
        QTest::newRow("amount") << "10,00" << "" << "" << QStringList { "2" };
        QTest::newRow("words in two columns") << "папір 9,99" << "" << "" << QStringList { "1" };
        QTest::newRow("no such") << "нема" << "" << "" << QStringList {};
        QTest::newRow("word across two columns") << "папір07" << "" << "" << QStringList {};
        QTest::newRow("from") << "" << "01.01.2025" << "" << QStringList { "1", "2", "9" };
        QTest::newRow("to, leap day") << "" << "" << "29.02.2024" << QStringList { "3", "10" };
        QTest::newRow("one day") << "" << "31.12.2025" << "31.12.2025" << QStringList { "2" };
        QTest::newRow("years, no bad date") << "" << "01.01.2024" << "31.12.2026" << QStringList { "1", "2", "3", "9", "10" };
        QTest::newRow("range and words") << "банк" << "01.01.2025" << "31.12.2025" << QStringList { "2", "9" };
    }
    void searchAndRange()
    {
        QFETCH(QString, query);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QStringList, numbers);
        QVERIFY(p->sql(SearchRows));
        QVERIFY(p->archive([&](frmArc *d) {
            QCOMPARE(child<QLabel>(d, "lblTotals")->text(),
                     QStringLiteral("6 поручений на сумму 119,99 грн; 3 суммы не в формате 0,00"));
            setRange(d, from, to);
            child<QLineEdit>(d, "txtSearch")->setText(query);
            QCOMPARE(column(d), numbers);
        }));
    }

    // Typed key by key, narrowed and widened again; the totals follow.
    void typingNarrowsAndWidens()
    {
        QVERIFY(p->sql(SearchRows));
        QVERIFY(p->archive([&](frmArc *d) {
            auto *search = child<QLineEdit>(d, "txtSearch");
            search->setFocus();
            type(search, "при");
            QCOMPARE(column(d), QStringList({ "1", "3", "9", "10" }));
            type(search, "м'єр сяйво");
            QCOMPARE(column(d), QStringList({ "1" }));
            QCOMPARE(child<QLabel>(d, "lblTotals")->text(), QStringLiteral("1 поручение на сумму 9,99 грн"));
            for (int i = 0; i < 6; ++i)
                QTest::keyClick(search, Qt::Key_Backspace);
            QCOMPARE(column(d), QStringList({ "1", "3", "9", "10" }));
            QCOMPARE(child<QLabel>(d, "lblTotals")->text(),
                     QStringLiteral("4 поручения на сумму 109,99 грн; 2 суммы не в формате 0,00"));
            search->setText("сяйво"); // replaced, not typed on
            QCOMPARE(column(d), QStringList({ "1", "100" }));
            type(search, " 1");
            QCOMPARE(column(d), QStringList({ "1", "100" })); // 1 in the number, and in 1 000,00
            type(search, "0");
            QCOMPARE(column(d), QStringList({ "100" }));
            QTest::keyClick(search, Qt::Key_Backspace);
            QTest::keyClick(search, Qt::Key_Backspace);
            QCOMPARE(column(d), QStringList({ "1", "100" }));
            QCOMPARE(child<QLabel>(d, "lblTotals")->text(),
                     QStringLiteral("2 поручения на сумму 9,99 грн; 1 сумма не в формате 0,00"));
            search->clear();
            QCOMPARE(column(d).size(), 6);
        }));
    }

    void sorting_data()
    {
        QTest::addColumn<int>("section");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<QStringList>("numbers");
        const QStringList saved { "10", "9", "100", "2", "1", "x7" };
        QTest::newRow("number up") << 0 << 1 << QStringList { "1", "2", "9", "10", "100", "x7" };
        QTest::newRow("number down") << 0 << 2 << QStringList { "100", "10", "9", "2", "1", "x7" };
        QTest::newRow("number, third click: as saved") << 0 << 3 << saved;
        QTest::newRow("amount up") << 1 << 1 << QStringList { "x7", "9", "10", "100", "2", "1" };
        QTest::newRow("amount down") << 1 << 2 << QStringList { "100", "2", "10", "9", "x7", "1" };
        QTest::newRow("name up, Ukrainian alphabet") << 2 << 1 << QStringList { "100", "9", "2", "x7", "1", "10" };
        QTest::newRow("name down") << 2 << 2 << QStringList { "10", "1", "x7", "2", "9", "100" };
        QTest::newRow("date up") << 8 << 1 << QStringList { "100", "1", "10", "x7", "9", "2" };
        QTest::newRow("date down") << 8 << 2 << QStringList { "9", "10", "x7", "1", "100", "2" };
        QTest::newRow("date, third click") << 8 << 3 << saved;
    }
    void sorting()
    {
        QFETCH(int, section);
        QFETCH(int, clicks);
        QFETCH(QStringList, numbers);
        QVERIFY(p->sql("insert into arc (id, suma, oderz, datazap) values (10, '10,00', 'Ярема', '01.02.2025'), "
                       "(9, '9,99', 'ґанок', '15.01.2026'), (100, '100,00', 'Гнат', '31.12.2024'), "
                       "(2, '100', 'Євген', 'bad'), (1, 'abc', 'Іван', '02.01.2025'), "
                       "('x7', '9', 'Жанна', '01.02.2025')"));
        QVERIFY(p->archive([&](frmArc *d) {
            clickHeader(d, section, clicks);
            QCOMPARE(column(d), numbers);
            if (section == 2 && clicks == 1) { // the same order as Qt's own Ukrainian collation
                QStringList names = column(d, 2), sorted = names;
                QCollator collator(QLocale(QLocale::Ukrainian, QLocale::Ukraine));
                std::stable_sort(sorted.begin(), sorted.end(), collator);
                QCOMPARE(names, sorted);
            }
            QCOMPARE(list(d)->horizontalHeader()->isSortIndicatorShown(), clicks < 3);
        }));
    }

    // Two orders share the number 5: the chosen one is highlighted through a
    // sort and a search, and it is the one reprinted, then the one deleted.
    void chosenLineSurvivesSearchAndSort()
    {
        QVERIFY(p->sql("insert into arc (id, suma, oderz, datazap) values (5, '1,00', 'Перший', '01.01.2026'), "
                       "(5, '2,00', 'Другий', '02.01.2026'), (6, '3,00', 'Третій', '03.01.2026')"));
        QVERIFY(p->archive([&](frmArc *d) {
            clickLine(d, 1);
            clickHeader(d, 2); // Другий, Перший, Третій
            QCOMPARE(column(d, 2), QStringList({ "Другий", "Перший", "Третій" }));
            QCOMPARE(cell(d, list(d)->selectionModel()->selectedRows().value(0).row(), 2), QStringLiteral("Другий"));
            child<QLineEdit>(d, "txtSearch")->setText("перш");
            QCOMPARE(highlighted(d), QString()); // out of sight, still chosen
            child<QLineEdit>(d, "txtSearch")->setText("5");
            QCOMPARE(column(d, 2), QStringList({ "Другий", "Перший" }));
            QCOMPARE(cell(d, list(d)->selectionModel()->selectedRows().value(0).row(), 2), QStringLiteral("Другий"));
            button(d, "Command2")->click();
        }));
        QCOMPARE(p->main.documentWindow()->field(Field::RecipientName), QStringLiteral("Другий"));
        QCOMPARE(p->main.documentWindow()->field(Field::AmountInFigures), QStringLiteral("2,00"));

        QVERIFY(p->archive([&](frmArc *d) {
            clickHeader(d, 1, 2); // amounts down: Третій, Другий, Перший
            QVERIFY(p->sql("insert into arc (id, oderz) values (7, 'пізніший')")); // shown only after a reading
            button(d, "Command3")->click();
            QCOMPARE(column(d, 2), QStringList({ "Третій", "Перший" }));
            QCOMPARE(highlighted(d), QString());
            QCOMPARE(child<QLabel>(d, "lblTotals")->text(), QStringLiteral("2 поручения на сумму 4,00 грн"));
            QCOMPARE(p->main.statusText(), QStringLiteral("Удалено"));
        }));
        QCOMPARE(p->rows("select id, oderz from arc order by rowid"),
                 QList<QStringList>({ { "5", "Перший" }, { "6", "Третій" }, { "7", "пізніший" } }));
    }

    // The totals of the lines shown against a sum made here, on amounts of
    // every size and some not in the "0,00" form.
    void totalsMatchAnIndependentSum()
    {
        QRandomGenerator random(14);
        QStringList values;
        qint64 orders = 0, kopecks = 0, apart = 0;
        const QRegularExpression form(QStringLiteral("^[0-9]+,[0-9][0-9]$"));
        for (int i = 0; i < 3000; ++i) {
            const qint64 k = random.bounded(Q_INT64_C(1), Q_INT64_C(100000000000000));
            QString amount = QString::number(k / 100) + ',' + QString::number(k % 100).rightJustified(2, '0');
            if (i % 97 == 0)
                amount = QStringList({ "12", "1,5", "-3,00", "1 000,00", "", "1.00" }).at(i % 6);
            const int year = 2024 + i % 3;
            values << QStringLiteral("(%1, '%2', 'Одержувач', '01.06.%3')").arg(i).arg(amount).arg(year);
            if (year == 2025) {
                ++orders;
                if (form.match(amount).hasMatch())
                    kopecks += QString(amount).remove(',').toLongLong();
                else
                    ++apart;
            }
        }
        QVERIFY(p->sql("insert into arc (id, suma, oderz, datazap) values " + values.join(',')));
        QVERIFY(apart > 0);
        QVERIFY(p->archive([&](frmArc *d) {
            setRange(d, "01.01.2025", "31.12.2025");
            const ArcModel::Totals t = d->model()->totals();
            QCOMPARE(t.orders, orders);
            QCOMPARE(qint64(t.kopecks), kopecks);
            QCOMPARE(t.notInForm, apart);
            QVERIFY(child<QLabel>(d, "lblTotals")->text().startsWith(QString::number(orders) + " поручени"));
        }));
    }

    // A purpose of a megabyte: the list and the tooltip show its beginning,
    // the search finds its end, the reprint gets it whole.
    void megabyteText()
    {
        QVERIFY(p->sql("insert into arc (id, suma, oderz, oznaka, datazap) values (1, '1,00', 'Один', 'перший рядок' "
                       "|| char(10) || replace(hex(zeroblob(500000)), '00', 'я') || ' кінець', '01.01.2026')"));
        const int length = 12 + 1 + 500000 + 7; // 500 000 two-byte letters
        QVERIFY(p->archive([&](frmArc *d) {
            QCOMPARE(cell(d, 0, 7), QStringLiteral("перший рядок…"));
            const QString tip = d->model()->index(0, 3).data(Qt::ToolTipRole).toString();
            QVERIFY(tip.contains("Одержувач: Один\n"));
            QVERIFY(tip.size() < 10 * ArcModel::TooltipChars);
            child<QLineEdit>(d, "txtSearch")->setText("КІНЕЦЬ");
            QCOMPARE(column(d), QStringList({ "1" }));
            clickLine(d, 0);
            button(d, "Command2")->click();
        }));
        QCOMPARE(p->main.documentWindow()->field(Field::Purpose).size(), length);
    }

    // "Копировать": the order entry opens with the chosen order's values, a
    // new number and today's date; nothing is saved by it.
    void copyStartsANewOrder()
    {
        QVERIFY(p->sql("insert into arc values (7, '1234,56', 'ПП Сонях', '22334455', 'АТ Банк', '305299', "
                       "'26009876543210', 'Оплата' || char(10) || 'за квітень', '07.03.2024'), "
                       "(8, '1,00', 'Інший', '', '', '', '', '', '08.03.2024')"));
        TestSupport::MessageBoxAnswerer seen;
        QStringList boxes;
        QDate date;
        QString number;
        bool archiveHidden = false;
        QVERIFY(p->archive([&](frmArc *d) {
            button(d, "cmdCopy")->click(); // nothing chosen yet: said so, stays open
            QVERIFY(d->isVisible());
            QCOMPARE(seen.seen.size(), 1);
            QVERIFY(seen.seen.first().text.startsWith(QStringLiteral("Новое поручение не начато.")));
            clickLine(d, 0);
            auto *watcher = TestSupport::whenModal<frmCreate>([&](frmCreate *entry) {
                archiveHidden = d->isHidden();
                number = child<QLabel>(entry, "Text1")->text();
                date = child<QDateEdit>(entry, "DTPicker1")->date();
                for (const char *name : { "Text2", "Text3", "Text4", "Text5", "Text9", "Text6" })
                    boxes << child<QLineEdit>(entry, name)->text();
                boxes << child<QPlainTextEdit>(entry, "Text8")->toPlainText();
                button(entry, "Command1")->click();
            });
            button(d, "cmdCopy")->click();
            delete watcher;
        }));
        QVERIFY(archiveHidden);
        QCOMPARE(number, QStringLiteral("9")); // after the largest stored number, 8
        QCOMPARE(date, QDate::currentDate());
        QCOMPARE(boxes, QStringList({ "1234,56", "ПП Сонях", "22334455", "АТ Банк", "305299", "26009876543210",
                                      "Оплата\nза квітень" }));
        QCOMPARE(p->rows("select count(*) from arc"), QList<QStringList>({ { "2" } }));
        QCOMPARE(p->main.statusText(), QStringLiteral("Отмена"));
    }

    // The new controls after the design's in tab order; columns at their
    // designed width on every opening, widened by dragging meanwhile.
    void tabOrderAndColumns()
    {
        QVERIFY(p->archive([&](frmArc *d) {
            QCOMPARE(button(d, "cmdCopy")->text(), QStringLiteral("Копировать"));
            QCOMPARE(QApplication::focusWidget(), button(d, "Command1"));
            const QList<QWidget *> order { button(d, "Command2"), list(d), button(d, "Command3"),
                                           button(d, "Command4"), button(d, "Command5"), child(d, "txtSearch"), child(d, "dtpFrom"), child(d, "dtpTo"),
                                           button(d, "cmdCopy") };
            // Tab moves from field to field inside a date box, so the chain is read.
            QWidget *at = QApplication::focusWidget();
            for (QWidget *next : order) {
                do
                    at = at->nextInFocusChain();
                while (!(at->focusPolicy() & Qt::TabFocus) || !at->isVisibleTo(d)
                       || qobject_cast<QAbstractSpinBox *>(at->parentWidget()));
                QCOMPARE(at, next);
            }
            QHeaderView *header = list(d)->horizontalHeader();
            QCOMPARE(header->sectionResizeMode(2), QHeaderView::Interactive);
            const int edge = header->sectionViewportPosition(2) + header->sectionSize(2) - 1;
            QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(edge, 5));
            QMouseEvent move(QEvent::MouseMove, QPointF(edge + 60, 5), header->viewport()->mapToGlobal(QPointF(edge + 60, 5)),
                             Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(header->viewport(), &move);
            QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(edge + 60, 5));
            QCOMPARE(list(d)->columnWidth(2), 156);
        }));
        QVERIFY(p->archive([&](frmArc *d) { QCOMPARE(list(d)->columnWidth(2), 96); }));
    }
};

QTEST_MAIN(TstArchiveSearch)
#include "tst_archivesearch.moc"
