// The main window: start-up, keeping the document centred, refusing a
// database it cannot use, starting in a folder with an odd name, and ending
// the program.
#include "app/MDIForm1.h"
#include "app/StartUp.h"
#include "document/Form1.h"
#include "document/SheetFonts.h"
#include "support/TestSupport.h"

#include <QMdiSubWindow>
#include <QMenuBar>
#include <QtTest>

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Pictures independent of the system's fonts.
        QVERIFY(SheetFonts::registerFonts());
        QApplication::setFont(QFont(SheetFonts::sansFamily(), 9));
    }

    // The pause comes before the document shows; the window opens maximized
    // on the folder's database, the document of design size inside it. At
    // any window size the document stays centred in the client area
    // (standing out on both sides when larger) and is never resized.
    void startUp()
    {
        TestSupport::ProgramFolder folder;
        const QDeadlineTimer pause(1000);
        auto main = StartUp(folder.path(), 1000);
        QVERIFY(main);
        QVERIFY(pause.hasExpired());
        QCOMPARE(main->windowTitle(), QString("Платежное поручение"));
        QVERIFY(main->isVisible() && (main->windowState() & Qt::WindowMaximized));
        QVERIFY(main->database().isOpen());
        QCOMPARE(main->database().path(), folder.databasePath());
        QVERIFY(main->documentWindow()->isVisible() && main->isAncestorOf(main->documentWindow()));
        const QList<QSize> sizes = main->windowIcon().availableSizes();
        QVERIFY(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(32, 32)));
        // Each menu as it opens, against a reference picture: its items' texts and order.
        for (QAction *title : main->menuBar()->actions()) {
            QMenu *menu = title->menu();
            menu->popup(main->mapToGlobal(QPoint(0, 0)));
            QVERIFY(QTest::qWaitForWindowExposed(menu));
            const QString fault = TestSupport::differsFromReference(menu->grab().toImage(), "app/" + menu->objectName());
            menu->close();
            QVERIFY2(fault.isEmpty(), qPrintable(fault));
        }
        auto *frame = main->findChild<QMdiSubWindow *>("Form1Frame");
        for (const QSize &size : { QSize(700, 500), QSize(1601, 1001), QSize(640, 480), QSize(900, 640) }) {
            main->showNormal();
            main->resize(size);
            QCoreApplication::processEvents();
            const QSizeF client = main->clientSizeTwips() / 15;
            const QPointF off(2 * frame->x() + 779 - client.width(), 2 * frame->y() + 565 - client.height());
            QVERIFY2(qAbs(off.x()) <= 1 && qAbs(off.y()) <= 1, qPrintable(QString::number(size.width())));
            QCOMPARE(main->documentWindow()->size(), QSize(779, 565));
        }
        // Menu bar, toolbar, status bar and document as drawn, against a reference
        // picture (VEXA_UPDATE_PICTURES=1 writes it anew).
        const QString fault = TestSupport::differsFromReference(main->grab().toImage(), "app/mainwindow");
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }

    // The whole program on a database it cannot use (every kind of refused
    // file is tried against the store): the message naming the file and the
    // reason, exit status 1, no main window left, a missing file not created.
    void refusesDatabase_data()
    {
        QTest::addColumn<QByteArray>("contents"); // empty: no file
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << QByteArray() << "не найден";
        QTest::newRow("not a database") << QByteArray(2000, 'x') << "not a database";
    }

    void refusesDatabase()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath("vexa.mdb");
        QFile f(path);
        QVERIFY(contents.isEmpty() || (f.open(QIODevice::WriteOnly) && f.write(contents) > 0 && f.flush()));

        TestSupport::MessageBoxAnswerer answerer;
        QCOMPARE(RunProgram(dir.path()), 1);
        const QString box = answerer.single(); // title|icon|buttons|text
        QVERIFY2(box.startsWith("Vexaron|error|1|") && box.contains(QDir::toNativeSeparators(path))
                         && box.contains(reason, Qt::CaseInsensitive), qPrintable(box));
        for (QWidget *w : QApplication::topLevelWidgets())
            QVERIFY(!w->isVisible() || !qobject_cast<QMainWindow *>(w));
        QCOMPARE(QFileInfo::exists(path), !contents.isEmpty());
        // The run loaded Qt's own translations: its printer dialog speaks Russian.
        QCOMPARE(QCoreApplication::translate("QPrintDialog", "Print"), QString("Печать"));
    }

    // The program in a folder whose name is not UTF-8 (bytes Qt cannot keep
    // in a QString) opens its database there and keeps it open, instead of
    // refusing it.
    void startsInFolderNamedNotInUtf8()
    {
        QTemporaryDir dir;
        // Removed beyond Qt's reach.
        const auto removeAll = qScopeGuard([&] { QProcess::execute("/bin/rm", { "-rf", dir.path() }); });
        const QByteArray odd = QFile::encodeName(dir.path()) + "/\xd0\xbc\xff\xfe";
        TestSupport::ProgramFolder folder;
        // The folder made by its bytes, the program and a database copied into it and started there.
        QProcess run;
        run.start("/bin/sh", { "-c", "cd \"$1\" && d=\"$(printf '\\320\\274\\377\\376')\" && mkdir \"$d\" && "
                                     "cp \"$VEXA_PROGRAM_DIR/vexaron\" \"$2\" \"$d\" && exec \"./$d/vexaron\"",
                               "sh", dir.path(), folder.databasePath() });
        QVERIFY(run.waitForStarted()); // and killed with `run`
        // An open database is a descriptor of the running program on the
        // file; a refused one was closed again, and a message waits for a click.
        const auto holdsDatabase = [&] {
            QProcess ls;
            ls.start("/bin/sh", { "-c", "readlink /proc/$1/fd/*", "sh", QString::number(run.processId()) });
            return ls.waitForFinished() && ls.readAllStandardOutput().split('\n').contains(odd + "/vexa.mdb");
        };
        QTRY_VERIFY_WITH_TIMEOUT(holdsDatabase(), 20000);
    }

    // No question is asked, whether by the close button or by "Выход".
    void closingEndsTheProgram_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("close button") << "close";
        QTest::newRow("Выход") << "mnuClose";
    }

    void closingEndsTheProgram()
    {
        QFETCH(QString, how);
        TestSupport::ProgramFolder folder;
        auto main = StartUp(folder.path(), 0);
        QVERIFY(main);
        main->documentWindow()->setField(Sheet::Field::PayerName, "unsaved");
        QTimer::singleShot(0, main.get(), [&] {
            how == "close" ? void(main->close()) : main->findChild<QAction *>("mnuClose")->trigger();
        });
        QTimer::singleShot(5000, [] { QCoreApplication::exit(99); }); // a watchdog, if closing did not end it
        TestSupport::MessageBoxAnswerer answerer;
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(answerer.seen.isEmpty());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
