// Two copies of the program saving into one file at the same time, and a
// copy killed at random moments in the middle of its work: every order
// whose save was reported done is there afterwards, and the file is sound.
#include "ChildProcess.h"

#include "store/Database.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QRandomGenerator>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <QtTest>

using Reliability::Child;
using TestSupport::ProgramFolder;

namespace {

// The rows of arc by number, through the program's own connection, which
// also rolls back whatever a killed copy left half done.
bool readArc(const QString &path, QHash<int, QStringList> *rows, QString *error)
{
    Database db;
    if (!db.open(path)) {
        *error = db.errorText();
        return false;
    }
    if (!db.selectArc()) {
        *error = db.errorText();
        return false;
    }
    for (ResultSet &r = db.current(); !r.eof(); r.moveNext()) {
        OrderRecord o;
        if (!Database::orderFromRow(r, &o)) {
            *error = QStringLiteral("a row with a NULL column");
            return false;
        }
        if (rows->contains(o.id.toInt())) {
            *error = QStringLiteral("number %1 twice").arg(o.id);
            return false;
        }
        rows->insert(o.id.toInt(), { o.id, o.suma, o.oderz, o.idoderz, o.bank, o.idbank, o.kredit,
                                     o.oznaka, o.datazap });
    }
    return true;
}

QByteArray journalHead(const QString &path)
{
    QFile f(path + QStringLiteral("-journal"));
    return f.open(QIODevice::ReadOnly) ? f.read(1) : QByteArray();
}

QString integrity(const QString &path)
{
    const auto rows = TestSupport::queryRows(path, QStringLiteral("pragma integrity_check"));
    return rows.isEmpty() ? QString() : rows.first().first();
}

// What reliability_child saves as number id for tag, column by column.
QStringList expectedRow(const QString &tag, int id)
{
    const QString key = tag + QLatin1Char('-') + QString::number(id);
    return { QString::number(id),
             QString::number(id) + QStringLiteral(",00"),
             QStringLiteral("Одержувач ") + key,
             QString::number(10000000 + id),
             QStringLiteral("Банк ") + key,
             QString::number(300000 + id % 1000),
             QString::number(260000000000LL + id),
             (QStringLiteral("Призначення ") + key + QLatin1Char(' ')).repeated(1 + id % 300),
             QStringLiteral("01.02.2026") };
}

} // namespace

class TestConcurrency : public QObject
{
    Q_OBJECT

private slots:
    void journalSettings();
    void twoCopiesAtOnce();
    void killedWhileSaving();
};

// The program's connection keeps a rollback journal that is deleted at each
// commit, and syncs the folder after that (see README, "Reliability").
void TestConcurrency::journalSettings()
{
    ProgramFolder folder;
    Database db;
    QVERIFY(db.open(folder.databasePath()));
    QSqlDatabase connection;
    for (const QString &name : QSqlDatabase::connectionNames())
        if (name.startsWith("vexa-"))
            connection = QSqlDatabase::database(name, false);
    QVERIFY(connection.isOpen());
    QSqlQuery q(connection);
    QVERIFY(q.exec("pragma journal_mode") && q.next());
    QCOMPARE(q.value(0).toString(), QString("delete"));
    QVERIFY(q.exec("pragma synchronous") && q.next());
    QCOMPARE(q.value(0).toInt(), 3); // EXTRA
    q.finish();
    // The file itself is left in rollback mode for every other program.
    QCOMPARE(TestSupport::queryRows(folder.databasePath(), "pragma journal_mode").first().first(),
             QString("delete"));
}

void TestConcurrency::twoCopiesAtOnce()
{
    constexpr int PerCopy = 500;
    ProgramFolder folder;
    QVERIFY(folder.isValid());
    const QString path = folder.databasePath();

    Child first, second;
    QVERIFY(first.start({ "save", path, QString::number(PerCopy), "first", "1" }));
    QVERIFY(second.start({ "save", path, QString::number(PerCopy), "second", QString::number(PerCopy + 1) }));
    QCOMPARE(first.line(), QString("opened"));
    QCOMPARE(second.line(), QString("opened"));
    QElapsedTimer timer;
    timer.start();
    first.send("go");
    second.send("go");
    const int firstStatus = first.finish(300000);
    const int secondStatus = second.finish(300000);
    const QStringList firstLines = first.allLines();
    const QStringList secondLines = second.allLines();
    qInfo("two copies saved %d orders in %lld ms", 2 * PerCopy, timer.elapsed());

    QVERIFY2(firstStatus == 0, qPrintable(firstLines.filter("failed").join('\n') + first.errors()));
    QVERIFY2(secondStatus == 0, qPrintable(secondLines.filter("failed").join('\n') + second.errors()));
    QCOMPARE(firstLines.size(), PerCopy);
    QCOMPARE(secondLines.size(), PerCopy);
    for (int i = 0; i < PerCopy; ++i) {
        QCOMPARE(firstLines.at(i), QString("saved %1").arg(1 + i));
        QCOMPARE(secondLines.at(i), QString("saved %1").arg(PerCopy + 1 + i));
    }

    // The copies really took turns: neither finished before the other began.
    QHash<int, QStringList> rows;
    QString error;
    QVERIFY2(readArc(path, &rows, &error), qPrintable(error));
    QCOMPARE(rows.size(), 2 * PerCopy);
    for (int id = 1; id <= 2 * PerCopy; ++id) {
        QVERIFY2(rows.contains(id), qPrintable(QString("order %1 is missing").arg(id)));
        QCOMPARE(rows.value(id), expectedRow(id <= PerCopy ? "first" : "second", id));
    }
    const auto order = TestSupport::queryRows(path, "select id from arc order by rowid");
    int switches = 0;
    for (int i = 1; i < order.size(); ++i)
        if ((order.at(i).first().toInt() <= PerCopy) != (order.at(i - 1).first().toInt() <= PerCopy))
            ++switches;
    qInfo("the copies took turns %d times", switches);
    QVERIFY2(switches >= 2, "the two copies did not save at the same time");
    QCOMPARE(integrity(path), QString("ok"));
}

