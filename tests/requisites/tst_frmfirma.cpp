// The requisites dialog on a real database file.

#include "support/TestSupport.h"

#include "document/DocumentHost.h"
#include "document/Form1.h"
#include "document/SheetFonts.h"
#include "requisites/frmFirma.h"
#include "store/Database.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>
#include <QtTest>

#include <memory>

namespace {

class TestHost : public DocumentHost
{
public:
    void setStatusText(const QString &text) override { status = text; }
    QString statusText() const override { return status; }
    Form1 *documentWindow() override
    {
        if (!document)
            document = new Form1(&window);
        return document;
    }
    QWidget *dialogParent() override { return &window; }

    QWidget window;
    Form1 *document = nullptr;
    QString status = QStringLiteral("Готово:");
};

const char *const BoxNames[] = { "Text1", "Text2", "Text3", "Text4", "Text5" };
const char *const Columns[] = { "firma", "kodfirma", "bank", "kodbank", "rsbank" };

struct Fixture
{
    TestSupport::ProgramFolder folder;
    Database db;
    TestHost host;
    std::unique_ptr<frmFirma> dialog;

    bool openDatabase() { return folder.isValid() && db.open(folder.databasePath()); }
    // Creates the dialog: its Form_Initialize reads the row.
    void create() { dialog = std::make_unique<frmFirma>(db, host, &host.window); }
    bool open()
    {
        if (!openDatabase())
            return false;
        create();
        return true;
    }
    QString path() const { return folder.databasePath(); }

    // What the "Реквизиты" command does, with action run while the dialog is up.
    bool openFirma(const std::function<void()> &action, bool *leftOpen = nullptr, int *result = nullptr)
    {
        host.setStatusText(QStringLiteral("Реквизиты"));
        return TestSupport::whileOpen<frmFirma>(
                dialog.get(),
                [&] {
                    const int r = dialog->exec();
                    if (result)
                        *result = r;
                },
                action, leftOpen);
    }

    QLineEdit *box(int k) const { return dialog->findChild<QLineEdit *>(QString::fromLatin1(BoxNames[k])); }
    QPushButton *button(const char *name) const
    {
        return dialog->findChild<QPushButton *>(QString::fromLatin1(name));
    }
    QStringList boxes() const
    {
        QStringList texts;
        for (int k = 0; k < 5; ++k)
            texts << box(k)->text();
        return texts;
    }
    void setBoxes(const QStringList &texts)
    {
        for (int k = 0; k < 5; ++k)
            box(k)->setText(texts[k]);
    }
    QStringList stored() const
    {
        const QList<QStringList> rows = TestSupport::queryRows(
                path(), QStringLiteral("select firma, kodfirma, bank, kodbank, rsbank from firma"));
        return rows.isEmpty() ? QStringList() : rows.first();
    }
    bool store(const QStringList &values)
    {
        QString sql = QStringLiteral("update firma set ");
        for (int k = 0; k < 5; ++k) {
            QString v = values[k];
            sql += QStringLiteral("%1%2='%3'").arg(k ? "," : "", Columns[k], v.replace("'", "''"));
        }
        return TestSupport::execSql(path(), sql);
    }
};

const QStringList Stored = { "ТОВ \"Вексарон\" п'ять", "12345678", "АТ Ощадбанк", "300465", "26001000012345" };

} // namespace

class TstFrmFirma : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void layout_data();
    void layout();
    void frameAndFonts();
    void opensWithStoredValues();
    void tabOrderAndFocus();
    void changeEnablesSave_data();
    void changeEnablesSave();
    void saveWritesAllFive_data();
    void saveWritesAllFive();
    void saveRestoresColumnsChangedElsewhere();
    void cancelKeepsWhatWasTyped();
    void keysAndCloseRequest();
    void failedUpdateIsReported_data();
    void failedUpdateIsReported();
    void unreadableRowIsReported();
    void lockedRowIsReadAtOpening();
};

void TstFrmFirma::initTestCase()
{
    QVERIFY(SheetFonts::registerFonts());
}

