// Faults of the database file, two copies at once and a copy killed while
// saving, each against a real SQLite file through the program's own store
// code in processes of their own. Every failure must be told as one, the
// file left as it was, and every order reported saved must stay.
//
// The test program is its own second process: "--child [nobody] MODE ..."
//   program FOLDER        the whole program with every message box answered:
//                         "box<TAB>text" per box, then its exit status
//   save DB FIRST COUNT   "ready", then COUNT orders from number FIRST, a line
//                         after each; COUNT 0: until killed, now and then
//                         deleting an order and updating the requisites
//   ops DB [FAULT]        runs "insert ID", "update TEXT", "delete ID" from
//                         stdin: "ok" or "failed<TAB>reason" each. FAULT
//                         pages: the file may not grow; fsize: no file of
//                         the process may grow past 1 KiB (a full disk)
// nobody: a child started by root becomes nobody, so that permissions apply.
#include "app/StartUp.h"
#include "store/Database.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QtSql>
#include <QtTest>

#include <cstdio>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The order saved as number id; the purpose of some takes several pages.
OrderRecord orderFor(int id)
{
    const QString n = QString::number(id);
    return { n, n + ",00", "Одержувач " + n, n, "Банк " + n, n, "2600" + n,
             ("Призначення " + n + ' ').repeated(1 + id % 300), "01.02.2026" };
}

QStringList columns(const OrderRecord &o)
{
    return { o.id, o.suma, o.oderz, o.idoderz, o.bank, o.idbank, o.kredit, o.oznaka, o.datazap };
}

void say(const QString &line)
{
    // One unbuffered write: a line the test reads was said before any kill.
    const QByteArray bytes = line.toUtf8().replace('\n', ' ') + '\n';
    if (::write(STDOUT_FILENO, bytes.constData(), size_t(bytes.size())) != bytes.size())
        ::_exit(6);
}

int child(int argc, char *argv[])
{
    QStringList args;
    for (int i = 2; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const passwd *nobody = ::getpwnam("nobody");
    if (args.value(0) == "nobody" && (args.removeFirst(), ::geteuid() == 0)
        && !(nobody && ::setgroups(0, nullptr) == 0 && ::setgid(nobody->pw_gid) == 0 && ::setuid(nobody->pw_uid) == 0))
        return 5;

    if (args.value(0) == "program") {
        QApplication app(argc, argv);
        TestSupport::MessageBoxAnswerer answerer;
        const int status = RunProgram(args.value(1));
        for (const TestSupport::SeenBox &box : answerer.seen)
            say("box\t" + box.text);
        return status;
    }
    QCoreApplication app(argc, argv);
    Database db;
    if (!db.open(args.value(1))) {
        say("failed\t" + db.errorText());
        return 3;
    }
    auto report = [&](bool ok, const QString &line) {
        say(ok ? line : "failed\t" + db.errorText());
        return ok;
    };
    if (args.value(0) == "save") {
        say("ready");
        const int first = args.value(2).toInt(), count = args.value(3).toInt();
        for (int id = first; count == 0 || id < first + count; ++id) {
            const QString n = QString::number(id);
            if (!report(db.insertOrder(orderFor(id)), "saved " + n)
                || (count == 0 && (id - first) % 4 == 3
                    && !report(db.deleteOrder(id - 2), QString("deleted %1").arg(id - 2)))
                || (count == 0 && (id - first) % 7 == 5 && !report(db.updateFirma({ n, n, n, n, n }), "firma " + n)))
                return 1;
        }
        return 0;
    }
    if (args.value(2) == "pages") {
        QSqlQuery q(QSqlDatabase::database(QSqlDatabase::connectionNames().value(0), false));
        if (!q.exec("pragma page_count") || !q.next() || !q.exec("pragma max_page_count=" + q.value(0).toString()))
            return 4;
    } else if (args.value(2) == "fsize") {
        ::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails with EFBIG
        const rlimit limit{ 1024, 1024 };
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 4;
    }
    say("opened");
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, stdin)) {
        const QString line = QString::fromUtf8(buffer).trimmed(), value = line.section(' ', 1);
        if (line.startsWith("insert "))
            report(db.insertOrder(orderFor(value.toInt())), "ok");
        else if (line.startsWith("delete "))
            report(db.deleteOrder(value.toLongLong()), "ok");
        else if (line.startsWith("update ")) // long enough to need new pages
            report(db.updateFirma({ value, value, value, value, value.repeated(2000) }), "ok");
        else
            break;
    }
    return 0;
}

