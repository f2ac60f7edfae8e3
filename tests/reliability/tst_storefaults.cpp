// Faults of the database file, two copies at once and a copy killed while
// saving, each against a real SQLite file through the program's own store
// code in processes of their own, and the windows on a failing file. Every
// failure must be told as one, the file left as it was, and every order
// reported saved must stay.
//
// The test program is its own second process: "--child [nobody] DB [FAULT]"
// says "opened" (or "failed<TAB>reason" and exits 3), then runs from stdin
//   delete ROWID, update TEXT   "ok", "ok<TAB>warning" or "failed<TAB>reason"
//   save FIRST COUNT            orders FIRST on (COUNT 0: until killed),
//                               "saved N" (or as above) after each
// FAULT pages: the file may not grow (a full disk); fsize: no file may grow,
// by the system's file-size limit (ulimit -f).
// nobody: a child started by root becomes nobody, so that permissions apply.
// The program refusing a file at start: tests/app.
#include "archive/frmArc.h"
#include "entry/frmCreate.h"
#include "requisites/frmFirma.h"
#include "store/Database.h"
#include "support/RunningProgram.h"

#include <QtTest>
#include <QtWidgets>

#include <cstdio>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The order saved as number id, as its arc row; the purpose of some takes
// several pages.
QStringList orderFor(int id)
{
    const QString n = QString::number(id);
    return { n, n + ",00", "Одержувач " + n, n, "Банк " + n, n, "2600" + n,
             ("Призначення " + n + ' ').repeated(1 + id % 300), "01.02.2026" };
}

const char *const ThreeOrders = "insert into arc values (1, '1,00', 'a', 'b', 'c', 'd', 'e', 'f', '01.02.2026'),"
                                " (2, '2,00', 'a', 'b', 'c', 'd', 'e', 'f', ''), (3, '', '', '', '', '', '', '', '')";

int child(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(2);
    if (!TestSupport::becomeNobodyIfAsked(&args))
        return 5;
    Database db;
    const auto report = [&](bool ok, const QString &line) {
        const QString warning = db.warningText().replace('\n', ' ');
        // One unbuffered write: a line the test reads was said before any kill.
        const QByteArray said = (ok ? line + (warning.isEmpty() ? "" : "\t" + warning)
                                    : "failed\t" + db.errorText().replace('\n', ' ')).toUtf8() + '\n';
        if (::write(STDOUT_FILENO, said.constData(), size_t(said.size())) != said.size())
            ::_exit(6);
        return ok;
    };
    const auto save = [&](int id) {
        const QStringList c = orderFor(id);
        return report(db.insertOrder({ c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8] }),
                      "saved " + QString::number(id));
    };
    if (!report(db.open(args.value(0)), "opened"))
        return 3;
    // The file may not grow by a single page: the limit never goes below its size.
    if (args.value(1) == "pages"
        && sqlite3_exec(db.handle(), "pragma max_page_count=1", nullptr, nullptr, nullptr) != SQLITE_OK)
        return 4;
    const rlimit fileSize{ rlim_t(QFileInfo(args.value(0)).size()), RLIM_INFINITY };
    if (args.value(1) == "fsize" && ::setrlimit(RLIMIT_FSIZE, &fileSize) != 0)
        return 4;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, stdin)) {
        const QString line = QString::fromUtf8(buffer).trimmed(), value = line.section(' ', 1, 1);
        const int first = value.toInt(), count = line.section(' ', 2).toInt();
        if (line.startsWith("save "))
            for (int id = first; (count == 0 || id < first + count) && save(id);)
                ++id;
        else if (line.startsWith("delete "))
            report(db.deleteOrder(first), "ok");
        else // long enough to need new pages
            report(db.saveRequisites({ value, value, value, value, value.repeated(2000) }), "ok");
    }
    return 0;
}

struct Child
{
    QProcess p;
    // Started with "[nobody] DB [FAULT]" (see the top): its first line.
    QString open(const QStringList &args)
    {
        p.start(QCoreApplication::applicationFilePath(), QStringList{ "--child" } + args);
        return p.waitForStarted() ? line() : "not started";
    }
    QString line(int ms = 30000)
    {
        for (QDeadlineTimer end(ms); !p.canReadLine() && p.state() == QProcess::Running && !end.hasExpired();)
            p.waitForReadyRead(50);
        return p.canReadLine() ? QString::fromUtf8(p.readLine()).chopped(1) : QString();
    }
    void send(const QString &command) { p.write(command.toUtf8() + '\n'); p.waitForBytesWritten(); }
    // The exit status, or -1 for a crash or a timeout.
    int finish(int ms = 30000)
    {
        p.closeWriteChannel();
        return p.waitForFinished(ms) && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    QStringList lines() { return QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts); }
};

