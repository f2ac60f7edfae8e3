// Faults of the database file, each against a real SQLite file through the
// program's own store code: files the user may not read or write, the file
// made read-only, removed or replaced while the program runs, another
// program holding it locked, and a full disk. Every failure must be told as
// one, and the file must be left as it was.
#include "ChildProcess.h"

#include "store/Database.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

using Reliability::Child;
using TestSupport::ProgramFolder;

namespace {

// Everything the file holds, as text, and whether the engine finds it sound.
QStringList contents(const QString &path)
{
    QStringList out;
    if (!QFileInfo(path).isFile())
        return { QStringLiteral("<no file>") };
    const char *queries[] = { "select rowid, * from arc order by rowid", "select * from firma",
                              "pragma integrity_check" };
    for (const char *sql : queries)
        for (const QStringList &row : TestSupport::queryRows(path, QString::fromLatin1(sql)))
            out << row.join(QLatin1Char('|'));
    return out;
}

QByteArray bytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A delivered database with three orders and filled requisites.
bool prepare(const ProgramFolder &folder)
{
    if (!folder.isValid())
        return false;
    Database db;
    if (!db.open(folder.databasePath()))
        return false;
    for (int id = 1; id <= 3; ++id)
        if (!db.insertOrder({ QString::number(id), "1,00", "ТОВ Лан", "111", "Банк", "222", "333",
                              "Оплата", "01.02.2026" }))
            return false;
    return db.updateFirma({ "ПП Вексарон", "12345678", "АТ Банк", "305299", "2600" });
}

bool failed(const QString &answer)
{
    return answer.startsWith(QLatin1String("failed\t")) && answer.size() > 7;
}

// The connection Database opened on path, found by the file it names.
QSqlDatabase programConnection(const QString &path)
{
    for (const QString &name : QSqlDatabase::connectionNames()) {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (name.startsWith(QLatin1String("vexa-")) && db.isOpen()
            && db.databaseName().contains(QFileInfo(path).absoluteFilePath()))
            return db;
    }
    return QSqlDatabase();
}

} // namespace

class TestStoreFaults : public QObject
{
    Q_OBJECT

private slots:
    void refusedAtOpening_data();
    void refusedAtOpening();
    void programEndsOnRefusedFile_data();
    void programEndsOnRefusedFile();
    void fileChangedWhileRunning_data();
    void fileChangedWhileRunning();
    void lockedByAnotherProgram();
    void diskFullPageLimit();
    void diskFullWritesFail();
};

// Files the user may not read or write, and a folder the journal cannot be
// made in. The child runs without root, so that the permissions apply.
void TestStoreFaults::refusedAtOpening_data()
{
    QTest::addColumn<int>("fileMode");
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no read permission") << 0200 << 0755 << "чтение";
    QTest::newRow("no write permission") << 0444 << 0755 << "запись в файл";
    QTest::newRow("no permission at all") << 0000 << 0755 << "чтение";
    QTest::newRow("folder not writable") << 0644 << 0555 << "папк";
    QTest::newRow("folder not searchable") << 0644 << 0600 << "папк";
}

void TestStoreFaults::refusedAtOpening()
{
    QFETCH(int, fileMode);
    QFETCH(int, folderMode);
    QFETCH(QString, reason);
    ProgramFolder folder;
    QVERIFY(prepare(folder));
    const QString path = folder.databasePath();
    const QByteArray before = bytes(path);
    QVERIFY(Reliability::giveToChild(folder.path()));
    QVERIFY(Reliability::setMode(path, mode_t(fileMode)));
    QVERIFY(Reliability::setMode(folder.path(), mode_t(folderMode)));

    Child child;
    QVERIFY(child.start({ "open", path }, true));
    const QString answer = child.line();
    const int status = child.finish();
    QVERIFY(Reliability::setMode(folder.path(), 0755));
    QVERIFY(Reliability::setMode(path, 0644));

    QVERIFY2(answer.startsWith("refused\t"), qPrintable(answer + child.errors()));
    QVERIFY2(answer.contains(reason, Qt::CaseInsensitive), qPrintable(answer));
    QCOMPARE(status, 3);
    QCOMPARE(bytes(path), before);
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList({ "vexa.mdb" }));
}

// The whole program on such a file: one message naming the file and the
// reason, and a non-zero exit status.
void TestStoreFaults::programEndsOnRefusedFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("old Access file") << "jet" << "not a database";
    QTest::newRow("no write permission") << "readonly" << "запись";
    QTest::newRow("no read permission") << "unreadable" << "чтение";
}

