// Faults of the database file, two copies at once and a copy killed while
// saving, each against a real SQLite file through the program's own store
// code in processes of their own. Every failure must be told as one, the
// file left as it was, and every order reported saved must stay.
//
// The test program is its own second process: "--child [nobody] MODE DB ..."
//   save DB FIRST COUNT   "ready", then COUNT orders from number FIRST (0:
//                         until killed), "saved N" after each
//   ops DB [pages|fsize]  "opened", then runs "insert ID", "update TEXT",
//                         "delete ID" from stdin: "ok", "ok<TAB>warning" or
//                         "failed<TAB>reason" each; pages: the file may not
//                         grow (a full disk); fsize: no file may grow, by the
//                         system's file-size limit (ulimit -f)
// nobody: a child started by root becomes nobody, so that permissions apply.
// Whole windows on a failing file: tst_badinput; the program refusing a file
// at start: tests/app.
#include "store/Database.h"
#include "support/TestSupport.h"

#include <QtSql>
#include <QtTest>

#include <sqlite3.h>

#include <cstdio>
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

OrderRecord record(const QStringList &c)
{
    return { c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8] };
}

void say(const QString &line)
{
    // One unbuffered write: a line the test reads was said before any kill.
    const QByteArray bytes = line.toUtf8() + '\n';
    if (::write(STDOUT_FILENO, bytes.constData(), size_t(bytes.size())) != bytes.size())
        ::_exit(6);
}

int child(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(2);
    if (!TestSupport::becomeNobodyIfAsked(&args))
        return 5;
    Database db;
    const auto report = [&](bool ok, const QString &line) {
        const QString warning = db.warningText().replace('\n', ' ');
        say(ok ? line + (warning.isEmpty() ? "" : "\t" + warning) : "failed\t" + db.errorText().replace('\n', ' '));
        return ok;
    };
    if (!report(db.open(args.value(1)), args.value(0) == "save" ? "ready" : "opened"))
        return 3;
    if (args.value(0) == "save") {
        const int first = args.value(2).toInt(), count = args.value(3).toInt();
        for (int id = first; count == 0 || id < first + count; ++id)
            if (!report(db.insertOrder(record(orderFor(id))), "saved " + QString::number(id)))
                return 1;
        return 0;
    }
    if (args.value(2) == "pages") {
        // The file may not grow by a single page.
        sqlite3_stmt *pages = nullptr;
        sqlite3_prepare_v2(db.handle(), "pragma page_count", -1, &pages, nullptr);
        const bool counted = sqlite3_step(pages) == SQLITE_ROW;
        const QByteArray limit = "pragma max_page_count=" + QByteArray::number(sqlite3_column_int64(pages, 0));
        sqlite3_finalize(pages);
        if (!counted || sqlite3_exec(db.handle(), limit.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
            return 4;
    }
    if (args.value(2) == "fsize") {
        const rlimit limit{ rlim_t(QFileInfo(args.value(1)).size()), RLIM_INFINITY };
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 4;
    }
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, stdin)) {
        const QString line = QString::fromUtf8(buffer).trimmed(), value = line.section(' ', 1);
        if (line.startsWith("insert "))
            report(db.insertOrder(record(orderFor(value.toInt()))), "ok");
        else if (line.startsWith("delete "))
            report(db.deleteOrder(value.toLongLong()), "ok");
        else // long enough to need new pages
            report(db.saveRequisites({ value, value, value, value, value.repeated(2000) }), "ok");
    }
    return 0;
}