// A copy saving, deleting and updating in a loop is killed with SIGKILL at a
// random moment, again and again. After each kill the file is sound, every
// order reported saved is there and whole, every order reported deleted is
// gone, and the requisites are the last reported or a later write.
void TestConcurrency::killedWhileSaving()
{
    constexpr int Kills = 25;
    ProgramFolder folder;
    QVERIFY(folder.isValid());
    const QString path = folder.databasePath();

    quint32 seed = QRandomGenerator::global()->generate();
    if (qEnvironmentVariableIsSet("VEXA_CRASH_SEED"))
        seed = quint32(qEnvironmentVariableIntValue("VEXA_CRASH_SEED"));
    qInfo("random seed %u (set VEXA_CRASH_SEED to repeat)", seed);
    QRandomGenerator random(seed);

    QSet<int> saved, deleted;
    int nextId = 1;
    int midWrite = 0;
    int lastFirma = 0;
    for (int round = 0; round < Kills; ++round) {
        const QString tag = QStringLiteral("r%1").arg(round);
        Child child;
        QVERIFY(child.start({ "loop", path, tag, QString::number(nextId) }));
        QCOMPARE(child.line(), QString("ready"));
        QThread::msleep(random.bounded(10, 250));
        // Still at work when killed: it did not end (or crash) by itself.
        QVERIFY2(child.process().state() == QProcess::Running, qPrintable(child.errors()));
        const QStringList lines = child.kill();
        QVERIFY2(lines.filter("failed").isEmpty(), qPrintable(lines.join('\n')));
        const bool hotJournal = QFileInfo(path + "-journal").size() > 0;
        if (hotJournal)
            ++midWrite;

        int roundLast = nextId - 1;
        for (const QString &line : lines) {
            const int id = line.section(' ', 1).toInt();
            roundLast = qMax(roundLast, id);
            if (line.startsWith("saved ")) {
                saved.insert(id);
                // Right after this save the copy deletes the order two
                // before; the kill may come after that delete and before
                // its report.
                if ((id - nextId) % 4 == 3)
                    saved.remove(id - 2);
            } else if (line.startsWith("deleted ")) {
                deleted.insert(id);
            } else if (line.startsWith("firma ")) {
                lastFirma = id;
            }
        }

        QHash<int, QStringList> rows;
        QString error;
        QVERIFY2(readArc(path, &rows, &error), qPrintable(error));
        // A journal left behind must not be hot: SQLite ignores one that is
        // empty or begins with a zero byte, and deletes it at the next commit.
        QVERIFY2(journalHead(path).isEmpty() || journalHead(path).at(0) == '\0',
                 "the journal was not rolled back");
        QCOMPARE(integrity(path), QString("ok"));
        for (int id : std::as_const(saved))
            QVERIFY2(rows.contains(id), qPrintable(QString("round %1: saved order %2 is lost").arg(round).arg(id)));
        for (int id : std::as_const(deleted))
            QVERIFY2(!rows.contains(id), qPrintable(QString("round %1: deleted order %2 is back").arg(round).arg(id)));
        // No row is half written, whether or not its save was reported.
        int highest = 0;
        for (auto it = rows.cbegin(); it != rows.cend(); ++it) {
            highest = qMax(highest, it.key());
            const int id = it.key();
            QString rowTag;
            for (int r = 0; r <= round && rowTag.isEmpty(); ++r)
                if (it.value().at(2).endsWith(QStringLiteral(" r%1-%2").arg(r).arg(id)))
                    rowTag = QStringLiteral("r%1").arg(r);
            QVERIFY2(!rowTag.isEmpty(), qPrintable(QString("order %1 is not a row any copy wrote").arg(id)));
            QCOMPARE(it.value(), expectedRow(rowTag, id));
        }
        const auto firma = TestSupport::queryRows(path, "select firma from firma");
        QCOMPARE(firma.size(), 1);
        if (lastFirma > 0) {
            const int firmaId = firma.first().first().section('-', 1).toInt();
            QVERIFY2(firmaId >= lastFirma, qPrintable(firma.first().first()));
        }
        nextId = qMax(highest, roundLast) + 1;
    }
    qInfo("%d kills, %d of them in the middle of a write; %lld orders reported saved and kept, "
          "%lld reported deleted",
          Kills, midWrite, qint64(saved.size()), qint64(deleted.size()));
    QVERIFY2(midWrite > 0, "no kill came in the middle of a write");
}

QTEST_GUILESS_MAIN(TestConcurrency)
#include "tst_concurrency.moc"