void TstFrmFirma::cleanup()
{
    QVERIFY(!QApplication::activeModalWidget());
}

void TstFrmFirma::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");

    QTest::newRow("Label1_0") << "Label1_0" << "Плательщик" << QRect(135, 315, 1995, 240);
    QTest::newRow("Text1") << "Text1" << "" << QRect(2070, 225, 4875, 330);
    QTest::newRow("Label1_1") << "Label1_1" << "Код Плательщика" << QRect(135, 810, 1815, 240);
    QTest::newRow("Text2") << "Text2" << "" << QRect(2070, 720, 2490, 330);
    QTest::newRow("Label1_2") << "Label1_2" << "Банк Плательщика" << QRect(135, 1305, 1905, 285);
    QTest::newRow("Text3") << "Text3" << "" << QRect(2070, 1215, 4875, 330);
    QTest::newRow("Label1_3") << "Label1_3" << "Код Банка" << QRect(135, 1800, 1725, 240);
    QTest::newRow("Text4") << "Text4" << "" << QRect(2070, 1710, 2490, 330);
    QTest::newRow("Command1") << "Command1" << "Отмена" << QRect(5760, 3645, 1230, 375);
    QTest::newRow("Command2") << "Command2" << "Сохранить" << QRect(4455, 3645, 1230, 375);
    QTest::newRow("Label1_4") << "Label1_4" << "Расчетный счет" << QRect(135, 2295, 1725, 240);
    QTest::newRow("Text5") << "Text5" << "" << QRect(2070, 2205, 2490, 330);
    QTest::newRow("Line1_0") << "Line1_0" << "" << QRect(45, 3240, 6975, 15);
    QTest::newRow("Line1_1") << "Line1_1" << "" << QRect(45, 3255, 6975, 15);
}

void TstFrmFirma::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);

    Fixture f;
    QVERIFY(f.open());
    QWidget *w = f.dialog->findChild<QWidget *>(name);
    QVERIFY(w);
    QCOMPARE(w->geometry(), QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
    if (auto *label = qobject_cast<QLabel *>(w)) {
        QCOMPARE(label->text(), caption);
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
        QCOMPARE(label->font().family(), SheetFonts::sansFamily());
        QCOMPARE(label->font().pointSizeF(), 9.75);
        QVERIFY(!label->font().bold());
    } else if (auto *b = qobject_cast<QPushButton *>(w)) {
        QCOMPARE(b->text(), caption); // no access key
        QVERIFY(!b->isDefault());
        QVERIFY(!b->autoDefault());
    } else if (auto *t = qobject_cast<QLineEdit *>(w)) {
        QCOMPARE(t->font().family(), SheetFonts::sansFamily());
        QCOMPARE(t->font().pointSizeF(), 8.25);
        QVERIFY(t->font().bold());
        QVERIFY(t->maxLength() >= 1 << 30);
    }
}

void TstFrmFirma::frameAndFonts()
{
    Fixture f;
    QVERIFY(f.open());
    frmFirma &d = *f.dialog;
    QCOMPARE(d.objectName(), QStringLiteral("frmFirma"));
    QCOMPARE(d.windowTitle(), QStringLiteral(" Реквизиты Предприятия"));
    QCOMPARE(d.size(), QSize(474, 278));
    QCOMPARE(d.minimumSize(), d.maximumSize());
    // No close, minimise or maximise box.
    QVERIFY(!(d.windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint
                                 | Qt::WindowMaximizeButtonHint)));
    // The shipped face really draws the boxes.
    QCOMPARE(QFontInfo(f.box(0)->font()).family(), SheetFonts::sansFamily());
    QCOMPARE(QFontInfo(d.findChild<QLabel *>("Label1_0")->font()).family(), SheetFonts::sansFamily());
    // The two rules differ in colour: a double line.
    QWidget *l0 = d.findChild<QWidget *>("Line1_0");
    QWidget *l1 = d.findChild<QWidget *>("Line1_1");
    QVERIFY(l0 && l1);
    QVERIFY(l0->palette().color(QPalette::Window) != l1->palette().color(QPalette::Window));
}

