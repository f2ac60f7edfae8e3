// The "Архив" and "Реквизиты" commands of the real main window, and the two
// dialogs working together: requisites edited, then an order reprinted.

#include "ArchiveFixture.h"

#include "app/MDIForm1.h"
#include "archive/ArcModel.h"
#include "archive/frmArc.h"
#include "document/SheetFonts.h"
#include "requisites/frmFirma.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using Sheet::Field;

namespace {

// Triggers command and runs action on the dialog D it opens modally; the
// dialog must be closed by the action. Returns the dialog seen, or null.
template<typename D>
D *duringCommand(QAction *command, const std::function<void(D *)> &action, bool *leftOpen = nullptr)
{
    D *seen = nullptr;
    bool stillOpen = false;
    TestSupport::WhenModal *watcher = TestSupport::whenModal<D>([&](D *d) {
        seen = d;
        if (QTest::qWaitForWindowActive(d))
            action(d);
        if (d->isVisible()) {
            stillOpen = true;
            d->done(-1);
        }
    });
    command->trigger();
    delete watcher;
    if (leftOpen)
        *leftOpen = stillOpen;
    return seen;
}

QPushButton *button(QWidget *dialog, const char *name)
{
    return dialog->findChild<QPushButton *>(QString::fromLatin1(name));
}

QTableView *list(QWidget *dialog)
{
    return dialog->findChild<QTableView *>(QStringLiteral("ListView1"));
}

} // namespace

class TstArchiveCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(SheetFonts::registerFonts()); }
    void cleanup() { QVERIFY(!QApplication::activeModalWidget()); }

    void archiveCommand_data();
    void archiveCommand();
    void requisitesCommand_data();
    void requisitesCommand();
    void requisitesEditedThenReprinted();
};

void TstArchiveCommands::archiveCommand_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("menu") << "mnuArchive";
    QTest::newRow("toolbar") << "Toolbar1_Button2";
}

void TstArchiveCommands::archiveCommand()
{
    QFETCH(QString, command);
    TestSupport::ProgramFolder folder;
    QVERIFY(folder.isValid());
    MDIForm1 main(folder.path());
    QVERIFY(main.MDIForm_Load());
    main.show();
    main.showDocumentWindow();
    QAction *action = main.findChild<QAction *>(command);
    QVERIFY(action);
    OtherConnection other(folder.databasePath());
    QVERIFY(other.insertOrders({ order(1), order(2) }));

    main.setStatusText(QStringLiteral("Сохранено"));
    frmArc *first = duringCommand<frmArc>(action, [&](frmArc *d) {
        QCOMPARE(main.statusText(), QStringLiteral("Архив"));
        QCOMPARE(d->parentWidget(), &main);
        QCOMPARE(d->model()->rowCount(), 2);
        QCOMPARE(QApplication::focusWidget(), button(d, "Command1"));
        clickLine(list(d), 1);
        button(d, "Command1")->click();
    });
    QVERIFY(first);
    QCOMPARE(main.statusText(), QStringLiteral("Отмена"));

    // The same window; the list is read again, the choice is kept.
    QVERIFY(other.insertOrders({ order(3) }));
    frmArc *second = duringCommand<frmArc>(action, [&](frmArc *d) {
        QCOMPARE(d->model()->rowCount(), 3);
        QCOMPARE(d->selectedId(), 2);
        button(d, "Command2")->click();
    });
    QCOMPARE(second, first);
    QCOMPARE(main.findChildren<frmArc *>().size(), 1);
    QCOMPARE(main.documentWindow()->field(Field::OrderNumber), QStringLiteral("2"));
    QCOMPARE(main.statusText(), QStringLiteral("Готово:"));
}

void TstArchiveCommands::requisitesCommand_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("menu") << "mnuFirma";
    QTest::newRow("toolbar") << "Toolbar1_Button3";
}

