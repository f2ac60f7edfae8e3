// The main window's commands: every menu item and toolbar button reaching
// its command with its status text, printing with no printer at all, the
// help viewer, the About window, the author message and Exit.
//
// Runs with CUPS_SERVER pointing at a socket where no server listens, so
// the system has no printer.
#include "app/MDIForm1.h"
#include "app/frmAbout.h"
#include "document/DocumentFill.h"
#include "document/Form1.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

using TestSupport::MessageBoxAnswerer;
using TestSupport::ProgramFolder;

namespace {

const QString Sentinel = QStringLiteral("Сохранено"); // a status no command here writes

// Sets PATH for as long as it lives.
class PathGuard
{
public:
    explicit PathGuard(const QString &path)
        : m_old(qgetenv("PATH"))
    {
        qputenv("PATH", path.toLocal8Bit());
    }
    ~PathGuard() { qputenv("PATH", m_old); }

private:
    QByteArray m_old;
};

// A stand-in help viewer: writes its arguments to <itself>.args, then waits
// until <itself>.release exists (10 s at most) and leaves <itself>.done.
bool writeViewer(const QString &path, bool broken)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (broken) {
        f.write("#!/nonexistent/interpreter\n");
    } else {
        f.write("#!/bin/sh\n"
                "printf '%s\\n' \"$@\" > \"$0.tmp\" && /bin/mv \"$0.tmp\" \"$0.args\"\n"
                "i=0\n"
                "while [ ! -e \"$0.release\" ] && [ $i -lt 100 ]; do /bin/sleep 0.1; i=$((i+1)); done\n"
                ": > \"$0.done\"\n");
    }
    f.close();
    return f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner
                            | QFileDevice::ExeOwner | QFileDevice::ReadGroup
                            | QFileDevice::ExeGroup);
}

QRect twips(int left, int top, int width, int height)
{
    return QRect(qRound(left / 15.0), qRound(top / 15.0), qRound(width / 15.0),
                 qRound(height / 15.0));
}

QList<QWidget *> visibleTopLevels()
{
    QList<QWidget *> list;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible())
            list << w;
    return list;
}

} // namespace

class TestCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void dispatch_data();
    void dispatch();
    void noPrinter_data();
    void noPrinter();
    void setupWithoutPrinterThenPrint();
    void unwritableFileShowsMessage();
    void help_data();
    void help();
    void aboutLayout_data();
    void aboutLayout();
    void aboutCreatedOnceAndHidden();
    void authorMessage();
    // Last: ending the program's event loop.
    void exitEndsAtOnce_data();
    void exitEndsAtOnce();

private:
    std::unique_ptr<ProgramFolder> m_folder;
    std::unique_ptr<MDIForm1> m_main;
    std::unique_ptr<QTemporaryDir> m_viewers;
};

void TestCommands::initTestCase()
{
    QVERIFY2(QPrinterInfo::availablePrinterNames().isEmpty(),
             "these tests need a system without printers (CUPS_SERVER pointing at nothing)");
}

void TestCommands::init()
{
    m_folder = std::make_unique<ProgramFolder>();
    QVERIFY(m_folder->isValid());
    m_main = std::make_unique<MDIForm1>(m_folder->path());
    QVERIFY(m_main->MDIForm_Load());
    m_main->show();
    m_main->showDocumentWindow();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    m_viewers = std::make_unique<QTemporaryDir>();
    QVERIFY(m_viewers->isValid());
}

void TestCommands::cleanup()
{
    m_main.reset();
    m_folder.reset();
    if (m_viewers) {
        // Let a stand-in viewer still waiting go.
        for (const QString &name : QDir(m_viewers->path()).entryList(QDir::Files))
            QFile(m_viewers->filePath(name + QStringLiteral(".release"))).open(QIODevice::WriteOnly);
        QTest::qWait(300);
    }
    m_viewers.reset();
    // No window of a test may stay open.
    QTRY_VERIFY(visibleTopLevels().isEmpty());
}

