// The main window: start-up, its furniture, keeping the document centred,
// refusing a database it cannot use, and ending the program.
#include "app/Centring.h"
#include "app/MDIForm1.h"
#include "app/StartUp.h"
#include "document/Form1.h"
#include "store/DeliveredDatabase.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using TestSupport::ProgramFolder;

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void startUpShowsEverything();
    void menus();
    void toolbar();
    void statusBar();
    void centring_data();
    void centring();
    void resizingRecentres();
    void refusesDatabase_data();
    void refusesDatabase();
    void startsInFolderNamedNotInUtf8();
    void closingEndsTheProgram_data();
    void closingEndsTheProgram();
};

void TestMainWindow::startUpShowsEverything()
{
    ProgramFolder folder;
    QElapsedTimer timer;
    timer.start();
    auto main = StartUp(folder.path(), 1000);
    QVERIFY(main);
    QVERIFY(timer.elapsed() >= 1000); // the pause comes before the document shows
    QCOMPARE(main->objectName(), QString("MDIForm1"));
    QCOMPARE(main->windowTitle(), QString("Платежное поручение"));
    QVERIFY(main->isVisible());
    QVERIFY(main->windowState() & Qt::WindowMaximized);
    QVERIFY(main->database().isOpen());
    QCOMPARE(main->database().path(), folder.databasePath());

    Form1 *form = main->documentWindow();
    QVERIFY(form);
    QVERIFY(form->isVisible());
    QCOMPARE(form->size(), QSize(779, 565));
    QVERIFY(main->isAncestorOf(form));
    QCOMPARE(main->findChildren<Form1 *>().size(), 1);
    QCOMPARE(main->documentWindow(), form); // one for the whole run

    const QList<QSize> sizes = main->windowIcon().availableSizes();
    QVERIFY(sizes.contains(QSize(16, 16)));
    QVERIFY(sizes.contains(QSize(32, 32)));
}

void TestMainWindow::menus()
{
    ProgramFolder folder;
    auto main = StartUp(folder.path(), 0);
    QVERIFY(main);
    const QList<QAction *> tops = main->menuBar()->actions();
    QCOMPARE(tops.size(), 2);
    QCOMPARE(tops.at(0)->text(), QString("&Заполнение"));
    QCOMPARE(tops.at(0)->menu()->objectName(), QString("mnuCreate"));
    QCOMPARE(tops.at(1)->text(), QString("&Справка"));
    QCOMPARE(tops.at(1)->menu()->objectName(), QString("mnuHelp_"));

    auto items = [](QMenu *menu) {
        QStringList list;
        for (QAction *a : menu->actions()) {
            list << a->objectName() + "=" + (a->isSeparator() ? QString("-") : a->text());
            if (!a->isEnabled() || !a->isVisible() || !a->shortcut().isEmpty())
                list << "BAD " + a->objectName();
        }
        return list;
    };
    QCOMPARE(items(tops.at(0)->menu()),
             QStringList({ "mnuNew=Новый", "mnuArchive=Архив", "mnuFirma=Реквизиты предприятия",
                           "separator=-", "mnuPrintSetup=Настройка печати...", "mnuPrint=Печать",
                           "separator1=-", "mnuClose=Выход" }));
    QCOMPARE(items(tops.at(1)->menu()),
             QStringList({ "mnuHelp=Помощь     ", "mnuAbout=О программе", "mnuEditor=Автор" }));
}

void TestMainWindow::toolbar()
{
    ProgramFolder folder;
    auto main = StartUp(folder.path(), 0);
    QVERIFY(main);
    auto *bar = main->findChild<QToolBar *>("Toolbar1");
    QVERIFY(bar);
    QCOMPARE(main->toolBarArea(bar), Qt::TopToolBarArea);
    QCOMPARE(bar->height(), 555 / 15);
    QCOMPARE(bar->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    QVERIFY(!bar->isMovable());

    const QStringList captions = { "  Новый   ", "   Архив    ", "   Рек-ты    ", "Печать" };
    const QStringList tips = { "Новое поручение", "Просмотр архива", "Заполнение константы",
                               "Вывод документа на печать" };
    const QList<QAction *> actions = bar->actions();
    QCOMPARE(actions.size(), 5);
    for (int i = 0; i < 4; ++i) {
        QAction *a = actions.at(i);
        QCOMPARE(a->objectName(), QString("Toolbar1_Button%1").arg(i + 1));
        auto *button = qobject_cast<QToolButton *>(bar->widgetForAction(a));
        QVERIFY(button);
        QCOMPARE(button->text(), captions.at(i));
        QCOMPARE(button->toolTip(), tips.at(i));
        QVERIFY(a->shortcut().isEmpty());
        QCOMPARE(a->icon().pixmap(QSize(16, 15)).size(), QSize(16, 15));
    }
    QVERIFY(actions.at(4)->isSeparator());
    // The four images differ from one another.
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j)
            QVERIFY(actions.at(i)->icon().pixmap(16, 15).toImage()
                    != actions.at(j)->icon().pixmap(16, 15).toImage());
}