struct Child
{
    QProcess p;
    bool start(const QStringList &args, bool asNobody = false,
               const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
    {
        p.setProcessEnvironment(environment);
        p.start(QCoreApplication::applicationFilePath(),
                QStringList{ "--child" } + (asNobody ? QStringList{ "nobody" } : QStringList()) + args);
        return p.waitForStarted();
    }
    QString line(int ms = 30000)
    {
        for (QDeadlineTimer deadline(ms); !p.canReadLine() && p.state() == QProcess::Running && !deadline.hasExpired();)
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

// Hands the folder and its files to nobody, for a child that runs as nobody.
bool giveToNobody(const QString &folder)
{
    return ::geteuid() != 0 || QProcess::execute("chown", { "-R", "nobody:", folder }) == 0;
}

bool setModes(const QString &folder, int folderMode, int fileMode)
{
    return ::chmod(QFile::encodeName(folder), mode_t(folderMode)) == 0
            && ::chmod(QFile::encodeName(folder + "/vexa.mdb"), mode_t(fileMode)) == 0;
}

// Everything the folder holds: its entries, arc by rowid, firma, the check.
QStringList contents(const QString &path)
{
    QStringList out = QFileInfo(path).dir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const char *sql : { "select rowid, * from arc order by rowid", "select * from firma", "pragma integrity_check" })
        for (const QStringList &row : TestSupport::queryRows(path, sql))
            out << row.join('|');
    return out;
}

// The rows of arc by number; the reading rolls back what a killed copy left.
QMap<int, QStringList> arcRows(const QString &path)
{
    QMap<int, QStringList> rows;
    for (const QStringList &row : TestSupport::queryRows(path, "select * from arc"))
        rows.insert(row[0].toInt(), row);
    return rows;
}

} // namespace

class TestStoreFaults : public QObject
{
    Q_OBJECT

private slots:
    // Opened by a user without the rights it needs: refused with the reason,
    // nothing created or changed.
    void refusedAtStart_data()
    {
        QTest::addColumn<int>("fileMode");
        QTest::addColumn<int>("folderMode");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no read permission") << 0200 << 0755 << "чтение";
        QTest::newRow("no write permission") << 0444 << 0755 << "запись в файл";
        QTest::newRow("folder not writable") << 0644 << 0555 << "запись в папку";
        QTest::newRow("folder not searchable") << 0644 << 0600 << "доступа к папке";
    }

    void refusedAtStart()
    {
        QFETCH(int, fileMode);
        QFETCH(int, folderMode);
        QFETCH(QString, reason);
        TestSupport::ProgramFolder folder;
        const QString path = folder.databasePath();
        const QStringList before = contents(path);
        QVERIFY(giveToNobody(folder.path()) && setModes(folder.path(), folderMode, fileMode));
        Child child;
        QVERIFY(child.start({ "ops", path }, true));
        const int status = child.finish();
        QVERIFY(setModes(folder.path(), 0755, 0644));
        QCOMPARE(status, 3);
        const QStringList lines = child.lines();
        QVERIFY2(lines.size() == 1 && lines[0].startsWith("failed\t") && lines[0].contains(reason, Qt::CaseInsensitive),
                 qPrintable(lines.join('\n')));
        QCOMPARE(contents(path), before);
    }

    // Three copies have the file open when the fault comes; then one saves, one
    // updates the requisites and one deletes, at the same time. Each is refused
    // with the reason and the file stays as it was; only under the page limit a
    // delete, which needs no new page, still works. Where the fault can be taken
    // back the same copy saves again.
    void faultWhileRunning_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("reason");
        QTest::newRow("file made read-only") << "file" << "запись в файл";
        QTest::newRow("folder made read-only") << "folder" << "запись в папку";
        QTest::newRow("locked by another program") << "locked" << "locked";
        QTest::newRow("disk full: page limit") << "pages" << "full";
    }

    void faultWhileRunning()
    {
        QFETCH(QString, fault);
        QFETCH(QString, reason);
        TestSupport::ProgramFolder folder;
        const QString path = folder.databasePath();
        QVERIFY(TestSupport::execSql(path, "insert into arc values (1, '1,00', 'a', 'b', 'c', 'd', 'e', 'f', '01.02.2026'),"
                                           " (2, '2,00', 'a', 'b', 'c', 'd', 'e', 'f', ''), (3, '', '', '', '', '', '', '', '')"));
        QVERIFY(giveToNobody(folder.path()));
        QStringList before = contents(path);
        Child copies[3];
        for (Child &c : copies) {
            QVERIFY(c.start({ "ops", path, fault }, true));
            QCOMPARE(c.line(), QString("opened"));
        }

        const auto dropOther = qScopeGuard([] { QSqlDatabase::removeDatabase("other program"); });
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other program");
        other.setDatabaseName(path);
        QVERIFY(fault != "locked" || (other.open() && QSqlQuery(other).exec("begin exclusive")));
        QVERIFY(setModes(folder.path(), fault == "folder" ? 0555 : 0755, fault == "file" ? 0444 : 0644));

        QElapsedTimer timer;
        timer.start();
        const QStringList commands{ "insert 299", "update Змiнено", "delete 2" };
        for (int i = 0; i < 3; ++i)
            copies[i].send(commands[i]);
        for (int i = 0; i < 3; ++i) {
            const QString answer = copies[i].line(3 * Database::BusyTimeoutMs);
            QVERIFY2(fault == "pages" && i == 2 ? answer == "ok"
                                                 : answer.startsWith("failed\t") && answer.contains(reason, Qt::CaseInsensitive),
                     qPrintable(commands[i] + ": " + answer));
        }
        if (fault == "locked") {
            QVERIFY2(timer.elapsed() >= Database::BusyTimeoutMs - 500, "gave up before the busy timeout");
            QVERIFY(QSqlQuery(other).exec("rollback"));
        }
        QVERIFY(setModes(folder.path(), 0755, 0644));

        if (fault == "pages")
            before.removeAt(2); // order 2
        QCOMPARE(contents(path), before);
        copies[0].send("insert 299");
        const QString again = copies[0].line();
        QVERIFY2(fault == "pages" ? again.startsWith("failed\t") && again.contains("database or disk is full")
                                  : again == "ok",
                 qPrintable(again));
        for (Child &c : copies)
            QCOMPARE(c.finish(), 0);
    }