void TstArchiveCommands::requisitesCommand()
{
    QFETCH(QString, command);
    TestSupport::ProgramFolder folder;
    QVERIFY(folder.isValid());
    MDIForm1 main(folder.path());
    QVERIFY(main.MDIForm_Load());
    main.show();
    QAction *action = main.findChild<QAction *>(command);
    QVERIFY(action);

    frmFirma *first = duringCommand<frmFirma>(action, [&](frmFirma *d) {
        QCOMPARE(main.statusText(), QStringLiteral("Реквизиты"));
        QCOMPARE(d->parentWidget(), &main);
        d->findChild<QLineEdit *>("Text3")->setText("АТ Банк");
        button(d, "Command1")->click();
    });
    QVERIFY(first);
    QCOMPARE(main.statusText(), QStringLiteral("Отмена"));
    frmFirma *second = duringCommand<frmFirma>(action, [&](frmFirma *d) {
        QCOMPARE(d->findChild<QLineEdit *>("Text3")->text(), QStringLiteral("АТ Банк"));
        QVERIFY(button(d, "Command2")->isEnabled());
        button(d, "Command2")->click();
    });
    QCOMPARE(second, first);
    QCOMPARE(main.findChildren<frmFirma *>().size(), 1);
    QCOMPARE(main.statusText(), QStringLiteral("Сохранено"));
    QCOMPARE(TestSupport::queryRows(folder.databasePath(), "select bank from firma"),
             QList<QStringList>({ { "АТ Банк" } }));
}

void TstArchiveCommands::requisitesEditedThenReprinted()
{
    TestSupport::ProgramFolder folder;
    QVERIFY(folder.isValid());
    QVERIFY(TestSupport::execSql(folder.databasePath(),
                                 "update firma set firma='Старий платник', kodfirma='11111111', bank='Банк 1', "
                                 "kodbank='300001', rsbank='2600111'"));
    OtherConnection other(folder.databasePath());
    QVERIFY(other.insertOrders({ order(6), OrderRecord { "7", "1234,56", "ПП Сонях", "22334455", "АТ Банк",
                                                         "305299", "26009876543210", "Оплата", "07.03.2026" } }));
    MDIForm1 main(folder.path());
    QVERIFY(main.MDIForm_Load());
    main.show();
    main.showDocumentWindow();
    QAction *archive = main.findChild<QAction *>("mnuArchive");
    QAction *firma = main.findChild<QAction *>("mnuFirma");

    auto reprintSecond = [&] {
        QVERIFY(duringCommand<frmArc>(archive, [&](frmArc *d) {
            clickLine(list(d), 1);
            button(d, "Command2")->click();
        }));
    };
    auto field = [&](Field f) { return main.documentWindow()->field(f); };

    // Edited but cancelled: the table and the reprint keep the old payer.
    QVERIFY(duringCommand<frmFirma>(firma, [&](frmFirma *d) {
        d->findChild<QLineEdit *>("Text1")->setText("Новий платник");
        button(d, "Command1")->click();
    }));
    reprintSecond();
    QCOMPARE(field(Field::PayerName), QStringLiteral("Старий платник"));

    // Saved: the reprint shows the new payer with the order as stored.
    QVERIFY(duringCommand<frmFirma>(firma, [&](frmFirma *d) {
        QCOMPARE(d->findChild<QLineEdit *>("Text1")->text(), QStringLiteral("Новий платник"));
        d->findChild<QLineEdit *>("Text5")->setText("2600222");
        button(d, "Command2")->click();
    }));
    reprintSecond();
    QCOMPARE(main.statusText(), QStringLiteral("Готово:"));
    QCOMPARE(field(Field::PayerName), QStringLiteral("Новий платник"));
    QCOMPARE(field(Field::PayerCode), QStringLiteral("11111111"));
    QCOMPARE(field(Field::PayerBank), QStringLiteral("Банк 1"));
    QCOMPARE(field(Field::PayerBankCode), QStringLiteral("300001"));
    QCOMPARE(field(Field::DebitAccount), QStringLiteral("2600222"));
    QCOMPARE(field(Field::OrderNumber), QStringLiteral("7"));
    QCOMPARE(field(Field::AmountInFigures), QStringLiteral("1234,56"));
    QCOMPARE(field(Field::RecipientName), QStringLiteral("ПП Сонях"));
    QCOMPARE(field(Field::RecipientBank), QStringLiteral("АТ Банк"));
    QCOMPARE(field(Field::CreditAccount), QStringLiteral("26009876543210"));
    QCOMPARE(field(Field::Purpose), QStringLiteral("Оплата"));
    QCOMPARE(field(Field::DateLine), QStringLiteral("вiд 07 березня 2026 р."));
    QCOMPARE(field(Field::AmountInWords), QStringLiteral("(одна тисяча двiстi тридцять чотири гр. 56 коп.)"));
}

QTEST_MAIN(TstArchiveCommands)
#include "tst_archive_commands.moc"
