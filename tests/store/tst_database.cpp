// The database handle: opening and refusing files, the delivered schema, and
// every statement's round trip through a real SQLite file.
#include "store/Database.h"
#include "store/DeliveredDatabase.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

using TestSupport::ProgramFolder;

class TestDatabase : public QObject
{
    Q_OBJECT

private slots:
    void deliveredSchema();
    void deliveredDatabaseIsNeverReplaced();
    void refusesFiles_data();
    void refusesFiles();
    void valuesRoundTrip_data();
    void valuesRoundTrip();
    void ordersByRow();
    void countAndLargestNumber();
    void nullReadsAsEmpty();
    void foreignConflictRules_data();
    void foreignConflictRules();
    void requisitesIntoEmptyTable();
};

void TestDatabase::deliveredSchema()
{
    ProgramFolder folder;
    QVERIFY(folder.isValid());
    const auto firma = TestSupport::queryRows(folder.databasePath(),
                                              "select name from pragma_table_info('firma') order by cid");
    const auto arc = TestSupport::queryRows(folder.databasePath(),
                                            "select name, type from pragma_table_info('arc') order by cid");
    QStringList firmaNames, arcNames;
    for (const auto &r : firma)
        firmaNames << r.at(0);
    for (const auto &r : arc)
        arcNames << r.at(0);
    QCOMPARE(firmaNames.mid(1), QStringList({ "firma", "kodfirma", "bank", "kodbank", "rsbank" }));
    QCOMPARE(firmaNames.size(), 6);
    QCOMPARE(arcNames, QStringList({ "id", "suma", "oderz", "idoderz", "bank", "idbank", "kredit",
                                     "oznaka", "datazap" }));
    QCOMPARE(arc.at(0).at(1).toUpper(), QString("INTEGER"));
    for (int i = 1; i < 9; ++i)
        QCOMPARE(arc.at(i).at(1).toUpper(), QString("TEXT"));

    const auto rows = TestSupport::queryRows(folder.databasePath(),
                                             "select firma, kodfirma, bank, kodbank, rsbank from firma");
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first(), QStringList({ "", "", "", "", "" }));
    QCOMPARE(TestSupport::queryRows(folder.databasePath(), "select count(*) from arc").first().first(),
             QString("0"));
    // One plain index on the order number, none unique: numbers may repeat.
    QCOMPARE(TestSupport::queryRows(folder.databasePath(),
                                    "select name, \"unique\" from pragma_index_list('arc')"),
             QList<QStringList>({ { "arc_id", "0" } }));
}

void TestDatabase::deliveredDatabaseIsNeverReplaced()
{
    ProgramFolder folder;
    QVERIFY(TestSupport::execSql(folder.databasePath(),
                                 "insert into arc (id, suma) values (1, '5,00')"));
    QString error;
    QVERIFY(!DeliveredDatabase::create(folder.databasePath(), &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(TestSupport::queryRows(folder.databasePath(), "select count(*) from arc").first().first(),
             QString("1"));

    // The build step: a rebuild leaves the user's archive alone.
    const QString program = QString::fromLocal8Bit(qgetenv("VEXA_PROGRAM_DIR"));
    const QString mkdb = QDir(program).filePath("../store/vexa_mkdb");
    QVERIFY2(QFile::exists(mkdb), qPrintable(mkdb));
    {
        QCOMPARE(QProcess::execute(mkdb, { folder.databasePath() }), 0);
        QCOMPARE(TestSupport::queryRows(folder.databasePath(), "select count(*) from arc")
                         .first()
                         .first(),
                 QString("1"));
        const QString fresh = QDir(folder.path()).filePath("fresh.mdb");
        QCOMPARE(QProcess::execute(mkdb, { fresh }), 0);
        QVERIFY(QFile::exists(fresh));
        QVERIFY(!QFile::exists(fresh + ".part"));
    }
}

void TestDatabase::refusesFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason"); // a word the message must hold
    QTest::newRow("missing") << "missing" << "не найден";
    QTest::newRow("zero bytes") << "empty" << "firma";
    QTest::newRow("text file") << "text" << "not a database";
    QTest::newRow("old Access file") << "jet" << "not a database";
    QTest::newRow("no firma") << "nofirma" << "firma";
    QTest::newRow("no arc") << "noarc" << "arc";
    QTest::newRow("short arc") << "shortarc" << "arc";
    QTest::newRow("folder") << "folder" << "папка";
}

void TestDatabase::refusesFiles()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath("vexa.mdb");
    if (kind == "empty") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
    } else if (kind == "text") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("firma;kodfirma\n").repeated(200));
    } else if (kind == "jet") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QByteArray head("\x00\x01\x00\x00Standard Jet DB\x00", 20);
        head.append(QByteArray(4076, '\x00'));
        f.write(head);
    } else if (kind == "nofirma") {
        QVERIFY(TestSupport::writeSqlite(path, "create table arc (id integer, suma text, oderz text, "
                                               "idoderz text, bank text, idbank text, kredit text, "
                                               "oznaka text, datazap text)"));
    } else if (kind == "noarc") {
        QVERIFY(TestSupport::writeSqlite(path, "create table firma (n integer, firma text, kodfirma text,"
                                               " bank text, kodbank text, rsbank text)"));
    } else if (kind == "shortarc") {
        QVERIFY(TestSupport::writeSqlite(path, "create table firma (n integer, firma text, kodfirma text,"
                                               " bank text, kodbank text, rsbank text);"
                                               "create table arc (id integer, suma text)"));
    } else if (kind == "folder") {
        QVERIFY(QDir(dir.path()).mkdir("vexa.mdb"));
    }
    const QByteArray before = QFileInfo(path).isFile() ? [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }() : QByteArray();

    Database db;
    QVERIFY(!db.open(path));
    QVERIFY2(db.errorText().contains(reason, Qt::CaseInsensitive), qPrintable(db.errorText()));
    QVERIFY(!db.isOpen());

    // Nothing is created or changed.
    if (kind == "missing")
        QVERIFY(!QFileInfo::exists(path));
    if (QFileInfo(path).isFile()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(),
             kind == "missing" ? 0 : 1);
}

