// The main window's commands on a system with no printer (CUPS_SERVER points
// at a socket where no server listens): every menu item and toolbar button
// reaching its command with its status text and window or message (the
// About and requisites windows as drawn, against reference pictures that
// VEXA_UPDATE_PICTURES=1 writes), then handing the keyboard back to the main
// window; the help viewer and the compiled help file.
#include "document/DocumentFill.h"
#include "document/SheetFonts.h"
#include "support/RunningProgram.h"

#include <QtPrintSupport>
#include <QtWidgets>
#include <QtTest>

namespace {

const QString Sentinel = "Сохранено"; // a status no command here writes

// A stand-in help viewer: writes its arguments to <itself>.args, then waits
// for <itself>.release (10 s at most). A broken one cannot start.
void writeViewer(const QString &path, bool broken)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(broken ? "#!/nonexistent/interpreter\n"
                   : "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.tmp\" && /bin/mv \"$0.tmp\" \"$0.args\"\n"
                     "i=0; while [ ! -e \"$0.release\" ] && [ $i -lt 100 ]; do /bin/sleep 0.1; i=$((i+1)); done\n");
    QVERIFY(f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
}

} // namespace

class TestCommands : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestSupport::RunningProgram> p;
    std::unique_ptr<QTemporaryDir> m_viewers; // on PATH while a test runs
    QByteArray m_path = qgetenv("PATH");

