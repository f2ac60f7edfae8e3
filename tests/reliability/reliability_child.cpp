// A second process for the reliability tests: another copy of the program,
// a program that crashes in the middle of saving, another program holding
// the file locked, or the program run by a user without rights on the file.
// It talks to the test through lines on stdin and stdout.
//
//   reliability_child [--as-nobody] MODE ARGS...
//
//   open DB                 open the file through Database; "opened" or
//                           "refused<TAB>reason"; status 0 or 3
//   program FOLDER          the whole program started on FOLDER with every
//                           message box answered; "box<TAB>text" per box,
//                           then the program's exit status
//   save DB COUNT TAG FIRST after "go" on stdin, COUNT orders numbered from
//                           FIRST; "saved ID" or "failed ID<TAB>reason" each
//   loop DB TAG FIRST       saves (and now and then deletes, and updates the
//                           requisites) until killed; a line after each
//                           statement that returned done
//   lock DB                 another program: BEGIN EXCLUSIVE and a write,
//                           "locked", held until a line or the end of stdin
//   ops DB [FSIZE]          runs the commands read from stdin ("insert ID",
//                           "delete ID", "update TEXT", "quit") through one
//                           Database; "ok" or "failed<TAB>reason" each. With
//                           FSIZE no file of the process may grow past FSIZE
//                           bytes (a full disk)
//
// --as-nobody: when started by root, the process gives up root for the user
// nobody before anything else, so that file permissions apply to it.
#include "app/StartUp.h"
#include "store/Database.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>

#include <cstdio>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

void say(const QString &line)
{
    QByteArray bytes = line.toUtf8();
    bytes.replace('\n', ' ');
    bytes.replace('\r', ' ');
    bytes.append('\n');
    // One unbuffered write: a line the test reads was really said before any kill.
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(STDOUT_FILENO, p, size_t(left));
        if (n <= 0)
            return;
        p += n;
        left -= n;
    }
}

QString readLine()
{
    char buffer[4096];
    if (!std::fgets(buffer, sizeof buffer, stdin))
        return QString();
    return QString::fromUtf8(buffer).trimmed();
}

bool dropRoot()
{
    if (::geteuid() != 0)
        return true; // permissions already apply
    const passwd *nobody = ::getpwnam("nobody");
    if (!nobody)
        return false;
    if (::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0
        || ::setuid(nobody->pw_uid) != 0)
        return false;
    return ::geteuid() == nobody->pw_uid && ::setuid(0) != 0;
}

// The order a copy saves as number id: every value tells which it is, and the
// purpose is long enough to take more than one page.
OrderRecord orderFor(const QString &tag, int id)
{
    const QString key = tag + QLatin1Char('-') + QString::number(id);
    OrderRecord o;
    o.id = QString::number(id);
    o.suma = QString::number(id) + QStringLiteral(",00");
    o.oderz = QStringLiteral("Одержувач ") + key;
    o.idoderz = QString::number(10000000 + id);
    o.bank = QStringLiteral("Банк ") + key;
    o.idbank = QString::number(300000 + id % 1000);
    o.kredit = QString::number(260000000000LL + id);
    o.oznaka = (QStringLiteral("Призначення ") + key + QLatin1Char(' ')).repeated(1 + id % 300);
    o.datazap = QStringLiteral("01.02.2026");
    return o;
}

int openOnly(const QString &path)
{
    Database db;
    if (db.open(path)) {
        say(QStringLiteral("opened"));
        return 0;
    }
    say(QStringLiteral("refused\t") + db.errorText());
    return 3;
}

int runProgram(const QString &folder)
{
    TestSupport::MessageBoxAnswerer answerer;
    // The program must end by itself on a refused database; a running one
    // is a failure the test sees as status 9.
    QTimer::singleShot(20000, [] {
        say(QStringLiteral("still running"));
        ::_exit(9);
    });
    const int status = RunProgram(folder);
    for (const TestSupport::SeenBox &box : answerer.seen)
        say(QStringLiteral("box\t") + box.text);
    return status;
}

int saveMany(const QString &path, int count, const QString &tag, int first)
{
    Database db;
    if (!db.open(path)) {
        say(QStringLiteral("refused\t") + db.errorText());
        return 3;
    }
    say(QStringLiteral("opened"));
    if (readLine() != QLatin1String("go"))
        return 4;
    int failures = 0;
    for (int id = first; id < first + count; ++id) {
        if (db.insertOrder(orderFor(tag, id))) {
            say(QStringLiteral("saved %1").arg(id));
        } else {
            ++failures;
            say(QStringLiteral("failed %1\t%2").arg(id).arg(db.errorText()));
        }
    }
    return failures == 0 ? 0 : 1;
}