void TstFrmFirma::opensWithStoredValues()
{
    Fixture f;
    QVERIFY(f.openDatabase());
    QVERIFY(f.store(Stored));
    f.create();
    QVERIFY(f.dialog->isFilled());
    QCOMPARE(f.boxes(), Stored);
    QVERIFY(!f.button("Command2")->isEnabled()); // although the change handlers ran

    int result = -2;
    QVERIFY(f.openFirma(
            [&] {
                QCOMPARE(f.boxes(), Stored);
                QVERIFY(!f.button("Command2")->isEnabled());
                QTest::mouseClick(f.button("Command2"), Qt::LeftButton); // cannot be pressed yet
                QVERIFY(f.dialog->isVisible());
                QCOMPARE(f.host.status, QStringLiteral("Реквизиты"));
                f.button("Command1")->click();
            },
            nullptr, &result));
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(f.host.status, QStringLiteral("Отмена"));
}

void TstFrmFirma::tabOrderAndFocus()
{
    Fixture f;
    QVERIFY(f.open());
    QVERIFY(f.openFirma([&] {
        QCOMPARE(QApplication::focusWidget(), f.box(0));
        auto tabsTo = [&](const QList<QWidget *> &chain) {
            for (QWidget *next : chain) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QCOMPARE(QApplication::focusWidget(), next);
            }
        };
        // "Сохранить" is disabled and skipped.
        tabsTo({ f.box(1), f.box(2), f.box(3), f.button("Command1"), f.box(4), f.box(0) });
        QTest::keyClicks(f.box(0), "A");
        tabsTo({ f.box(1), f.box(2), f.box(3), f.button("Command1"), f.button("Command2"), f.box(4),
                 f.box(0) });
        f.box(3)->setFocus();
        f.button("Command1")->click();
    }));
    // Focus is in Text1 again at the next opening.
    QVERIFY(f.openFirma([&] {
        QCOMPARE(QApplication::focusWidget(), f.box(0));
        f.button("Command1")->click();
    }));
}

void TstFrmFirma::changeEnablesSave_data()
{
    QTest::addColumn<int>("box");
    for (int k = 0; k < 5; ++k)
        QTest::newRow(BoxNames[k]) << k;
}

void TstFrmFirma::changeEnablesSave()
{
    QFETCH(int, box);
    Fixture f;
    QVERIFY(f.openDatabase());
    QVERIFY(f.store(Stored));
    f.create();
    QVERIFY(f.openFirma([&] {
        // One character typed and deleted again: the text is as it was,
        // "Сохранить" stays enabled.
        f.box(box)->setFocus();
        QTest::keyClick(f.box(box), Qt::Key_End);
        QTest::keyClicks(f.box(box), "x");
        QTest::keyClick(f.box(box), Qt::Key_Backspace);
        QCOMPARE(f.boxes(), Stored);
        QVERIFY(f.button("Command2")->isEnabled());
        for (int k = 0; k < 5; ++k)
            if (k != box)
                QCOMPARE(f.box(k)->text(), Stored[k]);
        f.button("Command1")->click();
    }));
}

void TstFrmFirma::saveWritesAllFive_data()
{
    QTest::addColumn<QStringList>("typed");
    QTest::newRow("apostrophes") << QStringList { "ТОВ \"Об'єднання\"", "'", "Банк ''Надiя''", "' or 1=1 --",
                                                   "2600'1" };
    QTest::newRow("empty") << QStringList { "", "", "", "", "" };
    QTest::newRow("blanks kept") << QStringList { "  ПП Сонях  ", " 1 ", "\t", "300 465", " " };
    QTest::newRow("long") << QStringList { QString(40000, QChar(u'Ж')), "1", "2", "3", "4" };
}