private slots:
    void initTestCase()
    {
        QVERIFY2(QPrinterInfo::availablePrinterNames().isEmpty(), "needs CUPS_SERVER pointing at nothing");
        // Pictures independent of the system's fonts; a text cursor that does not blink.
        QVERIFY(SheetFonts::registerFonts());
        QApplication::setFont(QFont(SheetFonts::sansFamily(), 9));
        QApplication::setCursorFlashTime(0);
    }

    void init()
    {
        p = std::make_unique<TestSupport::RunningProgram>();
        QVERIFY(p->start());
        p->main.showDocumentWindow();
        QVERIFY(QTest::qWaitForWindowActive(&p->main));
        DocumentFill::fill(*p->main.documentWindow(),
                { "3", "100,00", "Ромашка ПП", "12345678", "Банк", "305299", "2600", "Оплата", "01.02.2026" }, {});
        p->main.setStatusText(Sentinel);
        m_viewers = std::make_unique<QTemporaryDir>();
        qputenv("PATH", m_viewers->path().toLocal8Bit());
    }

    void cleanup()
    {
        qputenv("PATH", m_path);
        for (const QString &name : QDir(m_viewers->path()).entryList(QDir::Files)) // let waiting viewers go
            QFile(m_viewers->filePath(name + ".release")).open(QIODevice::WriteOnly);
        p.reset();
    }

    void dispatch_data()
    {
        QTest::addColumn<QString>("trigger"); // a menu item's name, or the toolbar button's index
        QTest::addColumn<QString>("status");  // what the command writes; empty: leaves it
        QTest::addColumn<QString>("shown");   // the modal window it opens|the button that closes it,
                                              // or its message box: title|icon|buttons|text
        const QString noPrinter = "Vexaron|error|1|Нет связи с принтером.";
        QTest::newRow("mnuNew") << "mnuNew" << "Заполнение" << "frmCreate|Отмена";
        QTest::newRow("toolbar 1") << "1" << "Заполнение" << "frmCreate|Отмена";
        QTest::newRow("mnuArchive") << "mnuArchive" << "Архив" << "frmArc|Отмена";
        QTest::newRow("toolbar 2") << "2" << "Архив" << "frmArc|Отмена";
        QTest::newRow("mnuFirma") << "mnuFirma" << "Реквизиты" << "frmFirma|Отмена";
        QTest::newRow("toolbar 3") << "3" << "Реквизиты" << "frmFirma|Отмена";
        QTest::newRow("mnuPrintSetup") << "mnuPrintSetup" << "Настройка" << "CommonDialog1";
        QTest::newRow("mnuPrint, no printer") << "mnuPrint" << "" << noPrinter;
        QTest::newRow("toolbar 4, no printer") << "4" << "" << noPrinter;
        QTest::newRow("mnuAbout") << "mnuAbout" << "" << "frmAbout|ОК"; // Cyrillic, drawn alike
        QTest::newRow("Автор") << "mnuEditor" << "" << "Автор|0|1|Vexaron написан командой разработчиков Vexaron.";
        // mnuHelp: see help(); mnuClose and the separator: tst_mainwindow.
    }

    // The status is written before the window opens; the document stays as it
    // was. "О программе" and "Реквизиты предприятия" as drawn, against the
    // reference pictures: texts, rules, colours and boxes each in place. The
    // window's button closes it, and the main window has the keyboard again:
    // Alt+З opens the menu "Заполнение" at once.
    void dispatch()
    {
        QFETCH(QString, trigger);
        QFETCH(QString, status);
        QFETCH(QString, shown);
        const SheetFields before = p->main.documentWindow()->fields();
        const QHash<QString, QString> pictures { { "frmAbout", "app/about" }, { "frmFirma", "app/requisites" } };
        QString seen, statusWhenShown, pictureFault;
        bool active = false;
        TestSupport::MessageBoxAnswerer boxes;
        TestSupport::WhenModal watcher([&](QWidget *w) {
            if (qobject_cast<QMessageBox *>(w))
                return false; // the answerer's
            statusWhenShown = p->main.statusText();
            // Active, the focus in place: the window's frame is part of the picture.
            active = QTest::qWaitFor([w] {
                return w->isActiveWindow() && w->focusWidget() && w->focusWidget()->hasFocus();
            });
            if (pictures.contains(w->objectName()))
                pictureFault = TestSupport::differsFromReference(w->grab().toImage(), pictures[w->objectName()]);
            auto *button = w->findChild<QPushButton *>("Command1");
            button ? QTest::mouseClick(button, Qt::LeftButton) : qobject_cast<QDialog *>(w)->done(0);
            seen = w->objectName() + (button ? "|" + button->text() : QString()) + (w->isVisible() ? " open" : "");
            if (w->isVisible()) // its button did not close it
                qobject_cast<QDialog *>(w)->done(-1);
            return true;
        });
        if (trigger.size() == 1)
            QTest::mouseClick(p->main.findChild<QToolBar *>("Toolbar1")->widgetForAction(
                                      p->main.findChild<QAction *>("Toolbar1_Button" + trigger)), Qt::LeftButton);
        else
            p->main.findChild<QAction *>(trigger)->trigger();
        QCOMPARE(seen + (boxes.seen.isEmpty() ? QString() : boxes.single()), shown);
        QCOMPARE(seen.isEmpty() ? p->main.statusText() : statusWhenShown, status.isEmpty() ? Sentinel : status);
        QCOMPARE(p->main.documentWindow()->fields(), before);
        QCOMPARE(active, !seen.isEmpty());
        QVERIFY2(pictureFault.isEmpty(), qPrintable(pictureFault));
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), &p->main, 2000);
        auto *menu = p->main.findChild<QMenu *>("mnuCreate");
        QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key(0x0417), "З", Qt::AltModifier);
        QTRY_VERIFY(menu->isVisible());
        menu->close();
    }

    void help_data()
    {
        QTest::addColumn<QStringList>("viewers"); // on PATH; "!" before a name: cannot start
        QTest::addColumn<QString>("started");     // the one that gets the file; empty: none
        QTest::newRow("CHM viewer before xdg-open") << QStringList { "xdg-open", "kchmviewer" } << "kchmviewer";
        QTest::newRow("broken viewer, then xdg-open") << QStringList { "!xchm", "xdg-open" } << "xdg-open";
        QTest::newRow("no viewer at all") << QStringList() << "";
    }

    // The viewer gets the help file's full path, is not waited for, and
    // nothing shows when none starts.
    void help()
    {
        QFETCH(QStringList, viewers);
        QFETCH(QString, started);
        for (const QString &name : viewers)
            writeViewer(m_viewers->filePath(QString(name).remove('!')), name.startsWith('!'));
        TestSupport::MessageBoxAnswerer answerer;
        const QDeadlineTimer soon(5000);
        p->main.findChild<QAction *>("mnuHelp")->trigger();
        QVERIFY(!soon.hasExpired()); // not waited for: the viewer waits 10 s for its release
        QTest::qWait(300);
        const QString expected = QDir(p->folder.path()).absoluteFilePath("vexa.chm") + '\n';
        for (QString name : viewers) { // only the chosen viewer ran
            const QString args = m_viewers->filePath(name.remove('!') + ".args");
            QTRY_COMPARE(QString::fromLocal8Bit(TestSupport::fileBytes(args)), name == started ? expected : "");
        }
        QVERIFY(answerer.seen.isEmpty());
    }

    // vexa.chm in the program folder holds every help page and is not older
    // than them.
    void helpFile()
    {
        const char *why = "the build made no vexa.chm: chmcmd not found (Debian package fp-utils)";
        if (qEnvironmentVariable("VEXA_HELP_FILE") != "ON" && !qEnvironmentVariableIsSet("CI"))
            QSKIP(why);
        QVERIFY2(qEnvironmentVariable("VEXA_HELP_FILE") == "ON", why); // CI has every tool the build uses
        const QString source = qEnvironmentVariable("VEXA_SOURCE_DIR") + "/help/";
        QFile chm(qEnvironmentVariable("VEXA_PROGRAM_DIR") + "/vexa.chm");
        QVERIFY2(chm.open(QIODevice::ReadOnly), qPrintable(chm.fileName()));
        const QByteArray data = chm.readAll();
        QVERIFY(data.startsWith("ITSF")); // a compiled HTML help file; its directory names the pages
        for (const QString &page : QDir(source).entryList({ "*.html", "*.css" })) {
            QVERIFY2(data.contains("/" + page.toUtf8()), qPrintable(page));
            QVERIFY2(QFileInfo(source + page).lastModified() <= QFileInfo(chm).lastModified(), qPrintable(page));
        }
    }
};

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