void TestStoreFaults::programEndsOnRefusedFile()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    ProgramFolder folder;
    QVERIFY(prepare(folder));
    const QString path = folder.databasePath();
    if (kind == "jet") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QByteArray head("\x00\x01\x00\x00Standard Jet DB\x00", 20);
        head.append(QByteArray(2048 - head.size(), '\x00'));
        f.write(head);
    }
    const QByteArray before = bytes(path);
    QVERIFY(Reliability::giveToChild(folder.path()));
    if (kind == "readonly")
        QVERIFY(Reliability::setMode(path, 0444));
    if (kind == "unreadable")
        QVERIFY(Reliability::setMode(path, 0200));

    Child child;
    QVERIFY(child.start({ "program", folder.path() }, true));
    const int status = child.finish();
    QVERIFY(Reliability::setMode(path, 0644));
    const QStringList lines = child.allLines();
    QCOMPARE(status, 1);
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().startsWith("box\t"), qPrintable(lines.first()));
    QVERIFY2(lines.first().contains(QDir::toNativeSeparators(path)), qPrintable(lines.first()));
    QVERIFY2(lines.first().contains(reason, Qt::CaseInsensitive), qPrintable(lines.first()));
    QCOMPARE(bytes(path), before);
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList({ "vexa.mdb" }));
}

// The program has the file open; then the file (or its folder) is made
// read-only, or the file is removed or replaced. Saving, deleting and the
// requisites update must each fail, and the file must stay as it was. Once
// the permissions are back, the same run can save again.
void TestStoreFaults::fileChangedWhileRunning_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("file and folder made read-only") << "both";
    QTest::newRow("file made read-only") << "file";
    QTest::newRow("folder made read-only") << "folder";
    QTest::newRow("file removed") << "removed";
    QTest::newRow("file replaced") << "replaced";
}

void TestStoreFaults::fileChangedWhileRunning()
{
    QFETCH(QString, fault);
    ProgramFolder folder;
    QVERIFY(prepare(folder));
    const QString path = folder.databasePath();
    const QString copy = QDir(folder.path()).filePath("copy.mdb");
    QVERIFY(QFile::copy(path, copy));
    QVERIFY(Reliability::giveToChild(folder.path()));

    Child child;
    QVERIFY(child.start({ "ops", path }, true));
    QCOMPARE(child.line(), QString("opened"));

    if (fault == "both" || fault == "file")
        QVERIFY(Reliability::setMode(path, 0444));
    if (fault == "both" || fault == "folder")
        QVERIFY(Reliability::setMode(folder.path(), 0555));
    if (fault == "removed")
        QVERIFY(QFile::remove(path));
    if (fault == "replaced")
        QVERIFY(::rename(QFile::encodeName(copy).constData(), QFile::encodeName(path).constData()) == 0);
    const QStringList before = contents(path);

    for (const char *command : { "insert 99", "delete 2", "update Змiнено" }) {
        const QString answer = child.ask(command);
        QVERIFY2(failed(answer), qPrintable(QString("%1: %2 %3").arg(command, answer, child.errors())));
    }
    QCOMPARE(contents(path), before);
    if (fault == "removed")
        QVERIFY(!QFileInfo::exists(path));

    if (fault == "both" || fault == "file" || fault == "folder") {
        QVERIFY(Reliability::setMode(path, 0644));
        QVERIFY(Reliability::setMode(folder.path(), 0755));
        QCOMPARE(child.ask("insert 99"), QString("ok"));
        QCOMPARE(TestSupport::queryRows(path, "select count(*) from arc where id=99").first().first(),
                 QString("1"));
    }
    child.send("quit");
    QCOMPARE(child.finish(), 0);
    QVERIFY(Reliability::setMode(folder.path(), 0755));
    QVERIFY(!QFileInfo::exists(path + "-journal"));
}