void TestCommands::dispatch_data()
{
    QTest::addColumn<QString>("trigger");   // a menu item's name, or "Toolbar1:<index>"
    QTest::addColumn<QString>("status");    // what the command writes; empty: leaves it
    QTest::addColumn<QString>("modal");     // the modal window it shows; empty: none

    QTest::newRow("mnuNew") << "mnuNew" << "Заполнение" << "frmCreate";
    QTest::newRow("toolbar 1") << "Toolbar1:1" << "Заполнение" << "frmCreate";
    QTest::newRow("mnuArchive") << "mnuArchive" << "Архив" << "frmArc";
    QTest::newRow("toolbar 2") << "Toolbar1:2" << "Архив" << "frmArc";
    QTest::newRow("mnuFirma") << "mnuFirma" << "Реквизиты" << "frmFirma";
    QTest::newRow("toolbar 3") << "Toolbar1:3" << "Реквизиты" << "frmFirma";
    QTest::newRow("mnuPrintSetup") << "mnuPrintSetup" << "Настройка" << "CommonDialog1";
    // No printer here: reaching Print shows its message.
    QTest::newRow("mnuPrint") << "mnuPrint" << "" << "PrintError";
    QTest::newRow("toolbar 4") << "Toolbar1:4" << "" << "PrintError";
    QTest::newRow("mnuHelp") << "mnuHelp" << "" << "";
    QTest::newRow("mnuAbout") << "mnuAbout" << "" << "frmAbout";
    QTest::newRow("mnuEditor") << "mnuEditor" << "" << "AuthorMessage";
    QTest::newRow("toolbar 5, the separator") << "Toolbar1:5" << "" << "";
}

void TestCommands::dispatch()
{
    QFETCH(QString, trigger);
    QFETCH(QString, status);
    QFETCH(QString, modal);

    QVERIFY(writeViewer(m_viewers->filePath(QStringLiteral("xchm")), false));
    PathGuard path(m_viewers->path());
    m_main->setStatusText(Sentinel);

    QString seenName;
    QString statusWhenShown;
    auto *when = TestSupport::whenModal<QWidget>([&](QWidget *w) {
        seenName = w->objectName();
        statusWhenShown = m_main->statusText();
        if (auto *box = qobject_cast<QMessageBox *>(w))
            box->buttons().first()->click();
        else if (auto *dialog = qobject_cast<QDialog *>(w))
            dialog->reject();
        else
            w->close();
    }, this);

    if (trigger.startsWith(QLatin1String("Toolbar1:"))) {
        const int index = trigger.mid(9).toInt();
        if (index == 5) {
            m_main->Toolbar1_ButtonClick(index); // the separator has no button to click
        } else {
            auto *toolbar = m_main->findChild<QToolBar *>(QStringLiteral("Toolbar1"));
            auto *action = m_main->findChild<QAction *>(QStringLiteral("Toolbar1_Button%1").arg(index));
            QVERIFY(toolbar && action);
            auto *button = qobject_cast<QToolButton *>(toolbar->widgetForAction(action));
            QVERIFY(button);
            QTest::mouseClick(button, Qt::LeftButton);
        }
    } else {
        QAction *action = m_main->findChild<QAction *>(trigger);
        QVERIFY(action);
        action->trigger();
    }

    if (modal.isEmpty()) {
        QTest::qWait(300);
        QVERIFY2(!when->done(), qPrintable(QStringLiteral("unexpected window ") + seenName));
    } else {
        QTRY_VERIFY(when->done());
        QCOMPARE(seenName, modal);
        QCOMPARE(statusWhenShown, status.isEmpty() ? Sentinel : status);
    }
    if (status.isEmpty()) {
        QCOMPARE(m_main->statusText(), Sentinel);
    }
    if (trigger == QLatin1String("mnuHelp"))
        QTRY_VERIFY(QFileInfo::exists(m_viewers->filePath(QStringLiteral("xchm.args"))));
    delete when;
}

void TestCommands::noPrinter_data()
{
    QTest::addColumn<bool>("toolbar");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("filled");
    QTest::newRow("menu, empty form, at start") << false << "Готово:" << false;
    QTest::newRow("menu, filled order") << false << "Сохранено" << true;
    QTest::newRow("toolbar, filled order") << true << "Сохранено" << true;
}