void TestDatabase::valuesRoundTrip_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("apostrophe") << "п'ять ТОВ «Дн'про»";
    QTest::newRow("double quotes") << "ТОВ \"Лан\"";
    QTest::newRow("line breaks") << "перший рядок\r\nдругий\nтретiй";
    QTest::newRow("blanks") << "  з пробiлами  ";
    QTest::newRow("empty") << "";
    QTest::newRow("outside the BMP") << QString::fromUtf8("\xF0\x9F\x92\xB0 грн \xF0\x90\x8D\x88");
}

void TestDatabase::valuesRoundTrip()
{
    QFETCH(QString, value);
    ProgramFolder folder;
    Database db;
    QVERIFY(db.open(folder.databasePath()));

    const OrderRecord order{ "7", value, value, value, value, value, value, value, "07.03.2026" };
    QVERIFY2(db.insertOrder(order), qPrintable(db.errorText()));
    QVector<StoredOrder> all;
    QVERIFY(db.readOrders(&all));
    QCOMPARE(all.size(), 1);
    QCOMPARE(all.first().order, order);
    // Stored as text, never NULL, and the number as an integer.
    const auto raw = TestSupport::queryRows(folder.databasePath(),
                                            "select typeof(id), typeof(oderz), oderz from arc");
    QCOMPARE(raw.first().at(0), QString("integer"));
    QCOMPARE(raw.first().at(1), QString("text"));
    QCOMPARE(raw.first().at(2), value);

    const Requisites req{ value, value + "1", value + "2", value + "3", value + "4" };
    QVERIFY2(db.saveRequisites(req), qPrintable(db.errorText()));
    Requisites readBack;
    bool found = false;
    QVERIFY(db.readRequisites(&readBack, &found));
    QVERIFY(found);
    QCOMPARE(readBack, req);
    QCOMPARE(TestSupport::queryRows(folder.databasePath(), "select typeof(firma) from firma")
                     .first()
                     .first(),
             QString("text"));
}

static OrderRecord numbered(const QString &id, const QString &name)
{
    return { id, "1,00", name, "", "", "", "", "", "01.01.2026" };
}

static QStringList names(Database &db)
{
    QVector<StoredOrder> all;
    if (!db.readOrders(&all))
        return { "failed: " + db.errorText() };
    QStringList out;
    for (const StoredOrder &s : all)
        out << s.order.oderz;
    return out;
}

// Orders come back in the order they were saved; reading and deleting act
// on exactly one row, also when two orders share a number.
void TestDatabase::ordersByRow()
{
    ProgramFolder folder;
    Database db;
    QVERIFY(db.open(folder.databasePath()));
    for (const char *name : { "a", "b", "c" })
        QVERIFY(db.insertOrder(numbered("5", name)));
    QVector<StoredOrder> all;
    QVERIFY(db.readOrders(&all));
    QCOMPARE(all.size(), 3);

    StoredOrder one;
    bool found = false;
    QVERIFY(db.readOrder(all.at(1).rowid, &one, &found));
    QVERIFY(found);
    QCOMPARE(one.order.oderz, QString("b"));
    QCOMPARE(one.rowid, all.at(1).rowid);

    QVERIFY2(db.deleteOrder(all.at(1).rowid), qPrintable(db.errorText()));
    QCOMPARE(names(db), QStringList({ "a", "c" }));
    QVERIFY(db.readOrder(all.at(1).rowid, &one, &found));
    QVERIFY(!found);
    // A row that is gone is not "deleted" again.
    QVERIFY(!db.deleteOrder(all.at(1).rowid));
    QVERIFY(!db.errorText().isEmpty());
    QVERIFY(!db.deleteOrder(0));
    QCOMPARE(names(db), QStringList({ "a", "c" }));

    // A new order comes last even when it reuses a freed row number.
    QVERIFY(db.insertOrder(numbered("6", "d")));
    QCOMPARE(names(db), QStringList({ "a", "c", "d" }));
}

