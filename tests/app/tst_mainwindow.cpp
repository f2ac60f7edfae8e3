// The main window: start-up, keeping the document centred, refusing a
// database it cannot use, and ending the program.
#include "app/MDIForm1.h"
#include "app/StartUp.h"
#include "document/Form1.h"
#include "document/SheetFonts.h"
#include "support/TestSupport.h"

#include <QMdiSubWindow>
#include <QtTest>

using TestSupport::ProgramFolder;

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
    // on the folder's database, the document of design size inside it.
    void startUp()
    {
        ProgramFolder folder;
        QElapsedTimer timer;
        timer.start();
        auto main = StartUp(folder.path(), 1000);
        QVERIFY(main);
        QVERIFY(timer.elapsed() >= 1000);
        QCOMPARE(main->windowTitle(), QString("Платежное поручение"));
        QVERIFY(main->isVisible() && (main->windowState() & Qt::WindowMaximized));
        QVERIFY(main->database().isOpen());
        QCOMPARE(main->database().path(), folder.databasePath());
        QVERIFY(main->documentWindow()->isVisible() && main->isAncestorOf(main->documentWindow()));
        QCOMPARE(main->documentWindow()->size(), QSize(779, 565));
        const QList<QSize> sizes = main->windowIcon().availableSizes();
        QVERIFY(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(32, 32)));
        // Menu bar, toolbar, status bar and document as drawn, against a reference
        // picture (VEXA_UPDATE_PICTURES=1 writes it anew).
        main->showNormal();
        main->resize(900, 640);
        QCoreApplication::processEvents();
        const QString fault = TestSupport::differsFromReference(main->grab().toImage(), "app/mainwindow");
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }

    // At any window size the document stays centred in the client area
    // (standing out on both sides when larger) and is never resized.
    void resizingRecentres()
    {
        ProgramFolder folder;
        auto main = StartUp(folder.path(), 0);
        QVERIFY(main);
        auto *frame = main->findChild<QMdiSubWindow *>("Form1Frame");
        QVERIFY(frame);
        for (const QSize &size : { QSize(700, 500), QSize(1200, 900), QSize(1601, 1001), QSize(640, 480) }) {
            main->showNormal();
            main->resize(size);
            QCoreApplication::processEvents();
            const QSizeF client = main->clientSizeTwips() / 15;
            QVERIFY2(qAbs(2 * frame->x() + 779 - client.width()) <= 1 && qAbs(2 * frame->y() + 565 - client.height()) <= 1,
                     qPrintable(QString("%1x%2 at %3,%4").arg(client.width()).arg(client.height()).arg(frame->x()).arg(frame->y())));
            QCOMPARE(main->documentWindow()->size(), QSize(779, 565));
        }
    }

    // Every kind of refused file is tried against the store; here the message
    // and the exit status of the whole program.
    void refusesDatabase_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "missing" << "не найден";
        QTest::newRow("text") << "text" << "not a database";
        QTest::newRow("another program's database") << "foreign" << "нет таблиц firma и arc";
    }

    void refusesDatabase()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath("vexa.mdb");
        QFile f(path);
        if (kind == "text")
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(QByteArray("not a database at all\n").repeated(100)) > 0);
        f.close();
        QVERIFY(kind != "foreign" || TestSupport::writeSqlite(path, "create table orders (id integer)"));

        TestSupport::MessageBoxAnswerer answerer;
        QCOMPARE(RunProgram(dir.path()), 1);
        QCOMPARE(answerer.seen.size(), 1);
        const TestSupport::SeenBox box = answerer.seen.first();
        QCOMPARE(box.title + QString::number(box.icon) + QString::number(box.buttons.size()), "Vexaron31");
        QVERIFY2(box.text.contains(QDir::toNativeSeparators(path)), qPrintable(box.text));
        QVERIFY2(box.text.contains(reason, Qt::CaseInsensitive), qPrintable(box.text));
        // No main window is left behind, and a missing file is not created.
        for (QWidget *w : QApplication::topLevelWidgets())
            QVERIFY(!w->isVisible() || !qobject_cast<QMainWindow *>(w));
        QCOMPARE(QFileInfo::exists(path), kind != "missing");
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
        ProgramFolder folder;
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