void TestCommands::noPrinter()
{
    QFETCH(bool, toolbar);
    QFETCH(QString, status);
    QFETCH(bool, filled);

    Form1 *document = m_main->documentWindow();
    if (filled) {
        OrderRecord order { "3", "100,00", "Ромашка ПП", "12345678", "Банк", "305299",
                            "2600", "Оплата", "01.02.2026" };
        document->setFields(DocumentFill::filled(document->fields(), order, Requisites()));
    }
    const SheetFields before = document->fields();
    m_main->setStatusText(status);

    MessageBoxAnswerer answerer;
    if (toolbar)
        m_main->Toolbar1_ButtonClick(4);
    else
        m_main->mnuPrint_Click();
    QCOMPARE(answerer.seen.size(), 1);
    const TestSupport::SeenBox box = answerer.seen.first();
    QCOMPARE(box.text, QStringLiteral("Нет связи с принтером."));
    QCOMPARE(box.title, QStringLiteral("Vexaron"));
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.buttons, QStringList { QStringLiteral("OK") });
    QCOMPARE(m_main->statusText(), status);
    QCOMPARE(document->fields(), before);

    // Only the one message; nothing is left open.
    QTest::qWait(100);
    QCOMPARE(answerer.seen.size(), 1);
}

// The setup dialog offers only a PDF file; cancelled, the next Print still
// has no printer. A failed Print leaves no file behind either.
void TestCommands::setupWithoutPrinterThenPrint()
{
    const QString file = m_viewers->filePath(QStringLiteral("never.pdf"));
    bool shown = false;
    auto *when = TestSupport::whenModal<QPrintDialog>([&](QPrintDialog *dialog) {
        shown = true;
        if (auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("filename")))
            name->setText(file);
        dialog->reject();
    }, this);
    m_main->mnuPrintSetup_Click();
    QVERIFY(when->done() && shown);
    QCOMPARE(m_main->statusText(), QStringLiteral("Настройка"));

    MessageBoxAnswerer answerer;
    m_main->mnuPrint_Click();
    QCOMPARE(answerer.seen.size(), 1);
    QCOMPARE(answerer.seen.first().text, QStringLiteral("Нет связи с принтером."));
    QCOMPARE(m_main->statusText(), QStringLiteral("Настройка"));
    QVERIFY(!QFileInfo::exists(file));
}

// A PDF file that cannot be written: the painter is refused, as with a
// printer that does not answer.
void TestCommands::unwritableFileShowsMessage()
{
    const QString file = m_viewers->filePath(QStringLiteral("missing-folder/order.pdf"));
    m_main->printer().setOutputFileName(file);
    QCOMPARE(m_main->printer().outputFormat(), QPrinter::PdfFormat);
    m_main->setStatusText(Sentinel);

    MessageBoxAnswerer answerer;
    m_main->mnuPrint_Click();
    QCOMPARE(answerer.seen.size(), 1);
    QCOMPARE(answerer.seen.first().text, QStringLiteral("Нет связи с принтером."));
    QCOMPARE(answerer.seen.first().icon, QMessageBox::Critical);
    QCOMPARE(m_main->statusText(), Sentinel);
    QVERIFY(!QFileInfo::exists(file));

    // Once the folder is there, the same printer prints.
    QVERIFY(QDir(m_viewers->path()).mkdir(QStringLiteral("missing-folder")));
    m_main->mnuPrint_Click();
    QCOMPARE(answerer.seen.size(), 1);
    QVERIFY(QFileInfo(file).size() > 0);
}

void TestCommands::help_data()
{
    QTest::addColumn<QStringList>("viewers"); // on PATH; "!" before a name: cannot start
    QTest::addColumn<QString>("started");     // the one that gets the file; empty: none

    QTest::newRow("CHM viewer") << QStringList { "xchm" } << "xchm";
    QTest::newRow("another CHM viewer") << QStringList { "kchmviewer" } << "kchmviewer";
    QTest::newRow("CHM viewer before xdg-open") << QStringList { "xdg-open", "xchm" } << "xchm";
    QTest::newRow("only xdg-open") << QStringList { "xdg-open" } << "xdg-open";
    QTest::newRow("broken viewer, then xdg-open") << QStringList { "!xchm", "xdg-open" } << "xdg-open";
    QTest::newRow("viewer cannot start") << QStringList { "!xchm" } << "";
    QTest::newRow("no viewer at all") << QStringList() << "";
}