void TestMainWindow::statusBar()
{
    ProgramFolder folder;
    auto main = StartUp(folder.path(), 0);
    QVERIFY(main);
    QStatusBar *bar = main->statusBar();
    QCOMPARE(bar->objectName(), QString("StatusBar1"));
    QCOMPARE(bar->height(), 330 / 15);
    auto *panel = bar->findChild<QLabel *>("Panel1");
    QVERIFY(panel);
    QCOMPARE(panel->width(), 1440 / 15);
    QCOMPARE(panel->text(), QString("Готово:"));
    QCOMPARE(main->statusText(), QString("Готово:"));
    main->setStatusText("Архив");
    QCOMPARE(panel->text(), QString("Архив"));
    QVERIFY(bar->currentMessage().isEmpty());
}

void TestMainWindow::centring_data()
{
    QTest::addColumn<double>("clientWidth");
    QTest::addColumn<double>("clientHeight");
    QTest::addColumn<QPointF>("origin");
    // The restored design size: the document is the larger, so it stands out.
    QTest::newRow("restored") << 9615.0 << 7560.0 - 555 - 330 << QPointF(-1035, -900);
    // An odd difference keeps its half twip.
    QTest::newRow("half twip") << 11686.0 << 8476.0 << QPointF(0.5, 0.5);
    QTest::newRow("odd negative") << 11684.0 << 8000.0 << QPointF(-0.5, -237.5);
    QTest::newRow("maximized") << 28800.0 << 14850.0 << QPointF(8557.5, 3187.5);
}

void TestMainWindow::centring()
{
    QFETCH(double, clientWidth);
    QFETCH(double, clientHeight);
    QFETCH(QPointF, origin);
    const QPointF got = centredOrigin(clientWidth, clientHeight, Form1::WidthTwips, Form1::HeightTwips);
    QCOMPARE(got.x(), origin.x());
    QCOMPARE(got.y(), origin.y());
}

void TestMainWindow::resizingRecentres()
{
    ProgramFolder folder;
    auto main = StartUp(folder.path(), 0);
    QVERIFY(main);
    auto *frame = main->findChild<QMdiSubWindow *>("Form1Frame");
    QVERIFY(frame);
    const QSize formSize = main->documentWindow()->size();
    for (const QSize &size : { QSize(700, 500), QSize(1200, 900), QSize(1601, 1001), QSize(640, 480) }) {
        main->showNormal();
        main->resize(size);
        QCoreApplication::processEvents();
        const QSizeF client = main->clientSizeTwips();
        const QPointF expected = centredOrigin(client.width(), client.height(), Form1::WidthTwips,
                                               Form1::HeightTwips);
        QCOMPARE(main->documentOriginTwips(), expected);
        QCOMPARE(frame->pos(), QPoint(qRound(expected.x() / 15), qRound(expected.y() / 15)));
        QCOMPARE(main->documentWindow()->size(), formSize); // never resized
    }
}

void TestMainWindow::refusesDatabase_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    // Every kind of refused file is tried against the store; here the
    // message and the exit status of the whole program.
    QTest::newRow("missing") << "missing" << "не найден";
    QTest::newRow("text") << "text" << "not a database";
    QTest::newRow("damaged") << "damaged" << "повреждён";
    QTest::newRow("arc a view") << "view" << "представление";
}

