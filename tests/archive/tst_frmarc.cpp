// The archive window, opened by the main window's "Архив" command on a real
// database file: choosing a line, reprinting and deleting it, the search,
// date range, sorting and totals, long texts, "Копировать" and "QR-код".

#include "support/RunningProgram.h"

#include "archive/ArcModel.h"
#include "archive/QrWindow.h"
#include "archive/frmArc.h"
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
QString totals(frmArc *d) { return child<QLabel>(d, "lblTotals")->text(); }

// Column c of every line shown, top to bottom.
QStringList column(frmArc *d, int c = 0)
{
    QStringList texts;
    for (int r = 0; r < d->model()->rowCount(); ++r)
        texts << cell(d, r, c);
    return texts;
}

// Column c of the line highlighted in the view; empty when none is.
QString highlighted(frmArc *d, int c = 0)
{
    const QModelIndexList rows = list(d)->selectionModel()->selectedRows();
    return rows.size() == 1 ? cell(d, rows.first().row(), c) : QString();
}

// Clicks a line in view, or double-clicks it, or `below` pixels under it.
void clickLine(frmArc *d, int row, bool twice = false, int below = 0)
{
    const QPoint at = list(d)->visualRect(d->model()->index(row, 0)).center() + QPoint(0, below);
    if (twice)
        QTest::mouseDClick(list(d)->viewport(), Qt::LeftButton, {}, at);
    else
        QTest::mouseClick(list(d)->viewport(), Qt::LeftButton, {}, at);
}

void clickHeader(frmArc *d, int section, int times = 1)
{
    QHeaderView *header = list(d)->horizontalHeader();
    for (int i = 0; i < times; ++i) {
        list(d)->horizontalScrollBar()->setValue(header->sectionPosition(section));
        const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }
}

// Sets the date range "from-to"; a side left empty is open.
void setRange(frmArc *d, const QString &range)
{
    for (auto [name, text] : { std::pair{ "dtpFrom", range.section('-', 0, 0) },
                               std::pair{ "dtpTo", range.section('-', 1) } }) {
        auto *box = child<QDateEdit>(d, name);
        box->setDate(text.isEmpty() ? box->minimumDate() : QDate::fromString(text, "dd.MM.yyyy"));
    }
}

struct Program : TestSupport::RunningProgram
{
    // Runs action in the archive window while it is open; the window, or null when none came up.
    frmArc *archive(const std::function<void(frmArc *)> &action)
    {
        return TestSupport::duringCommand<frmArc>(command("mnuArchive"), action);
    }
    QString field(Field f) { return main.documentWindow()->field(f); }
};

// Saved in this order. Apostrophes: ’ in 1, ' in 3, ` in 9, ʼ in 10.
const char *SearchRows =
        "insert into arc values "
        "(1, '9,99', 'ТОВ \"Сяйво-Прим’єр\"', '11111111', 'АТ \"Банк Альфа\"', '300001', 'UA01', 'Оплата за папір', '07.03.2026'),"
        "(2, '10,00', 'ФОП Іваненко', '22222222', 'ПАТ \"Банк Бета\"', '300002', 'UA02', 'згідно рахунку', '31.12.2025'),"
        "(3, '100,00', 'Kyiv Print', '33333333', 'Bank Gamma', '300003', 'UA03', 'за прим''єр', '01.01.2024'),"
        "(9, '100', 'прим`єр ltd', '44444444', 'банк дельта', '300004', 'UA04', 'Ivanenko', '15.06.2025'),"
        "(10, 'abc', 'ПРИМʼЄР', '55555555', 'БАНК ЕПСИЛОН', '300005', 'UA05', 'кредiт latin i', '29.02.2024'),"
        "(100, '1 000,00', 'сяйво', '66666666', '', '300006', 'UA06', 'ЯК Є, без дати', '12.2025')";

} // namespace