void TestCommands::help()
{
    QFETCH(QStringList, viewers);
    QFETCH(QString, started);

    for (QString name : viewers) {
        const bool broken = name.startsWith(QLatin1Char('!'));
        if (broken)
            name.remove(0, 1);
        QVERIFY(writeViewer(m_viewers->filePath(name), broken));
    }
    PathGuard path(m_viewers->path());
    m_main->setStatusText(Sentinel);
    const QList<QWidget *> windowsBefore = visibleTopLevels();

    MessageBoxAnswerer answerer;
    QElapsedTimer timer;
    timer.start();
    m_main->findChild<QAction *>(QStringLiteral("mnuHelp"))->trigger();
    const qint64 took = timer.elapsed();

    if (!started.isEmpty()) {
        const QString args = m_viewers->filePath(started + QStringLiteral(".args"));
        QTRY_VERIFY(QFileInfo::exists(args));
        // Not waited for: the viewer is still running when the command returns.
        QVERIFY(took < 5000);
        QVERIFY(!QFileInfo::exists(m_viewers->filePath(started + QStringLiteral(".done"))));
        QFile f(args);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString expected = QDir(m_folder->path()).absoluteFilePath(QStringLiteral("vexa.chm"));
        QCOMPARE(QString::fromLocal8Bit(f.readAll()), expected + QLatin1Char('\n'));
        QCOMPARE(m_main->helpFilePath(), expected);
        QFile(m_viewers->filePath(started + QStringLiteral(".release"))).open(QIODevice::WriteOnly);
        QTRY_VERIFY(QFileInfo::exists(m_viewers->filePath(started + QStringLiteral(".done"))));
    } else {
        QTest::qWait(300);
    }
    // Only the chosen viewer ran.
    for (QString name : viewers)
        if (name.remove(QLatin1Char('!')) != started)
            QVERIFY2(!QFileInfo::exists(m_viewers->filePath(name + QStringLiteral(".args"))),
                     qPrintable(name));
    // Silent: no message, no window, the status text left alone.
    QVERIFY(answerer.seen.isEmpty());
    QCOMPARE(visibleTopLevels(), windowsBefore);
    QCOMPARE(m_main->statusText(), Sentinel);
}

void TestCommands::aboutLayout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("Image1") << "Image1" << twips(90, 90, 2070, 2820);
    QTest::newRow("Label1") << "Label1" << twips(2205, 90, 3210, 2490);
    QTest::newRow("Line2") << "Line2" << QRect(6, 198, qRound((5355 - 90) / 15.0), 1);
    QTest::newRow("Label2") << "Label2" << twips(90, 3060, 5280, 465);
    QTest::newRow("Line1_0") << "Line1_0" << QRect(3, 240, qRound((5355 - 45) / 15.0), 1);
    QTest::newRow("Line1_1") << "Line1_1" << QRect(3, qRound(3610 / 15.0), qRound((5355 - 45) / 15.0), 1);
    QTest::newRow("Label3") << "Label3" << twips(90, 3960, 2580, 240);
    QTest::newRow("Command1") << "Command1" << twips(4140, 3960, 1185, 375);
}