void TestMainWindow::refusesDatabase()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath("vexa.mdb");
    if (kind == "damaged") {
        QVERIFY(DeliveredDatabase::create(path)
                && TestSupport::execSql(path, "insert into arc (id, oderz) values (1, 'a'), (2, 'b')")
                && TestSupport::damageDatabase(path, TestSupport::Damage::CellCountShort));
    } else if (kind == "view") {
        QVERIFY(TestSupport::writeSqlite(path, "create table firma (n, firma, kodfirma, bank, kodbank, rsbank);"
                                               "create view arc as select 1 as id, 2, 3, 4, 5, 6, 7, 8, 9"));
    } else if (kind != "missing") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        if (kind == "text")
            f.write(QByteArray("not a database at all\n").repeated(100));
    }

    TestSupport::MessageBoxAnswerer answerer;
    const int status = RunProgram(dir.path());
    QCOMPARE(status, 1);
    QCOMPARE(answerer.seen.size(), 1);
    const TestSupport::SeenBox box = answerer.seen.first();
    QCOMPARE(box.title, QString("Vexaron"));
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.buttons.size(), 1);
    QVERIFY2(box.text.contains(QDir::toNativeSeparators(path)), qPrintable(box.text));
    QVERIFY2(box.text.contains(reason, Qt::CaseInsensitive), qPrintable(box.text));
    // No main window is left behind, and a missing file is not created.
    for (QWidget *w : QApplication::topLevelWidgets())
        QVERIFY(!w->isVisible() || !qobject_cast<QMainWindow *>(w));
    if (kind == "missing")
        QVERIFY(!QFileInfo::exists(path));
}

// The program in a folder whose name is not UTF-8 (bytes Qt cannot keep in
// a QString) opens its database there and keeps it open, instead of
// refusing it.
void TestMainWindow::startsInFolderNamedNotInUtf8()
{
    QTemporaryDir dir;
    const QByteArray odd = QFile::encodeName(dir.path()) + "/\xd0\xbc\xff\xfe";
    const auto removeOdd = qScopeGuard([&] { // beyond Qt's reach
        for (const char *file : { "/vexaron", "/vexa.mdb" })
            ::unlink((odd + file).constData());
        ::rmdir(odd.constData());
    });
    QVERIFY(::mkdir(odd.constData(), 0755) == 0);
    QFile program(qEnvironmentVariable("VEXA_PROGRAM_DIR") + "/vexaron");
    QVERIFY(program.open(QIODevice::ReadOnly));
    const QByteArray bytes = program.readAll();
    const int copy = ::open((odd + "/vexaron").constData(), O_WRONLY | O_CREAT | O_TRUNC, 0755);
    QVERIFY(copy >= 0);
    const bool copied = ::write(copy, bytes.constData(), size_t(bytes.size())) == bytes.size();
    ::close(copy);
    QVERIFY(copied);
    ProgramFolder folder;
    QVERIFY(::rename(QFile::encodeName(folder.databasePath()).constData(), (odd + "/vexa.mdb").constData()) == 0);

    QProcess run;
    run.setWorkingDirectory(dir.path());
    run.start("/bin/sh", { "-c", "exec \"./$(printf '\\320\\274\\377\\376')/vexaron\"" });
    QVERIFY(run.waitForStarted());
    const auto stop = qScopeGuard([&] {
        run.kill();
        run.waitForFinished();
    });
    // An open database is a descriptor of the running program on the file;
    // a refused one was closed again, and a message waits for a click.
    const QByteArray fds = "/proc/" + QByteArray::number(run.processId()) + "/fd";
    const auto holdsDatabase = [&] {
        for (const QString &fd : QDir(QString::fromLatin1(fds)).entryList(QDir::Files | QDir::System)) {
            char target[PATH_MAX];
            const ssize_t length = ::readlink((fds + '/' + fd.toLatin1()).constData(), target, sizeof target);
            if (length > 0 && QByteArray(target, int(length)) == odd + "/vexa.mdb")
                return true;
        }
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(holdsDatabase(), 20000);
    QCOMPARE(run.state(), QProcess::Running);
}

void TestMainWindow::closingEndsTheProgram_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("close button") << "close";
    QTest::newRow("Выход") << "mnuClose";
}

void TestMainWindow::closingEndsTheProgram()
{
    QFETCH(QString, how);
    ProgramFolder folder;
    auto main = StartUp(folder.path(), 0);
    QVERIFY(main);
    main->documentWindow()->setField(Sheet::Field::PayerName, "unsaved");
    QTimer::singleShot(0, main.get(), [&] {
        if (how == "close")
            main->close();
        else
            main->findChild<QAction *>("mnuClose")->trigger();
    });
    // A watchdog ends the loop with another status if closing did not.
    QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
    TestSupport::MessageBoxAnswerer answerer;
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(answerer.seen.isEmpty()); // no question asked
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