// The order count and the largest number, with numbers another program
// stored as text, as a fraction or not at all.
void TestDatabase::countAndLargestNumber()
{
    ProgramFolder folder;
    Database db;
    QVERIFY(db.open(folder.databasePath()));
    qint64 count = -1, largest = -1;
    QVERIFY(db.countOrders(&count) && db.largestNumber(&largest));
    QCOMPARE(count, 0);
    QCOMPARE(largest, 0);

    for (const char *id : { "1", "9", "3" })
        QVERIFY(db.insertOrder(numbered(id, id)));
    QVERIFY(TestSupport::execSql(folder.databasePath(),
                                 "insert into arc (id) values ('12a'), (NULL), (7.5), ('zz')"));
    QVERIFY(db.countOrders(&count) && db.largestNumber(&largest));
    QCOMPARE(count, 7);
    QCOMPARE(largest, 9);
    QVERIFY(TestSupport::execSql(folder.databasePath(), "insert into arc (id) values (10.5)"));
    QVERIFY(db.largestNumber(&largest));
    QCOMPARE(largest, 10);
}

// Another program's NULLs read as empty texts, in both tables.
void TestDatabase::nullReadsAsEmpty()
{
    ProgramFolder folder;
    QVERIFY(TestSupport::execSql(folder.databasePath(), "update firma set kodfirma = NULL, rsbank = NULL"));
    QVERIFY(TestSupport::execSql(folder.databasePath(),
                                 "insert into arc values (NULL, NULL, 'x', NULL, '', '', '', '', NULL)"));
    Database db;
    QVERIFY(db.open(folder.databasePath()));
    Requisites r{ "?", "?", "?", "?", "?" };
    bool found = false;
    QVERIFY(db.readRequisites(&r, &found));
    QVERIFY(found);
    QCOMPARE(r, Requisites({ "", "", "", "", "" }));
    QVector<StoredOrder> all;
    QVERIFY(db.readOrders(&all));
    QCOMPARE(all.size(), 1);
    QCOMPARE(all.first().order, OrderRecord({ "", "", "x", "", "", "", "", "", "" }));
}

// A table declared by another program with its own conflict rule: a save
// either adds its row or is reported failed, and nothing else changes.
void TestDatabase::foreignConflictRules_data()
{
    QTest::addColumn<QString>("idColumn");
    QTest::newRow("unique, ignore") << "id INTEGER UNIQUE ON CONFLICT IGNORE";
    QTest::newRow("primary key, replace") << "id INTEGER PRIMARY KEY ON CONFLICT REPLACE";
    QTest::newRow("unique, replace") << "id INTEGER UNIQUE ON CONFLICT REPLACE";
}

void TestDatabase::foreignConflictRules()
{
    QFETCH(QString, idColumn);
    QTemporaryDir dir;
    const QString path = dir.filePath("vexa.mdb");
    QVERIFY(TestSupport::writeSqlite(
            path, "create table firma (n integer primary key, firma text, kodfirma text, bank text,"
                  " kodbank text, rsbank text);"
                  "insert into firma values (1, '', '', '', '', '');"
                  "create table arc (" + idColumn + ", suma text, oderz text, idoderz text,"
                  " bank text, idbank text, kredit text, oznaka text, datazap text)"));
    Database db;
    QVERIFY2(db.open(path), qPrintable(db.errorText()));
    QVERIFY(db.insertOrder(numbered("1", "first")));
    QVERIFY(!db.insertOrder(numbered("1", "second")));
    QVERIFY(!db.errorText().isEmpty());
    QCOMPARE(names(db), QStringList({ "first" }));
}

// With no firma row, saving the requisites adds the one row.
void TestDatabase::requisitesIntoEmptyTable()
{
    ProgramFolder folder;
    QVERIFY(TestSupport::execSql(folder.databasePath(), "delete from firma"));
    Database db;
    QVERIFY(db.open(folder.databasePath()));
    Requisites r;
    bool found = true;
    QVERIFY(db.readRequisites(&r, &found));
    QVERIFY(!found);
    const Requisites saved{ "ТОВ", "32855961", "Банк", "322313", "UA213223130000026007233566001" };
    QVERIFY2(db.saveRequisites(saved), qPrintable(db.errorText()));
    QVERIFY2(db.saveRequisites(saved), qPrintable(db.errorText()));
    QCOMPARE(TestSupport::queryRows(folder.databasePath(), "select count(*) from firma").first().first(),
             QString("1"));
    QVERIFY(db.readRequisites(&r, &found));
    QVERIFY(found);
    QCOMPARE(r, saved);
}

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