void TstFrmFirma::saveWritesAllFive()
{
    QFETCH(QStringList, typed);
    Fixture f;
    QVERIFY(f.openDatabase());
    QVERIFY(f.store(Stored));
    f.create();
    int result = -2;
    bool leftOpen = true;
    QVERIFY(f.openFirma(
            [&] {
                f.setBoxes(typed);
                QVERIFY(f.button("Command2")->isEnabled());
                QTest::mouseClick(f.button("Command2"), Qt::LeftButton);
            },
            &leftOpen, &result));
    QVERIFY(!leftOpen);
    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY(f.dialog->isHidden());
    QCOMPARE(f.host.status, QStringLiteral("Сохранено"));
    QVERIFY(!f.button("Command2")->isEnabled());
    QCOMPARE(f.stored(), typed);
    // The next opening shows the same window as it was left.
    QVERIFY(f.openFirma([&] {
        QCOMPARE(f.boxes(), typed);
        QVERIFY(!f.button("Command2")->isEnabled());
        f.button("Command1")->click();
    }));
}

void TstFrmFirma::saveRestoresColumnsChangedElsewhere()
{
    Fixture f;
    QVERIFY(f.openDatabase());
    QVERIFY(f.store(Stored));
    f.create();
    QStringList elsewhere = Stored;
    elsewhere[1] = "87654321";
    elsewhere[4] = "changed elsewhere";
    QVERIFY(f.store(elsewhere)); // after the dialog read the row
    QVERIFY(f.openFirma([&] {
        f.box(2)->setText("АТ Приватбанк"); // only the bank edited
        f.button("Command2")->click();
    }));
    QStringList expected = Stored;
    expected[2] = "АТ Приватбанк";
    QCOMPARE(f.stored(), expected);
}

void TstFrmFirma::cancelKeepsWhatWasTyped()
{
    Fixture f;
    QVERIFY(f.openDatabase());
    QVERIFY(f.store(Stored));
    f.create();
    frmFirma *first = f.dialog.get();
    QVERIFY(f.openFirma([&] {
        f.box(1)->setText("99999999");
        f.button("Command1")->click();
    }));
    QCOMPARE(f.host.status, QStringLiteral("Отмена"));
    QVERIFY(f.dialog->isHidden());
    QCOMPARE(f.stored(), Stored); // nothing written

    // The row is not read again during the run.
    QStringList elsewhere = Stored;
    elsewhere[0] = "Iнша назва";
    QVERIFY(f.store(elsewhere));
    QVERIFY(f.openFirma([&] {
        QCOMPARE(f.dialog.get(), first);
        QStringList expected = Stored;
        expected[1] = "99999999";
        QCOMPARE(f.boxes(), expected);
        QVERIFY(f.button("Command2")->isEnabled());
        f.button("Command1")->click();
    }));
    QCOMPARE(f.stored(), elsewhere);
}

void TstFrmFirma::keysAndCloseRequest()
{
    Fixture f;
    QVERIFY(f.openDatabase());
    QVERIFY(f.store(Stored));
    f.create();
    bool leftOpen = true;
    QVERIFY(f.openFirma(
            [&] {
                f.box(0)->setText("Нова назва");
                // Esc and Enter in a box do nothing: no cancel and no default button.
                QTest::keyClick(f.box(0), Qt::Key_Escape);
                QTest::keyClick(f.box(0), Qt::Key_Return);
                QVERIFY(f.dialog->isVisible());
                QCOMPARE(f.stored(), Stored);
                // A close request that gets past the missing close box is "Отмена".
                f.dialog->close();
            },
            &leftOpen));
    QVERIFY(!leftOpen);
    QCOMPARE(f.host.status, QStringLiteral("Отмена"));
    QCOMPARE(f.stored(), Stored);

    QVERIFY(f.openFirma([&] {
        QCOMPARE(f.box(0)->text(), QStringLiteral("Нова назва"));
        // Enter on a focused button presses it.
        f.button("Command2")->setFocus();
        QTest::keyClick(f.button("Command2"), Qt::Key_Return);
    }));
    QCOMPARE(f.host.status, QStringLiteral("Сохранено"));
    QCOMPARE(f.stored().value(0), QStringLiteral("Нова назва"));
}