// Everything the folder holds: its entries, arc by rowid, firma, the check.
QStringList contents(const QString &path)
{
    QStringList out = QFileInfo(path).dir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const char *sql : { "select rowid, * from arc order by rowid", "select * from firma", "pragma integrity_check" })
        for (const QStringList &row : TestSupport::queryRows(path, sql))
            out << row.join('|');
    return out;
}

} // namespace

class TestStoreFaults : public QObject
{
    Q_OBJECT

private slots:
    void faultOfTheFile_data()
    {
        // "file MODE", "folder MODE": given that mode; pages, fsize: see the top; VEXA_FAIL_*: syscallfaults.c
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("atStart");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no read permission, at start") << "file 0200" << true << "чтение";
        QTest::newRow("no write permission, at start") << "file 0444" << true << "запись в файл";
        QTest::newRow("folder not writable, at start") << "folder 0555" << true << "запись в папку";
        QTest::newRow("folder not searchable, at start") << "folder 0600" << true << "доступа к папке";
        QTest::newRow("file made read-only") << "file 0444" << false << "запись в файл";
        QTest::newRow("folder made read-only") << "folder 0555" << false << "запись в папку";
        QTest::newRow("locked by another program") << "locked" << false << "locked";
        QTest::newRow("disk full: page limit") << "pages" << false << "Нет места на диске";
        QTest::newRow("file-size limit (ulimit -f)") << "fsize" << false << "Нет места на диске";
        QTest::newRow("journal deletion fails") << "VEXA_FAIL_JOURNAL_DELETE" << false << "Ошибка чтения или записи";
        QTest::newRow("folder sync fails after the commit") << "VEXA_FAIL_DIR_SYNC" << false
                                                            << "диск сообщил об ошибке";
    }

    // Three copies, run as a user the permissions apply to, open the file, or
    // are refused at start, with the fault in place. Then one saves, one
    // updates the requisites and one deletes: each is refused with the reason
    // and the file stays as it was; only on a full disk a delete, which needs
    // no new page, still works. A failing system call at the end of a change
    // is told as what the file holds: a journal that cannot be deleted is
    // rolled back at the next read (not done); a folder that cannot be synced
    // after the commit leaves the change in the file (done, with the disk's
    // warning). So a second save never stores an order twice. Where the fault
    // can be taken back the same copy saves again.
    void faultOfTheFile()
    {
        QFETCH(QString, fault);
        QFETCH(bool, atStart);
        QFETCH(QString, reason);
        TestSupport::ProgramFolder folder;
        const QString path = folder.databasePath();
        QVERIFY(TestSupport::execSql(path, ThreeOrders));
        QVERIFY(::geteuid() != 0 || QProcess::execute("chown", { "-R", "nobody:", folder.path() }) == 0);
        QStringList before = contents(path);
        const int mode = fault.section(' ', 1).toInt(nullptr, 8);
        const auto setModes = [&](bool on) {
            return ::chmod(QFile::encodeName(folder.path()), on && fault.startsWith("folder ") ? mode : 0755) == 0
                    && ::chmod(QFile::encodeName(path), on && fault.startsWith("file ") ? mode : 0644) == 0;
        };
        const auto restore = qScopeGuard([&] { setModes(false); });
        const auto told = [&](const QString &said) { return said.startsWith("failed\t") && said.contains(reason); };
        QVERIFY(!atStart || setModes(true));
        const bool diskFull = reason.startsWith("Нет места"), done = fault == "VEXA_FAIL_DIR_SYNC";
        if (fault.startsWith("VEXA_FAIL")) // the children have the fault library loaded (main)
            qputenv(fault.toLatin1(), "1");
        Child copies[3];
        for (Child &c : copies) {
            const QString first = c.open({ "nobody", path, fault });
            QVERIFY2(atStart ? told(first) && c.finish() == 3 : first == "opened", qPrintable(first));
        }
        qunsetenv(fault.toLatin1());

        Database other; // another program, holding the file locked
        QVERIFY(fault != "locked"
                || (other.open(path) && !sqlite3_exec(other.handle(), "begin exclusive", nullptr, nullptr, nullptr)));
        QVERIFY(setModes(true));
        const QStringList commands{ "save 299 1", "update Змiнено", "delete 2" };
        for (int i = 0; !atStart && i < 3; ++i) {
            const QDeadlineTimer busy(Database::BusyTimeoutMs - 500);
            copies[i].send(commands[i]);
            const QString answer = copies[i].line(3 * Database::BusyTimeoutMs);
            // Done with the disk's warning, or refused with the reason.
            QVERIFY2(diskFull && i == 2 ? answer == "ok"
                                        : answer.startsWith("failed\t") != done && answer.contains(reason),
                     qPrintable(commands[i] + ": " + answer));
            QVERIFY2(fault != "locked" || busy.hasExpired(),
                     "gave up before the busy timeout");
        }
        QVERIFY(fault != "locked" || !sqlite3_exec(other.handle(), "rollback", nullptr, nullptr, nullptr));
        QVERIFY(setModes(false));
        if (diskFull || done)
            before.removeAt(2); // order 2
        if (done) { // the order saved after the others, and the new requisites
            before.insert(3, "4|" + orderFor(299).join('|'));
            before[4] = "1" + QString("|Змiнено").repeated(4) + '|' + QString("Змiнено").repeated(2000);
        }
        QCOMPARE(contents(path), before); // and no journal left behind
        if (atStart)
            return;
        copies[0].send("save 299 1");
        const QString again = copies[0].line();
        QVERIFY2(diskFull ? told(again) : again.startsWith("saved 299"), qPrintable(again));
        for (Child &c : copies)
            QCOMPARE(c.finish(), 0);
    }