// Another program holds the file with an exclusive lock, longer than the
// busy timeout: three copies of the program try to save, delete and update
// at the same time; each waits out the timeout and reports the failure.
void TestStoreFaults::lockedByAnotherProgram()
{
    ProgramFolder folder;
    QVERIFY(prepare(folder));
    const QString path = folder.databasePath();
    const QStringList before = contents(path);

    Child saver, deleter, updater, locker;
    Child *copies[] = { &saver, &deleter, &updater };
    for (Child *c : copies) {
        QVERIFY(c->start({ "ops", path }));
        QCOMPARE(c->line(), QString("opened"));
    }
    QVERIFY(locker.start({ "lock", path }));
    QCOMPARE(locker.line(), QString("locked"));

    QElapsedTimer timer;
    timer.start();
    saver.send("insert 99");
    deleter.send("delete 2");
    updater.send("update Змiнено");
    for (Child *c : copies) {
        const QString answer = c->line(Database::BusyTimeoutMs * 4);
        QVERIFY2(failed(answer), qPrintable(answer));
        QVERIFY2(answer.contains("locked"), qPrintable(answer));
    }
    QVERIFY2(timer.elapsed() >= Database::BusyTimeoutMs - 500, "gave up before the busy timeout");

    locker.closeInput();
    QCOMPARE(locker.line(), QString("released"));
    QCOMPARE(locker.finish(), 0);
    QCOMPARE(contents(path), before);

    // The lock gone, the same copies go on.
    QCOMPARE(saver.ask("insert 99"), QString("ok"));
    QCOMPARE(deleter.ask("delete 2"), QString("ok"));
    QCOMPARE(updater.ask("update Змiнено"), QString("ok"));
    for (Child *c : copies) {
        c->send("quit");
        QCOMPARE(c->finish(), 0);
    }
    QCOMPARE(TestSupport::queryRows(path, "select group_concat(id) from arc").first().first(),
             QString("1,3,99"));
}

// The file may not grow (SQLite's max_page_count on the program's own
// connection): an order or requisites that need a new page are refused and
// nothing changes. Deleting needs no new page; it still works and makes room.
void TestStoreFaults::diskFullPageLimit()
{
    ProgramFolder folder;
    QVERIFY(prepare(folder));
    const QString path = folder.databasePath();
    Database db;
    QVERIFY(db.open(path));
    const QString purpose = QStringLiteral("Оплата за товар згiдно рахунку ").repeated(200);
    QVERIFY(db.insertOrder({ "4", "1,00", "a", "b", "c", "d", "e", purpose, "01.02.2026" }));

    QSqlDatabase connection = programConnection(path);
    QVERIFY(connection.isOpen());
    QSqlQuery q(connection);
    QVERIFY(q.exec("pragma page_count") && q.next());
    const int pages = q.value(0).toInt();
    QVERIFY(q.exec(QString("pragma max_page_count=%1").arg(pages)));
    q.finish();
    const QStringList before = contents(path);

    QVERIFY(!db.insertOrder({ "5", "1,00", "a", "b", "c", "d", "e", purpose, "01.02.2026" }));
    QVERIFY2(db.errorText().contains("full"), qPrintable(db.errorText()));
    QCOMPARE(contents(path), before);
    QVERIFY(!db.updateFirma({ purpose, purpose, purpose, purpose, purpose }));
    QVERIFY2(db.errorText().contains("full"), qPrintable(db.errorText()));
    QCOMPARE(contents(path), before);

    QVERIFY2(db.deleteOrder(4), qPrintable(db.errorText()));
    QVERIFY2(db.insertOrder({ "5", "1,00", "a", "b", "c", "d", "e", purpose, "01.02.2026" }),
             qPrintable(db.errorText()));
    QCOMPARE(TestSupport::queryRows(path, "select group_concat(id) from arc").first().first(),
             QString("1,2,3,5"));
    QCOMPARE(TestSupport::queryRows(path, "pragma integrity_check").first().first(), QString("ok"));
}

// A disk with no room at all: no file of the process may grow past one
// kilobyte, so neither the journal nor the database can be written.
void TestStoreFaults::diskFullWritesFail()
{
    ProgramFolder folder;
    QVERIFY(prepare(folder));
    const QString path = folder.databasePath();
    const QStringList before = contents(path);

    Child child;
    QVERIFY(child.start({ "ops", path, "1024" }));
    QCOMPARE(child.line(), QString("opened"));
    for (const char *command : { "insert 99", "delete 2", "update Змiнено" }) {
        const QString answer = child.ask(command);
        QVERIFY2(failed(answer), qPrintable(QString("%1: %2").arg(command, answer)));
    }
    child.send("quit");
    QCOMPARE(child.finish(), 0);
    QCOMPARE(contents(path), before);
    QVERIFY(!QFileInfo::exists(path + "-journal"));
}

QTEST_GUILESS_MAIN(TestStoreFaults)
#include "tst_storefaults.moc"