    // A system call fails at the end of a change, in the child that makes it:
    // the folder's sync after the commit (the change is in the file: told
    // done, with the disk's warning) or the journal's deletion (the next
    // read rolls the change back: told not done). Either way what is told
    // is what the file holds, so a second save never stores an order twice.
    void faultAfterCommit_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("done");
        const QStringList commands{ "insert 7", "delete 2", "update Змiнено" };
        for (const QString &command : commands) {
            QTest::addRow("folder sync fails: %s", qPrintable(command)) << "VEXA_FAIL_DIR_SYNC" << command << true;
            QTest::addRow("journal deletion fails: %s", qPrintable(command)) << "VEXA_FAIL_JOURNAL_DELETE" << command << false;
        }
    }

    void faultAfterCommit()
    {
        QFETCH(QString, fault);
        QFETCH(QString, command);
        QFETCH(bool, done);
        TestSupport::ProgramFolder folder;
        const QString path = folder.databasePath();
        QVERIFY(TestSupport::execSql(path, "insert into arc values (1, '1,00', 'a', 'b', 'c', 'd', 'e', 'f', '01.02.2026'),"
                                           " (2, '2,00', 'a', 'b', 'c', 'd', 'e', 'f', '')"));
        const QStringList before = contents(path);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LD_PRELOAD", VEXA_SYSCALL_FAULTS);
        environment.insert("ASAN_OPTIONS", "verify_asan_link_order=0");
        environment.insert(fault, "1");
        Child child;
        QVERIFY(child.start({ "ops", path }, false, environment));
        QCOMPARE(child.line(), QString("opened"));
        child.send(command);
        const QString answer = child.line();
        QCOMPARE(child.finish(), 0);

        if (done)
            QVERIFY2(answer.startsWith("ok\t") && answer.contains("диск сообщил об ошибке"), qPrintable(answer));
        else
            QVERIFY2(answer.startsWith("failed\t") && answer.contains("Ошибка чтения или записи"), qPrintable(answer));
        const QStringList after = contents(path);
        QCOMPARE(TestSupport::queryRows(path, "pragma integrity_check"), (QList<QStringList>{ { "ok" } }));
        QVERIFY(!QFileInfo::exists(path + "-journal"));
        if (!done) {
            QCOMPARE(after, before);
        } else if (command.startsWith("insert")) {
            QCOMPARE(TestSupport::queryRows(path, "select * from arc where id = 7"), (QList<QStringList>{ orderFor(7) }));
            QCOMPARE(after.size(), before.size() + 1);
        } else if (command.startsWith("delete")) {
            QCOMPARE(TestSupport::queryRows(path, "select count(*) from arc where id = 2"), (QList<QStringList>{ { "0" } }));
            QCOMPARE(after.size(), before.size() - 1);
        } else {
            QCOMPARE(TestSupport::queryRows(path, "select firma from firma"), (QList<QStringList>{ { "Змiнено" } }));
        }
    }

    // Past the system's file-size limit the save fails like one on a full
    // disk; the program is not killed by SIGXFSZ, every order told saved is
    // there and the file is sound.
    void fileSizeLimit()
    {
        TestSupport::ProgramFolder folder;
        const QString path = folder.databasePath();
        Child child;
        QVERIFY(child.start({ "ops", path, "fsize" }));
        QCOMPARE(child.line(), QString("opened"));
        QList<int> saved;
        QString refusal;
        for (int id = 1; id <= 60 && refusal.isEmpty(); ++id) {
            child.send("insert " + QString::number(id + 200));
            const QString answer = child.line();
            if (answer == "ok")
                saved << id + 200;
            else
                refusal = answer;
        }
        const int status = child.finish();
        QVERIFY2(status == 0, qPrintable(QString("exit %1, %2").arg(status).arg(int(child.p.error()))));
        QVERIFY2(refusal.startsWith("failed\t") && refusal.contains("Нет места на диске"), qPrintable(refusal));
        QCOMPARE(TestSupport::queryRows(path, "pragma integrity_check"), (QList<QStringList>{ { "ok" } }));
        QList<int> there;
        for (const QStringList &row : TestSupport::queryRows(path, "select id from arc order by rowid"))
            there << row[0].toInt();
        QCOMPARE(there, saved);
    }

    // Two processes each save 500 orders into one file: all 1 000 are there,
    // whole, and every save was reported done.
    void twoCopiesAtOnce()
    {
        TestSupport::ProgramFolder folder;
        const QString path = folder.databasePath();
        Child copies[2];
        for (int c = 0; c < 2; ++c)
            QVERIFY(copies[c].start({ "save", path, QString::number(1 + c * 500), "500" }));
        for (int c = 0; c < 2; ++c) {
            QStringList expected{ "ready" };
            for (int id = 1 + c * 500; id <= (c + 1) * 500; ++id)
                expected << "saved " + QString::number(id);
            QCOMPARE(copies[c].finish(300000), 0);
            QCOMPARE(copies[c].lines(), expected);
        }
        const QMap<int, QStringList> rows = arcRows(path);
        QCOMPARE(TestSupport::queryRows(path, "select count(*) from arc"), (QList<QStringList>{ { "1000" } }));
        for (int id = 1; id <= 1000; ++id)
            QCOMPARE(rows.value(id), orderFor(id));
        // The copies took turns: neither finished before the other began.
        const auto order = TestSupport::queryRows(path, "select id > 500 from arc order by rowid");
        int turns = 0;
        for (int i = 1; i < order.size(); ++i)
            turns += order[i] != order[i - 1];
        QVERIFY2(turns >= 2, "the two copies did not save at the same time");
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
        const quint32 seed = qEnvironmentVariableIsSet("VEXA_CRASH_SEED")
                ? quint32(qEnvironmentVariableIntValue("VEXA_CRASH_SEED"))
                : QRandomGenerator::global()->generate();
        qInfo("random seed %u (set VEXA_CRASH_SEED to repeat)", seed);
        QRandomGenerator random(seed);
        int saved = 0, midWrite = 0;
        for (int round = 0; round < 25; ++round) {
            Child child;
            QVERIFY(child.start({ "save", path, QString::number(saved + 1), "0" }));
            QCOMPARE(child.line(), QString("ready"));
            QThread::msleep(random.bounded(10, 250));
            QVERIFY2(child.p.state() == QProcess::Running, child.p.readAllStandardError().constData());
            child.p.kill();
            child.p.waitForFinished();
            midWrite += QFileInfo(path + "-journal").size() > 0;
            int reported = saved;
            for (const QString &line : child.lines()) {
                QVERIFY2(line.startsWith("saved "), qPrintable(line));
                reported = line.section(' ', 1).toInt();
            }

            const QMap<int, QStringList> rows = arcRows(path);
            saved = rows.isEmpty() ? 0 : rows.lastKey();
            QCOMPARE(TestSupport::queryRows(path, "pragma integrity_check"), (QList<QStringList>{ { "ok" } }));
            QVERIFY2(rows.size() == saved && saved >= reported, // orders 1 to saved, none lost
                     qPrintable(QString("round %1: %2 reported saved, %3 there").arg(round).arg(reported).arg(rows.size())));
            for (auto it = rows.cbegin(); it != rows.cend(); ++it) // none half written
                QCOMPARE(it.value(), orderFor(it.key()));
        }
        qInfo("25 kills, %d in the middle of a write; %d orders saved", midWrite, saved);
        QVERIFY2(midWrite > 0, "no kill came in the middle of a write");
    }
};

int main(int argc, char *argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--child") == 0)
        return child(argc, argv);
    QCoreApplication app(argc, argv);
    TestStoreFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_storefaults.moc"