    void faultInTheWindows_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("reason"); // in the store's words, after what was or was not done
        QTest::newRow("folder sync fails after the commit") << "VEXA_FAIL_DIR_SYNC" << "диск сообщил об ошибке";
        QTest::newRow("file replaced") << "replaced" << "заменён";
    }

    // The windows on a failing file: saving, the requisites and deleting.
    // When the disk fails the folder's sync after the commit each is told
    // done (it is in the file) with the disk's warning. When the file was
    // replaced under the program each says in Russian what was not done and
    // then why, none is reported done, nothing in the file changes and the
    // dialog keeps what was typed. (Every other fault of the file reaches the
    // windows the same way: faultOfTheFile.)
    void faultInTheWindows()
    {
        QFETCH(QString, fault);
        QFETCH(QString, reason);
        TestSupport::RunningProgram p;
        QVERIFY(p.main.MDIForm_Load()
                && p.sql("update firma set firma='ПП', kodfirma='1', bank='Б', kodbank='2', rsbank='3'")
                && p.sql("insert into arc values (1, '1,00', 'a', 'b', 'c', 'd', 'e', 'f', '01.02.2026')"));
        if (fault == "replaced")
            QVERIFY(QFile::rename(p.db(), p.db() + ".old") && QFile::copy(p.db() + ".old", p.db()));
        const bool done = fault.startsWith("VEXA_FAIL");
        if (done) // the fault library is loaded into this process (main); only the saves write
            qputenv(fault.toLatin1(), "1");
        const auto unset = qScopeGuard([&] { qunsetenv(fault.toLatin1()); });
        TestSupport::MessageBoxAnswerer answerer;
        QStringList statuses;
        QVERIFY(TestSupport::duringCommand<frmCreate>(p.command("mnuNew"), [&](frmCreate *d) {
            for (const char *box : { "Text2", "Text3", "Text4", "Text5", "Text9", "Text6", "Text8" })
                QTest::keyClicks(d->findChild<QWidget *>(box), qstrcmp(box, "Text2") == 0 ? "2,00" : "x");
            d->findChild<QPushButton *>("Command3")->click();
            QCOMPARE(d->findChild<QLineEdit *>("Text3")->text(), QString("x"));
        }));
        statuses << p.main.statusText();
        QVERIFY(TestSupport::duringCommand<frmFirma>(p.command("mnuFirma"), [&](frmFirma *d) {
            d->findChild<QLineEdit *>("Text1")->setText("ПП2");
            d->findChild<QPushButton *>("Command2")->click();
            QCOMPARE(d->isVisible(), !done);
        }));
        statuses << p.main.statusText();
        QVERIFY(TestSupport::duringCommand<frmArc>(p.command("mnuArchive"), [&](frmArc *d) {
            auto *view = d->findChild<QTableView *>("ListView1");
            view->setCurrentIndex(view->model()->index(0, 0));
            d->findChild<QPushButton *>("Command3")->click();
        }));
        statuses << p.main.statusText();

        QCOMPARE(answerer.seen.size(), done ? 4 : 3);
        if (done)
            QCOMPARE(answerer.seen.takeFirst().text, QString("Запис виконано!"));
        QStringList notDone = { "Поручение не сохранено в архиве.", "Реквизиты не сохранены.",
                                "Поручение не удалено." };
        for (const TestSupport::SeenBox &box : answerer.seen)
            QVERIFY2(box.icon == (done ? QMessageBox::Warning : QMessageBox::Critical) && box.text.contains(reason)
                             && (done || box.text.startsWith(notDone.takeFirst() + "\n\n")),
                     qPrintable(box.text));
        // After a failure the status stays what the command's window put there.
        QCOMPARE(statuses, done ? QStringList({ "Сохранено", "Сохранено", "Удалено" })
                                : QStringList({ "Заполнение", "Реквизиты", "Архив" }));
        QCOMPARE(p.rows("select suma from arc") + p.rows("select firma from firma"),
                 done ? QList<QStringList>({ { "2,00" }, { "ПП2" } }) : QList<QStringList>({ { "1,00" }, { "ПП" } }));
    }

    // Two processes each save 500 orders into one file: all 1 000 are there,
    // whole, and every save was reported done.
    void twoCopiesAtOnce()
    {
        TestSupport::ProgramFolder folder;
        const QString path = folder.databasePath();
        Child copies[2];
        for (Child &c : copies)
            QCOMPARE(c.open({ path }), QString("opened"));
        for (int c = 0; c < 2; ++c)
            copies[c].send(QString("save %1 500").arg(1 + c * 500));
        for (int c = 0; c < 2; ++c) {
            QCOMPARE(copies[c].finish(300000), 0);
            // A failure would end the run.
            QCOMPARE(copies[c].lines().filter(QRegularExpression("^saved \\d+$")).size(), 500);
        }
        const QList<QStringList> rows = TestSupport::queryRows(path, "select * from arc order by id");
        QCOMPARE(rows.size(), 1000);
        for (int i = 0; i < rows.size(); ++i)
            QCOMPARE(rows[i], orderFor(i + 1));
        // The copies took turns: neither finished before the other began.
        const auto turns = TestSupport::queryRows(path, "select sum(t) from (select (id > 500) != lag(id > 500) "
                                                        "over (order by rowid) as t from arc)");
        QVERIFY2(turns.value(0).value(0).toInt() >= 2, "the two copies did not save at the same time");
        // A rollback journal, which any other program can read: no WAL.
        QCOMPARE(TestSupport::queryRows(path, "select * from pragma_journal_mode, pragma_integrity_check"),
                 (QList<QStringList>{ { "delete", "ok" } }));
    }

    // A copy saving in a loop is killed with SIGKILL at a random moment, 25
    // times. After each kill the file is sound and every order reported saved
    // is there; no order is half written.
    void killedWhileSaving()
    {
        TestSupport::ProgramFolder folder;
        const QString path = folder.databasePath();
        int saved = 0, midWrite = 0;
        for (int round = 0; round < 25; ++round) {
            Child child;
            QCOMPARE(child.open({ path }), QString("opened"));
            child.send(QString("save %1 0").arg(saved + 1));
            QThread::msleep(QRandomGenerator::global()->bounded(10, 250));
            QVERIFY2(child.p.state() == QProcess::Running, child.p.readAllStandardError().constData());
            child.p.kill();
            child.p.waitForFinished();
            midWrite += QFileInfo(path + "-journal").size() > 0;
            const QStringList said = child.lines();
            QCOMPARE(said.filter(QRegularExpression("^saved \\d+$")), said);
            const int reported = said.isEmpty() ? saved : said.last().section(' ', 1).toInt();
            // The reading rolls back what the killed copy left: orders 1 to
            // saved, none lost, none half written.
            const QList<QStringList> rows = TestSupport::queryRows(path, "select * from arc order by id");
            saved = int(rows.size());
            QCOMPARE(TestSupport::queryRows(path, "pragma integrity_check"), (QList<QStringList>{ { "ok" } }));
            QVERIFY2(saved >= reported,
                     qPrintable(QString("round %1: %2 reported saved, %3 there").arg(round).arg(reported).arg(saved)));
            for (int i = 0; i < saved; ++i)
                QCOMPARE(rows[i], orderFor(i + 1));
        }
        qInfo("25 kills, %d in the middle of a write; %d orders saved", midWrite, saved);
        QVERIFY2(midWrite > 0, "no kill came in the middle of a write");
    }
};

int main(int argc, char *argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--child") == 0)
        return child(argc, argv);
    // Some faults fail system calls in this process or a child: it starts
    // again with the fault library loaded, which does nothing until asked.
    if (!qgetenv("LD_PRELOAD").contains(VEXA_SYSCALL_FAULTS)) {
        qputenv("LD_PRELOAD", VEXA_SYSCALL_FAULTS " " + qgetenv("LD_PRELOAD"));
        qputenv("ASAN_OPTIONS", qgetenv("ASAN_OPTIONS") + ":verify_asan_link_order=0");
        ::execv("/proc/self/exe", argv);
        return 7;
    }
    QApplication app(argc, argv);
    TestStoreFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_storefaults.moc"