void TstFrmFirma::failedUpdateIsReported_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("message");
    QTest::newRow("refused by the engine")
            << "create trigger keep before update on firma begin select raise(abort, 'реквизиты защищены'); end"
            << "реквизиты защищены";
    QTest::newRow("no firma row") << "delete from firma"
                                  << "В таблице firma нет строки реквизитов: сохранять некуда.";
}

void TstFrmFirma::failedUpdateIsReported()
{
    QFETCH(QString, sql);
    QFETCH(QString, message);
    Fixture f;
    QVERIFY(f.openDatabase());
    QVERIFY(f.store(Stored));
    QVERIFY(TestSupport::execSql(f.path(), sql));
    const QStringList before = f.stored();
    f.create();
    TestSupport::MessageBoxAnswerer boxes;
    bool leftOpen = false;
    QVERIFY(f.openFirma(
            [&] {
                f.box(4)->setText("26009999999999");
                f.button("Command2")->click();
                QVERIFY(f.dialog->isVisible());
                QVERIFY(f.button("Command2")->isEnabled());
                QCOMPARE(f.box(4)->text(), QStringLiteral("26009999999999"));
                QCOMPARE(f.host.status, QStringLiteral("Реквизиты"));
                f.button("Command1")->click();
            },
            &leftOpen));
    QVERIFY(!leftOpen);
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].title, QStringLiteral("Vexaron"));
    QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
    QVERIFY2(boxes.seen[0].text.contains(message), qPrintable(boxes.seen[0].text));
    QCOMPARE(boxes.seen[0].buttons.size(), 1);
    QCOMPARE(f.stored(), before);
    QCOMPARE(f.host.status, QStringLiteral("Отмена"));
}

void TstFrmFirma::unreadableRowIsReported()
{
    // A firma whose reading fails inside the engine.
    Fixture f;
    QVERIFY(f.folder.isValid());
    QVERIFY(TestSupport::execSql(f.path(), "alter table firma rename to firma0"));
    QVERIFY(TestSupport::execSql(f.path(), "create view firma as select * from firma0 "
                                           "where abs(-9223372036854775808) > 0"));
    QVERIFY2(f.db.open(f.path()), qPrintable(f.db.errorText()));
    f.create();
    QVERIFY(!f.dialog->isFilled());

    TestSupport::MessageBoxAnswerer boxes;
    f.host.setStatusText(QStringLiteral("Реквизиты"));
    QCOMPARE(f.dialog->exec(), int(QDialog::Rejected)); // never shown with empty boxes
    QVERIFY(f.dialog->isHidden());
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].title, QStringLiteral("Vexaron"));
    QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
    QVERIFY2(boxes.seen[0].text.contains("overflow"), qPrintable(boxes.seen[0].text));
    QCOMPARE(f.host.status, QStringLiteral("Реквизиты"));
}

void TstFrmFirma::lockedRowIsReadAtOpening()
{
    // Another program holds the file locked while the dialog is created
    // (waits out the busy timeout); once it lets go, the opening reads the row.
    Fixture f;
    QVERIFY(f.openDatabase());
    QVERIFY(f.store(Stored));
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", name);
        other.setDatabaseName(f.path());
        QVERIFY(other.open());
        QSqlQuery lock(other);
        QVERIFY(lock.exec("BEGIN EXCLUSIVE"));
        f.create();
        QVERIFY(!f.dialog->isFilled());
        QCOMPARE(f.boxes(), QStringList({ "", "", "", "", "" }));
        QVERIFY(lock.exec("ROLLBACK"));
        lock.finish();
        other.close();
    }
    QSqlDatabase::removeDatabase(name);

    TestSupport::MessageBoxAnswerer boxes;
    QVERIFY(f.openFirma([&] {
        QCOMPARE(f.boxes(), Stored);
        QVERIFY(!f.button("Command2")->isEnabled());
        f.button("Command1")->click();
    }));
    QVERIFY(f.dialog->isFilled());
    QVERIFY(boxes.seen.isEmpty());
}

QTEST_MAIN(TstFrmFirma)
#include "tst_frmfirma.moc"