int saveUntilKilled(const QString &path, const QString &tag, int first)
{
    Database db;
    if (!db.open(path)) {
        say(QStringLiteral("refused\t") + db.errorText());
        return 3;
    }
    say(QStringLiteral("ready"));
    for (int id = first;; ++id) {
        if (!db.insertOrder(orderFor(tag, id))) {
            say(QStringLiteral("failed\t") + db.errorText());
            return 1;
        }
        say(QStringLiteral("saved %1").arg(id));
        // Now and then an older order goes, and the requisites change.
        if ((id - first) % 4 == 3) {
            if (!db.deleteOrder(id - 2)) {
                say(QStringLiteral("failed\t") + db.errorText());
                return 1;
            }
            say(QStringLiteral("deleted %1").arg(id - 2));
        }
        if ((id - first) % 7 == 5) {
            const QString name = tag + QLatin1Char('-') + QString::number(id);
            if (!db.updateFirma({ name, name, name, name, name })) {
                say(QStringLiteral("failed\t") + db.errorText());
                return 1;
            }
            say(QStringLiteral("firma %1").arg(id));
        }
    }
}

int holdLock(const QString &path)
{
    int status = 0;
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        other.setDatabaseName(path);
        if (!other.open()) {
            say(QStringLiteral("failed\t") + other.lastError().text());
            return 1;
        }
        QSqlQuery q(other);
        if (!q.exec(QStringLiteral("BEGIN EXCLUSIVE"))
            || !q.exec(QStringLiteral("insert into arc (id, oderz) values (32000, 'held')"))) {
            say(QStringLiteral("failed\t") + q.lastError().text());
            return 1;
        }
        say(QStringLiteral("locked"));
        readLine();
        if (!q.exec(QStringLiteral("ROLLBACK")))
            status = 1;
        q.finish();
        other.close();
        say(QStringLiteral("released"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    return status;
}

int runOps(const QString &path, qint64 fileSizeLimit)
{
    Database db;
    if (!db.open(path)) {
        say(QStringLiteral("refused\t") + db.errorText());
        return 3;
    }
    if (fileSizeLimit > 0) {
        // A write past the limit fails with EFBIG instead of ending the process.
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{ rlim_t(fileSizeLimit), rlim_t(fileSizeLimit) };
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            say(QStringLiteral("failed\tsetrlimit"));
            return 1;
        }
    }
    say(QStringLiteral("opened"));
    for (;;) {
        const QString line = readLine();
        if (line.isEmpty() || line == QLatin1String("quit"))
            return 0;
        const QString command = line.section(QLatin1Char(' '), 0, 0);
        const QString argument = line.section(QLatin1Char(' '), 1);
        bool ok = false;
        if (command == QLatin1String("insert"))
            ok = db.insertOrder(orderFor(QStringLiteral("ops"), argument.toInt()));
        else if (command == QLatin1String("delete"))
            ok = db.deleteOrder(argument.toLongLong());
        else if (command == QLatin1String("update"))
            ok = db.updateFirma({ argument, argument, argument, argument, argument });
        else
            return 2;
        say(ok ? QStringLiteral("ok") : QStringLiteral("failed\t") + db.errorText());
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (!args.isEmpty() && args.first() == QLatin1String("--as-nobody")) {
        args.removeFirst();
        if (!dropRoot()) {
            say(QStringLiteral("cannot become nobody"));
            return 5;
        }
    }
    const QString mode = args.value(0);

    if (mode == QLatin1String("program")) {
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Vexaron"));
        return runProgram(args.value(1));
    }

    QCoreApplication app(argc, argv);
    if (mode == QLatin1String("open"))
        return openOnly(args.value(1));
    if (mode == QLatin1String("save"))
        return saveMany(args.value(1), args.value(2).toInt(), args.value(3), args.value(4).toInt());
    if (mode == QLatin1String("loop"))
        return saveUntilKilled(args.value(1), args.value(2), args.value(3).toInt());
    if (mode == QLatin1String("lock"))
        return holdLock(args.value(1));
    if (mode == QLatin1String("ops"))
        return runOps(args.value(1), args.value(2).toLongLong());
    say(QStringLiteral("unknown mode"));
    return 2;
}