void TestCommands::aboutLayout()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);

    bool checked = false;
    auto *when = TestSupport::whenModal<frmAbout>([&](frmAbout *about) {
        auto close = qScopeGuard([about] { about->hide(); });
        QCOMPARE(about->windowTitle(), QStringLiteral("О программе"));
        QCOMPARE(about->size(), QSize(364, 300));
        QCOMPARE(about->minimumSize(), about->maximumSize());
        QVERIFY(!(about->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(qAbs(about->frameGeometry().center().x()
                     - about->screen()->availableGeometry().center().x()) <= 1);
        QWidget *w = about->findChild<QWidget *>(name);
        QVERIFY2(w, qPrintable(name));
        QCOMPARE(w->geometry(), geometry);
        QVERIFY(w->isVisible());
        checked = true;
    }, this);
    m_main->mnuAbout_Click();
    QVERIFY(when->done());
    QVERIFY(checked);
}

void TestCommands::aboutCreatedOnceAndHidden()
{
    frmAbout *first = nullptr;
    QStringList texts;
    auto *when = TestSupport::whenModal<frmAbout>([&](frmAbout *about) {
        first = about;
        auto *ok = about->findChild<QPushButton *>(QStringLiteral("Command1"));
        QVERIFY(ok);
        QCOMPARE(ok->text(), QString::fromUtf8("\xd0\x9e\xd0\x9a")); // Cyrillic О and К
        QCOMPARE(QApplication::focusWidget(), ok);
        QVERIFY(ok->isDefault());
        // Texts and a picture of its own.
        for (const char *label : { "Label1", "Label2", "Label3" }) {
            auto *l = about->findChild<QLabel *>(QString::fromLatin1(label));
            QVERIFY(l && !l->text().trimmed().isEmpty());
            texts << l->text();
        }
        QVERIFY(!about->findChild<QLabel *>(QStringLiteral("Image1"))->pixmap().isNull());
        auto colour = [about](const char *name, QPalette::ColorRole role) {
            return about->findChild<QWidget *>(QString::fromLatin1(name))->palette().color(role);
        };
        QCOMPARE(colour("Line2", QPalette::Window), QColor(Qt::red));
        QCOMPARE(colour("Label3", QPalette::WindowText), QColor(Qt::blue));
        QCOMPARE(colour("Line1_1", QPalette::Window), about->palette().color(QPalette::Base));
        QTest::mouseClick(ok, Qt::LeftButton);
    }, this);
    m_main->setStatusText(Sentinel);
    m_main->mnuAbout_Click(); // returns only once "ОК" has hidden the window
    QVERIFY(when->done());
    QVERIFY(first);
    QVERIFY(!first->isVisible());
    QCOMPARE(m_main->statusText(), Sentinel);

    frmAbout *second = nullptr;
    auto *again = TestSupport::whenModal<frmAbout>([&](frmAbout *about) {
        second = about;
        QVERIFY(about->isModal());
        about->findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    }, this);
    m_main->mnuAbout_Click();
    QVERIFY(again->done());
    QCOMPARE(second, first);
    QCOMPARE(m_main->findChildren<frmAbout *>().size(), 1);
}

void TestCommands::authorMessage()
{
    m_main->setStatusText(Sentinel);
    MessageBoxAnswerer answerer;
    m_main->findChild<QAction *>(QStringLiteral("mnuEditor"))->trigger();
    QCOMPARE(answerer.seen.size(), 1);
    const TestSupport::SeenBox box = answerer.seen.first();
    QCOMPARE(box.icon, QMessageBox::NoIcon);
    QCOMPARE(box.buttons, QStringList { QStringLiteral("OK") });
    QVERIFY(!box.text.trimmed().isEmpty());
    QVERIFY(!box.text.contains(QLatin1Char('\n'))); // one line
    QCOMPARE(m_main->statusText(), Sentinel);
}

void TestCommands::exitEndsAtOnce_data()
{
    QTest::addColumn<bool>("fromMenu");
    QTest::newRow("menu item Выход") << true;
    QTest::newRow("mnuClose_Click") << false;
}

// The program runs QApplication::exec(); Exit must end that loop at once,
// with no question, even with an order in the document that was never saved.
void TestCommands::exitEndsAtOnce()
{
    QFETCH(bool, fromMenu);
    Form1 *document = m_main->documentWindow();
    OrderRecord order { "9", "5,00", "Ромашка ПП", "1", "Банк", "2", "3", "Оплата", "01.02.2026" };
    document->setFields(DocumentFill::filled(document->fields(), order, Requisites()));

    MessageBoxAnswerer answerer;
    QTimer::singleShot(0, m_main.get(), [&] {
        if (fromMenu)
            m_main->findChild<QAction *>(QStringLiteral("mnuClose"))->trigger();
        else
            m_main->mnuClose_Click();
    });
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(5000);
    QElapsedTimer timer;
    timer.start();
    const int code = QCoreApplication::exec();
    guard.stop();
    QCOMPARE(code, 0);
    QVERIFY(timer.elapsed() < 4000);
    QVERIFY(answerer.seen.isEmpty());
}

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