class TstFrmArc : public QObject
{
    Q_OBJECT
    std::unique_ptr<Program> p;

private slots:
    void init() { p = std::make_unique<Program>(); QVERIFY(p->start()); }

    void searchAndRange_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("range");
        QTest::addColumn<QStringList>("numbers");
        const QStringList primer { "1", "3", "9", "10" };
        QTest::newRow("nothing typed") << "" << "" << QStringList { "1", "2", "3", "9", "10", "100" };
        QTest::newRow("two words, ASCII apostrophe for ’") << "сяйво прим'єр" << "" << QStringList { "1" };
        QTest::newRow("ASCII apostrophe") << "прим'єр" << "" << primer;
        QTest::newRow("ʼ") << "примʼєр" << "" << primer;
        QTest::newRow("`") << "прим`єр" << "" << primer;
        QTest::newRow("an apostrophe alone") << "’" << "" << primer;
        QTest::newRow("« » for \"") << "«сяйво-прим’єр»" << "" << QStringList { "1" };
        QTest::newRow("Latin word") << "IVANENKO" << "" << QStringList { "9" };
        QTest::newRow("Latin i for Cyrillic і") << "iваненко" << "" << QStringList { "2" };
        QTest::newRow("Cyrillic І for Latin i") << "КРЕДІТ" << "" << QStringList { "10" };
        QTest::newRow("any case") << "банк" << "" << QStringList { "1", "2", "9", "10" };
        QTest::newRow("я, the last letter") << "як" << "" << QStringList { "100" };
        QTest::newRow("year in any column") << "2025" << "" << QStringList { "2", "9", "100" };
        QTest::newRow("words in two columns") << "папір 9,99" << "" << QStringList { "1" };
        QTest::newRow("word across two columns") << "папір07" << "" << QStringList {};
        QTest::newRow("from") << "" << "01.01.2025-" << QStringList { "1", "2", "9" };
        QTest::newRow("to, leap day") << "" << "-29.02.2024" << QStringList { "3", "10" };
        QTest::newRow("years, no bad date") << "" << "01.01.2024-31.12.2026" << QStringList { "1", "2", "3", "9", "10" };
        QTest::newRow("range and words") << "банк" << "01.01.2025-31.12.2025" << QStringList { "2", "9" };
    }
    void searchAndRange()
    {
        QFETCH(QString, query);
        QFETCH(QString, range);
        QFETCH(QStringList, numbers);
        QVERIFY(p->sql(SearchRows));
        QVERIFY(p->archive([&](frmArc *d) {
            QCOMPARE(totals(d), QStringLiteral("6 поручений на сумму 119,99 грн; 3 суммы не в формате 0,00"));
            setRange(d, range);
            QWidget *search = child(d, "txtSearch");
            TestSupport::typeKeys(search, query); // narrowed at each key
            QCOMPARE(column(d), numbers);
            // Keys taken back find the lines of the shorter search again, and their totals.
            const QString shown = totals(d);
            TestSupport::typeKeys(search, " щ");
            QVERIFY(column(d).isEmpty());
            QTest::keyClick(search, Qt::Key_Backspace);
            QTest::keyClick(search, Qt::Key_Backspace);
            QCOMPARE(column(d), numbers);
            QCOMPARE(totals(d), shown);
        }));
    }

    // Numbers, amounts and dates by value, what is none of them last either
    // way; the third click on a header brings back the order saved.
    void sorting_data()
    {
        QTest::addColumn<int>("section");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<QStringList>("numbers");
        QTest::newRow("number up") << 0 << 1 << QStringList { "1", "2", "9", "10", "100", "x7" };
        QTest::newRow("number down") << 0 << 2 << QStringList { "100", "10", "9", "2", "1", "x7" };
        QTest::newRow("number, third click: as saved") << 0 << 3 << QStringList { "10", "9", "100", "2", "1", "x7" };
        QTest::newRow("amount up") << 1 << 1 << QStringList { "x7", "9", "10", "100", "2", "1" };
        QTest::newRow("amount down") << 1 << 2 << QStringList { "100", "2", "10", "9", "x7", "1" };
        QTest::newRow("date up") << 8 << 1 << QStringList { "100", "1", "10", "x7", "9", "2" };
        QTest::newRow("date down") << 8 << 2 << QStringList { "9", "10", "x7", "1", "100", "2" };
    }
    void sorting()
    {
        QFETCH(int, section);
        QFETCH(int, clicks);
        QFETCH(QStringList, numbers);
        QVERIFY(p->sql("insert into arc (id, suma, datazap) values (10, '10,00', '01.02.2025'), (9, '9,99', '15.01.2026'), "
                       "(100, '100,00', '31.12.2024'), (2, '100', 'bad'), (1, 'abc', '02.01.2025'), ('x7', '9', '01.02.2025')"));
        QVERIFY(p->archive([&](frmArc *d) {
            clickHeader(d, section, clicks);
            QCOMPARE(column(d), numbers);
            QCOMPARE(list(d)->horizontalHeader()->isSortIndicatorShown(), clicks < 3);
        }));
    }

    // Texts sort as Qt's own Ukrainian collation has them; equal ones keep
    // the order saved.
    void textSortAsCollator_data()
    {
        QTest::addColumn<QStringList>("names"); // saved in this order
        QTest::newRow("Ukrainian alphabet") << QStringList { "Ярема", "ґанок", "Гнат", "Євген", "Іван", "Жанна",
                                                             "їжак", "Ерік", "ингул", "Юрій", "йод", "Щука", "Ь" };
        const QString longName = QStringLiteral("ТОВ \"Товариство з обмеженою відповідальністю для перевірки сортування ");
        QTest::newRow("long texts that differ at their ends") << QStringList { longName + "Б\"", longName + "а\"" };
        QTest::newRow("the same, with a character the table lacks")
                << QStringList { longName + "Б\" café", longName + "а\" café", "Café" };
        QTest::newRow("case and apostrophes") << QStringList { "прим'єр", "Примʼєр", "ПРИМ’ЄР", "прим`єр", "примєр",
                                                               "Прима", "прим'єр" };
        QTest::newRow("Latin, digits, empty, quotes, dashes")
                << QStringList { "Kyiv Print", "10 років", "9 днів", "ТОВ Альфа", "abc", "ABC", "", "Ѕ", "ТОВ Альфа 2",
                                 "ТОВ \"Бета\"", "ТОВ «Бета»", "ТОВ Бета", "ТОВ-Бета", "ТОВ — Бета", "ТОВ Бета", "Café" };
    }
    void textSortAsCollator()
    {
        QFETCH(QStringList, names);
        QStringList values;
        for (int i = 0; i < names.size(); ++i)
            values << QStringLiteral("(%1, '%2')").arg(i).arg(QString(names[i]).replace("'", "''"));
        QVERIFY(p->sql("insert into arc (id, oderz) values " + values.join(',')));
        const QCollator collator(QLocale(QLocale::Ukrainian, QLocale::Ukraine));
        std::stable_sort(names.begin(), names.end(), collator);
        QVERIFY(p->archive([&](frmArc *d) {
            clickHeader(d, 2);
            QCOMPARE(column(d, 2), names);
        }));
    }

    // Three thousand short texts of letters in either case, look-alike
    // marks and blanks: ordered as the collator orders them, both ways,
    // equal ones as saved; with few texts that differ only in case or
    // marks, with mostly such, and with a character the table lacks.
    void textSortOfManyAsCollator_data()
    {
        QTest::addColumn<QString>("characters");
        QTest::newRow("few ties") << QStringLiteral("аАбБгГґҐеЕєЄёиИіІїЇйЙьЬюЮяЯ aAiIzZ09'’ʼ`‘\"«»“”„-–—\u00a0\t.,№ѕЅ");
        QTest::newRow("mostly ties") << QStringLiteral("аАіIi'’ ");
        QTest::newRow("a character the table lacks") << QStringLiteral("аАi'’ \u200b");
    }
    void textSortOfManyAsCollator()
    {
        QFETCH(QString, characters);
        QRandomGenerator random(14);
        QStringList names, values;
        for (int i = 0; i < 3000; ++i) {
            QString name;
            for (int n = characters.size() > 10 ? random.bounded(2, 12) : random.bounded(1, 5); n > 0; --n)
                name += characters[random.bounded(characters.size())];
            names << name;
            values << QStringLiteral("(%1, '%2')").arg(i).arg(QString(name).replace("'", "''"));
        }
        QVERIFY(p->sql("insert into arc (id, oderz) values " + values.join(',')));
        QStringList ids, down;
        for (int i = 0; i < names.size(); ++i)
            ids << QString::number(i);
        down = ids;
        const QCollator collator(QLocale(QLocale::Ukrainian, QLocale::Ukraine));
        std::stable_sort(ids.begin(), ids.end(),
                         [&](const QString &a, const QString &b) { return collator(names[a.toInt()], names[b.toInt()]); });
        std::stable_sort(down.begin(), down.end(),
                         [&](const QString &a, const QString &b) { return collator(names[b.toInt()], names[a.toInt()]); });
        QVERIFY(p->archive([&](frmArc *d) {
            clickHeader(d, 2);
            QCOMPARE(column(d), ids);
            clickHeader(d, 2); // reversed, equal texts still as saved
            QCOMPARE(column(d), down);
        }));
    }

    // Two orders share the number 5. "Удалить" with nothing chosen deletes
    // nothing and says so; the chosen one stays highlighted through a sort and
    // a search, is the one reprinted (a double-click under the lines acts as
    // "OK"), outlives the window and is the one deleted, without a question.
    // Enter and Esc do nothing; the window opens again, and comes back from
    // minimised, with the focus on Command1 and its sort kept; a failed
    // delete is reported and changes nothing.
    void chosenLineSurvivesSearchSortAndClosing()
    {
        QVERIFY(p->sql("insert into arc (id, suma, oderz, datazap) values (5, '1,00', 'Перший', '01.01.2026'), "
                       "(5, '2,00', 'Другий', '02.01.2026'), (6, '3,00', 'Третій', '03.01.2026')"));
        TestSupport::MessageBoxAnswerer seen;
        frmArc *arc = p->archive([&](frmArc *d) {
            button(d, "Command3")->click();
            QCOMPARE(column(d).size(), 3);
            QCOMPARE(seen.seen.value(0).icon, QMessageBox::Critical);
            clickLine(d, 1);
            clickHeader(d, 2);
            QCOMPARE(column(d, 2), QStringList({ "Другий", "Перший", "Третій" }));
            QCOMPARE(highlighted(d, 2), QStringLiteral("Другий"));
            child<QLineEdit>(d, "txtSearch")->setText("перш");
            QCOMPARE(highlighted(d), QString()); // out of sight, still chosen
            child<QLineEdit>(d, "txtSearch")->setText("5");
            QCOMPARE(column(d, 2), QStringList({ "Другий", "Перший" }));
            QCOMPARE(highlighted(d, 2), QStringLiteral("Другий"));
            QTest::keyClick(list(d), Qt::Key_Return);
            QTest::keyClick(d, Qt::Key_Escape);
            QVERIFY(d->isVisible());
            clickLine(d, 1, true, 40);
        });
        QVERIFY(arc);
        QCOMPARE(p->field(Field::RecipientName), QStringLiteral("Другий"));

        seen.seen.clear();
        p->main.setGeometry(20, 40, 500, 300); // the window opens in the screen's middle all the same
        QCOMPARE(p->archive([&](frmArc *d) {
            QCOMPARE(d->frameGeometry().center(), p->main.screen()->availableGeometry().center());
            QCOMPARE(QApplication::focusWidget(), button(d, "Command1"));
            clickHeader(d, 1, 2); // amounts down: Третій, Другий, Перший
            // Minimised with the main window and restored, it has the focus on Command1 again.
            child(d, "txtSearch")->setFocus();
            QCOMPARE(QApplication::focusWidget(), child(d, "txtSearch"));
            d->setWindowState(Qt::WindowMinimized);
            d->setWindowState(Qt::WindowNoState);
            QVERIFY(QTest::qWaitForWindowActive(d));
            QCOMPARE(QApplication::focusWidget(), button(d, "Command1"));
            QVERIFY(p->sql("insert into arc (id, oderz) values (7, 'пізніший')")); // shown only after a reading
            button(d, "Command3")->click();
            QCOMPARE(column(d, 2), QStringList({ "Третій", "Перший" }));
            QCOMPARE(highlighted(d), QString());
            QCOMPARE(totals(d), QStringLiteral("2 поручения на сумму 4,00 грн"));
            QCOMPARE(p->main.statusText(), QStringLiteral("Удалено"));
            QVERIFY(p->sql("create trigger keep before delete on arc begin select raise(abort, 'архив защищен'); end"));
            p->main.setStatusText("-");
            clickLine(d, 1);
            button(d, "Command3")->click();
            QCOMPARE(column(d, 2), QStringList({ "Третій", "Перший" }));
            QCOMPARE(p->main.statusText(), QStringLiteral("-"));
            button(d, "Command1")->click();
        }), arc);
        QCOMPARE(p->main.statusText(), QStringLiteral("Отмена"));
        QCOMPARE(seen.single(), QStringLiteral("Vexaron|error|1|Поручение не удалено.\n\nТаблица не принимает "
                                               "такую запись.\nархив защищен"));
        QCOMPARE(p->rows("select id, oderz from arc order by rowid"),
                 QList<QStringList>({ { "5", "Перший" }, { "6", "Третій" }, { "7", "пізніший" } }));
    }

    // The totals of the lines shown against a sum made here in kopecks, on
    // amounts of every size and some not in the "0,00" form.
    void totalsMatchAnIndependentSum()
    {
        QRandomGenerator random(14);
        QStringList values;
        qint64 orders = 0, kopecks = 0, apart = 0;
        for (int i = 0; i < 3000; ++i) {
            const qint64 k = random.bounded(Q_INT64_C(1), Q_INT64_C(100000000000000));
            const bool odd = i % 97 == 0; // ten of these in 2025
            const QString amount = odd ? QStringList({ "12", "1,5", "-3,00", "1 000,00", "", "1.00" }).at(i / 291 % 6)
                                       : QString::number(k / 100) + ',' + QString::number(k % 100).rightJustified(2, '0');
            values << QStringLiteral("(%1, '%2', '01.06.%3')").arg(i).arg(amount).arg(2024 + i % 3);
            if (i % 3 == 1) { // 2025
                ++orders;
                apart += odd;
                kopecks += odd ? 0 : k;
            }
        }
        QVERIFY(p->sql("insert into arc (id, suma, datazap) values " + values.join(',')));
        QVERIFY(p->archive([&](frmArc *d) {
            setRange(d, "01.01.2025-31.12.2025");
            const ArcModel::Totals t = d->model()->totals();
            QCOMPARE(t.orders, orders);
            QCOMPARE(qint64(t.kopecks), kopecks);
            QCOMPARE(t.notInForm, apart);
            QVERIFY(totals(d).startsWith(QString::number(orders) + " поручени")
                    && totals(d).endsWith(QStringLiteral("; %1 сумм не в формате 0,00").arg(apart))); // 10
            QCOMPARE(cell(d, int(orders) - 1, 0), QStringLiteral("2998")); // a line far down, read when asked for
        }));
    }

    // A purpose of a megabyte and a NULL of another program: the list and the
    // tooltip (every column, the last one too) show the purpose's beginning,
    // the search finds its end; a double-click reprints the order, the purpose
    // whole, the NULL as an empty text, the payer from the requisites.
    void megabyteTextAndNull()
    {
        QVERIFY(p->sql("update firma set firma='Платник'"));
        QVERIFY(p->sql("insert into arc values (1, '1,00', 'Один', NULL, 'Банк', '', 'UA1', 'перший рядок' || char(10) "
                       "|| replace(hex(zeroblob(500000)), '00', 'я') || ' кінець', '01.01.2026')"));
        QVERIFY(p->archive([&](frmArc *d) {
            QCOMPARE(list(d)->viewport()->x(), list(d)->frameWidth()); // no row numbers before the first column
            QCOMPARE(cell(d, 0, 7), QStringLiteral("перший рядок…"));
            QCOMPARE(d->model()->index(0, 3).data(Qt::ToolTipRole).toString(),
                     QStringLiteral("Доручення: 1\nСума: 1,00\nОдержувач: Один\nРах. Одержувача: \nБанк: Банк\n"
                                    "Рах. Банку: \nКредiт: UA1\nОзнака: перший рядок\n")
                             + QString(487, QChar(0x044F)) + QStringLiteral("…\nДата Заповнення: 01.01.2026"));
            child<QLineEdit>(d, "txtSearch")->setText("КІНЕЦЬ");
            QCOMPARE(column(d), QStringList({ "1" }));
            clickLine(d, 0, true);
        }));
        QCOMPARE(QStringList({ p->field(Field::RecipientName), p->field(Field::RecipientCode), p->field(Field::PayerName) }),
                 QStringList({ "Один", "", "Платник" }));
        QCOMPARE(p->field(Field::Purpose).size(), 12 + 1 + 500000 + 7);
    }

    // "QR-код" and "Копировать" act on the chosen line. With none, "QR-код"
    // says so; then it shows the line's window (here without a code: the
    // account is no IBAN, and why), and "Копировать" closes the archive and
    // opens the order entry with the line's values.
    void buttonsActOnTheChosenLine()
    {
        QVERIFY(p->sql(SearchRows));
        QStringList seen;
        QVERIFY(p->archive([&](frmArc *d) {
            TestSupport::whenModal<QMessageBox>([&](QMessageBox *box) { seen << box->text(); box->accept(); }, d);
            button(d, "Command4")->click();
            clickLine(d, 1);
            TestSupport::whenModal<QrWindow>([&](QrWindow *w) {
                seen << child<QLabel>(w, "QrRecipient")->text() << child<QLabel>(w, "QrNote")->text().left(35);
                seen << QString::number(child(w, "QrCopyLink")->isEnabled() + child(w, "QrSave")->isEnabled());
                w->reject();
            }, d);
            button(d, "Command4")->click();
            TestSupport::whenModal<frmCreate>([&](frmCreate *entry) {
                seen << (d->isHidden() ? "archive hidden" : "archive shown") << child<QLabel>(entry, "Text1")->text()
                     << (child<QDateEdit>(entry, "DTPicker1")->date() == QDate::currentDate() ? "today" : "old date");
                for (const char *box : { "Text2", "Text3", "Text4", "Text5", "Text9", "Text6" })
                    seen << child<QLineEdit>(entry, box)->text();
                seen << child<QPlainTextEdit>(entry, "Text8")->toPlainText();
                button(entry, "Command1")->click();
            }, d);
            button(d, "cmdCopy")->click();
        }));
        QCOMPARE(seen, QStringList({ "Выберите поручение в списке.", "Получатель: ФОП Іваненко",
                                     "Кода нет: Счет получателя «UA02» не", "0", "archive hidden", "101", "today",
                                     "10,00", "ФОП Іваненко", "22222222", "ПАТ \"Банк Бета\"", "300002", "UA02",
                                     "згідно рахунку" }));
    }
};

QTEST_MAIN(TstFrmArc)
#include "tst_frmarc.moc"