struct Child
{
    QProcess p;
    bool start(const QStringList &args, bool asNobody = false)
    {
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
    void send(const QString &command)
    {
        p.write(command.toUtf8() + '\n');
        p.waitForBytesWritten();
    }
    // The exit status, or -1 for a crash or a timeout.
    int finish(int ms = 30000)
    {
        return p.waitForFinished(ms) && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    QStringList lines() // the lines not read yet; say() writes each whole
    {
        return QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    }
};

// Hands the folder and its files to nobody, for a child that runs as nobody.
bool giveToNobody(const QString &folder)
{
    return ::geteuid() != 0 || QProcess::execute("chown", { "-R", "nobody:", folder }) == 0;
}

bool setMode(const QString &path, int mode)
{
    return ::chmod(QFile::encodeName(path), mode_t(mode)) == 0;
}

QByteArray bytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

QString integrity(const QString &path)
{
    return TestSupport::queryRows(path, "pragma integrity_check").value(0).value(0);
}

// Everything the file holds, as text: arc by rowid, then firma.
QStringList contents(const QString &path)
{
    QStringList out;
    for (const char *sql : { "select rowid, * from arc order by rowid", "select * from firma" })
        for (const QStringList &row : TestSupport::queryRows(path, sql))
            out << row.join('|');
    return out << integrity(path);
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
    // The whole program, run by a user without the rights it needs: one message
    // naming the file and the reason, exit status 1, nothing created or changed.
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
        const QByteArray before = bytes(path);
        QVERIFY(giveToNobody(folder.path()) && setMode(path, fileMode) && setMode(folder.path(), folderMode));
        Child child;
        QVERIFY(child.start({ "program", folder.path() }, true));
        const int status = child.finish();
        QVERIFY(setMode(folder.path(), 0755) && setMode(path, 0644));
        const QStringList lines = child.lines();
        QCOMPARE(status, 1);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].startsWith("box\t") && lines[0].contains(QDir::toNativeSeparators(path))
                         && lines[0].contains(reason, Qt::CaseInsensitive),
                 qPrintable(lines[0]));
        QCOMPARE(bytes(path), before);
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{ "vexa.mdb" });
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
        QTest::newRow("file replaced") << "replaced" << "заменён";
        QTest::newRow("locked by another program") << "locked" << "locked";
        QTest::newRow("disk full: page limit") << "pages" << "full";
        QTest::newRow("disk full: file size limit") << "fsize" << "disk";
    }

    void faultWhileRunning()
    {
        QFETCH(QString, fault);
        QFETCH(QString, reason);
        TestSupport::ProgramFolder folder;
        const QString path = folder.databasePath();
        QVERIFY(TestSupport::execSql(path, "insert into arc values (1, '1,00', 'a', 'b', 'c', 'd', 'e', 'f', '01.02.2026'),"
                                           " (2, '2,00', 'a', 'b', 'c', 'd', 'e', 'f', ''), (3, '', '', '', '', '', '', '', '')"));
        QVERIFY(QFile::copy(path, path + ".copy") && giveToNobody(folder.path()));
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
        QVERIFY(fault != "file" || setMode(path, 0444));
        QVERIFY(fault != "folder" || setMode(folder.path(), 0555));
        QVERIFY(fault != "replaced" || ::rename(QFile::encodeName(path + ".copy"), QFile::encodeName(path)) == 0);

        QElapsedTimer timer;
        timer.start();
        const QStringList commands{ "insert 299", "update Змiнено", "delete 2" };
        for (int i = 0; i < 3; ++i)
            copies[i].send(commands[i]);
        for (int i = 0; i < 3; ++i) {
            const QString answer = copies[i].line(3 * Database::BusyTimeoutMs);
            if (fault == "pages" && i == 2)
                QCOMPARE(answer, QString("ok"));
            else
                QVERIFY2(answer.startsWith("failed\t") && answer.contains(reason, Qt::CaseInsensitive),
                         qPrintable(commands[i] + ": " + answer));
        }
        if (fault == "locked") {
            QVERIFY2(timer.elapsed() >= Database::BusyTimeoutMs - 500, "gave up before the busy timeout");
            QVERIFY(QSqlQuery(other).exec("rollback"));
        }
        QVERIFY(setMode(path, 0644) && setMode(folder.path(), 0755));

        if (fault == "pages")
            before.removeAt(1); // order 2
        QCOMPARE(contents(path), before);
        if (fault == "file" || fault == "folder" || fault == "locked") {
            copies[0].send("insert 299");
            QCOMPARE(copies[0].line(), QString("ok"));
        }
        for (Child &c : copies) {
            c.p.closeWriteChannel();
            QCOMPARE(c.finish(), 0);
        }
        QVERIFY(!QFileInfo::exists(path + "-journal"));
    }

    // Two processes each save 500 orders into one file: all 1 000 are there,
    // whole, and every save was reported done.
    void twoCopiesAtOnce()
    {
        constexpr int PerCopy = 500;
        TestSupport::ProgramFolder folder;
        const QString path = folder.databasePath();
        Child copies[2];
        for (int c = 0; c < 2; ++c)
            QVERIFY(copies[c].start({ "save", path, QString::number(1 + c * PerCopy), QString::number(PerCopy) }));
        for (int c = 0; c < 2; ++c) {
            const int status = copies[c].finish(300000);
            const QStringList lines = copies[c].lines();
            QVERIFY2(status == 0, qPrintable(lines.value(lines.size() - 1) + copies[c].p.readAllStandardError()));
            QStringList expected{ "ready" };
            for (int id = 1 + c * PerCopy; id <= (c + 1) * PerCopy; ++id)
                expected << "saved " + QString::number(id);
            QCOMPARE(lines, expected);
        }
        const QMap<int, QStringList> rows = arcRows(path);
        QCOMPARE(TestSupport::queryRows(path, "select count(*), count(distinct id) from arc"),
                 (QList<QStringList>{ { "1000", "1000" } }));
        for (int id = 1; id <= 2 * PerCopy; ++id)
            QCOMPARE(rows.value(id), columns(orderFor(id)));
        // The copies took turns: neither finished before the other began.
        int turns = 0;
        const auto order = TestSupport::queryRows(path, "select id > 500 from arc order by rowid");
        for (int i = 1; i < order.size(); ++i)
            turns += order[i] != order[i - 1];
        QVERIFY2(turns >= 2, "the two copies did not save at the same time");
        QCOMPARE(integrity(path), QString("ok"));
        // A rollback journal, which any other program can read: no WAL.
        QCOMPARE(TestSupport::queryRows(path, "pragma journal_mode").value(0).value(0), QString("delete"));
    }

    // A copy saving, deleting and updating in a loop is killed with SIGKILL at a
    // random moment, 25 times. After each kill the file is sound, every order
    // reported saved is there and whole, every order reported deleted is gone,
    // and the requisites are the last reported or a later write.
    void killedWhileSaving()
    {
        TestSupport::ProgramFolder folder;
        const QString path = folder.databasePath();
        const quint32 seed = qEnvironmentVariableIsSet("VEXA_CRASH_SEED")
                ? quint32(qEnvironmentVariableIntValue("VEXA_CRASH_SEED"))
                : QRandomGenerator::global()->generate();
        qInfo("random seed %u (set VEXA_CRASH_SEED to repeat)", seed);
        QRandomGenerator random(seed);
        QSet<int> saved, deleted;
        int next = 1, midWrite = 0, lastFirma = 0;
        for (int round = 0; round < 25; ++round) {
            Child child;
            QVERIFY(child.start({ "save", path, QString::number(next), "0" }));
            QCOMPARE(child.line(), QString("ready"));
            QThread::msleep(random.bounded(10, 250));
            QVERIFY2(child.p.state() == QProcess::Running, child.p.readAllStandardError().constData());
            child.p.kill();
            child.p.waitForFinished();
            midWrite += QFileInfo(path + "-journal").size() > 0;
            int last = next - 1;
            for (const QString &line : child.lines()) {
                const int id = line.section(' ', 1).toInt();
                last = qMax(last, id);
                if (line.startsWith("saved ")) {
                    saved.insert(id);
                    if ((id - next) % 4 == 3) // then deleted, perhaps killed before the report
                        saved.remove(id - 2);
                } else if (line.startsWith("deleted ")) {
                    deleted.insert(id);
                } else {
                    QVERIFY2(line.startsWith("firma "), qPrintable(line));
                    lastFirma = id;
                }
            }

            const QMap<int, QStringList> rows = arcRows(path);
            QCOMPARE(integrity(path), QString("ok"));
            for (int id : std::as_const(saved))
                QVERIFY2(rows.contains(id), qPrintable(QString("round %1: saved order %2 is lost").arg(round).arg(id)));
            for (int id : std::as_const(deleted))
                QVERIFY2(!rows.contains(id), qPrintable(QString("round %1: deleted order %2 is back").arg(round).arg(id)));
            for (auto it = rows.cbegin(); it != rows.cend(); ++it) // none half written
                QCOMPARE(it.value(), columns(orderFor(it.key())));
            const auto firma = TestSupport::queryRows(path, "select firma from firma");
            QCOMPARE(firma.size(), 1);
            QVERIFY2(firma[0][0].toInt() >= lastFirma, qPrintable(firma[0][0]));
            next = qMax(rows.isEmpty() ? 0 : rows.lastKey(), last) + 1;
        }
        qInfo("25 kills, %d in the middle of a write; %lld orders reported saved, %lld deleted", midWrite,
              qint64(saved.size()), qint64(deleted.size()));
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
