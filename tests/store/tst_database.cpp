// The database handle: opening and refusing files, the delivered schema, and
// every statement's round trip through a real SQLite file.
#include "store/Database.h"
#include "store/DeliveredDatabase.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

using TestSupport::execSql;

namespace {

// The first row of a query through a separate connection, its columns joined by '|'.
QString firstRow(const QString &path, const QString &sql)
{
    const QList<QStringList> rows = TestSupport::queryRows(path, sql);
    return rows.isEmpty() ? QString("<no row>") : rows.first().join('|');
}

OrderRecord numbered(const QString &id, const QString &name)
{
    return { id, "1,00", name, "", "", "", "", "", "01.01.2026" };
}

// A vexa.mdb path of length bytes under dir, made of nested folders (a name
// may not exceed 255 bytes); an empty path when that cannot be made.
QString pathOfLength(const QString &dir, int length)
{
    QString folder = QFileInfo(dir).canonicalFilePath();
    const int tail = int(QByteArrayLiteral("/vexa.mdb").size());
    while (QFile::encodeName(folder).size() + tail < length) {
        const int room = length - tail - int(QFile::encodeName(folder).size()) - 1;
        folder += '/' + QString(qMin(room > 200 && room < 210 ? 100 : room, 200), 'd');
    }
    return QDir().mkpath(folder) ? folder + "/vexa.mdb" : QString();
}

// The delivered database moved to path: made beside it, the making could
// not reach a path that long.
bool deliveredAt(const QString &path)
{
    QTemporaryDir making;
    const QString made = making.filePath("vexa.mdb");
    return DeliveredDatabase::create(made) && QFile::rename(made, path);
}

} // namespace

class TestDatabase : public QObject
{
    Q_OBJECT

private slots:
    // The build step (vexa_mkdb) makes the delivered database: other programs
    // read its columns by position, so names and order stay, and the one
    // firma row waits, empty, for the requisites. Neither the build step nor
    // the store replaces a user's archive.
    void deliveredDatabase()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("vexa.mdb");
        const QString mkdb = QDir(qEnvironmentVariable("VEXA_PROGRAM_DIR")).filePath("../store/vexa_mkdb");
        QCOMPARE(QProcess::execute(mkdb, { path }), 0);
        QCOMPARE(firstRow(path, "select group_concat(name, ' ') from pragma_table_info('firma')"),
                 QString("num firma kodfirma bank kodbank rsbank"));
        QCOMPARE(firstRow(path, "select group_concat(name || ' ' || type, ', ') from pragma_table_info('arc')"),
                 QString("id INTEGER, suma TEXT, oderz TEXT, idoderz TEXT, bank TEXT, idbank TEXT, kredit TEXT, "
                         "oznaka TEXT, datazap TEXT"));
        QCOMPARE(firstRow(path, "select count(*), firma, kodfirma, bank, kodbank, rsbank, (select count(*) from arc) "
                                "from firma"),
                 QString("1||||||0"));

        QVERIFY(execSql(path, "insert into arc (id, suma) values (1, '5,00')"));
        QString error;
        QVERIFY(!DeliveredDatabase::create(path, &error) && !error.isEmpty());
        QCOMPARE(QProcess::execute(mkdb, { path }), 0);
        QCOMPARE(firstRow(path, "select count(*) from arc"), QString("1"));
    }

    void refusesFiles_data()
    {
        // What is at the path: nothing (""), ";" (a file of zero bytes), "folder",
        // "damage N" (the delivered file, three orders, TestSupport::Damage N),
        // "path N" (a path of N bytes, the delivered file at it when SQLite
        // could open it), or the SQL that makes the file.
        QTest::addColumn<QString>("make");
        QTest::addColumn<QString>("reason"); // what the message must hold
        const QString firma = "create table firma (n integer, firma text, kodfirma text, bank text, kodbank text, "
                              "rsbank text);";
        const QString arc = "id, suma, oderz, idoderz, bank, idbank, kredit, oznaka, datazap";
        QTest::newRow("missing") << "" << "не найден";
        QTest::newRow("zero bytes") << ";" << "нет таблиц firma и arc";
        QTest::newRow("folder") << "folder" << "папка";
        QTest::newRow("no firma") << "create table arc (" + arc + ")" << "нет таблицы firma";
        QTest::newRow("no arc") << firma << "нет таблицы arc";
        QTest::newRow("short arc") << firma + "create table arc (id integer, suma text)" << "меньше девяти";
        QTest::newRow("arc an endless recursive view")
                << firma + "create view arc (" + arc + ") as with recursive n(i) as (select 1 union all "
                           "select i + 1 from n) select i, '', '', '', '', '', '', '', '' from n"
                << "arc в базе данных не таблица";
        QTest::newRow("firma a view") << "create table arc (" + arc + "); create view firma as select 1 as n, "
                                         "'' as firma, '' as kodfirma, '' as bank, '' as kodbank, '' as rsbank"
                                      << "firma в базе данных не таблица";
        QTest::newRow("arc without rowid") << firma + "create table arc (id integer primary key, suma, oderz, "
                                                      "idoderz, bank, idbank, kredit, oznaka, datazap) without rowid"
                                           << "WITHOUT ROWID";
        // Damaged by bytes written where they do not belong: told as damaged,
        // with what to do.
        QTest::newRow("arc's root on firma's page") << "damage 1" << "повреждён";
        QTest::newRow("a page counting a cell more") << "damage 3" << "резервной копии";
        QTest::newRow("path of 505 bytes") << "path 505" << "слишком длинный: 505 байт";
        QTest::newRow("path of 4000 bytes, no file") << "path 4000" << "слишком длинный";
    }

    // Refused with the reason, and nothing created or changed.
    void refusesFiles()
    {
        QFETCH(QString, make);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QString path = dir.filePath("vexa.mdb");
        const int number = make.section(' ', 1).toInt();
        if (make.startsWith("path ")) {
            path = pathOfLength(dir.path(), number);
            QCOMPARE(QFile::encodeName(path).size(), number);
            QVERIFY(number > 1000 || deliveredAt(path)); // no file at a path SQLite cannot open
        } else if (make.startsWith("damage ")) {
            QVERIFY(DeliveredDatabase::create(path)
                    && execSql(path, "insert into arc (id, oderz) values (1, 'a'), (2, 'b'), (3, 'c')")
                    && TestSupport::damageDatabase(path, TestSupport::Damage(number)));
        } else if (make == "folder") {
            QVERIFY(QDir(dir.path()).mkdir("vexa.mdb"));
        } else if (!make.isEmpty()) {
            QVERIFY(TestSupport::writeSqlite(path, make));
        }
        const auto bytes = [&] { return TestSupport::fileBytes(path, "<not a file>"); };
        const QByteArray before = bytes();

        Database db;
        QVERIFY(!db.open(path) && !db.isOpen());
        QVERIFY2(db.errorText().contains(reason, Qt::CaseInsensitive), qPrintable(db.errorText()));
        QCOMPARE(bytes(), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), make.isEmpty() ? 0 : 1);
        QVERIFY(!QFileInfo::exists(path + "-journal"));
    }

    void valuesRoundTrip_data()
    {
        QTest::addColumn<QString>("value");
        // The folder of vexa.mdb, relative; "504": a path of 504 bytes, the longest SQLite takes.
        QTest::addColumn<QString>("folder");
        QTest::newRow("quotes, SQL, control characters, right to left, outside the BMP; folder named like a URI")
                << QString("  ТОВ \"Дн'про\" О'Брайєн '); drop table arc; -- C:\\шлях\\ 100% %d\tперше\r\nдруге\nдо")
                        + QChar(0) + QString::fromUtf8("пiсля \xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D "
                                                       "\xF0\x9F\x92\xB0 \xF0\x90\x8D\x88  ")
                << "file:x";
        QTest::newRow("empty; folder named like URI parameters") << "" << "x?mode=ro#y";
        QTest::newRow("a megabyte; folder named with % and '")
                << QString("оплата за товар згiдно рахунку № 17\n").repeated(1024 * 1024 / 60) << "м'ята 100%41";
        QTest::newRow("a path of 504 bytes") << "оплата" << "504";
    }

    // Every value is stored byte for byte as text, never NULL, the number as
    // an integer, and read back as it was, in the file at the path given and
    // no other: SQLite takes no path for a URI.
    void valuesRoundTrip()
    {
        QFETCH(QString, value);
        QFETCH(QString, folder);
        QTemporaryDir dir;
        const QString startedIn = QDir::currentPath();
        const auto goBack = qScopeGuard([&] { QDir::setCurrent(startedIn); });
        QVERIFY(QDir::setCurrent(dir.path()));
        const QString path = folder == "504" ? pathOfLength(dir.path(), 504) : folder + "/vexa.mdb";
        QVERIFY(QDir().mkpath(QFileInfo(path).path()) && deliveredAt(path));
        const QString absolute = QFileInfo(path).absoluteFilePath();
        Database db;
        const OrderRecord order{ "7", value, value, value, value, value, value, value, "07.03.2026" };
        QVERIFY2(db.open(path) && db.insertOrder(order), qPrintable(db.errorText()));
        QVector<StoredOrder> all;
        QVERIFY(db.readOrders(&all) && all.size() == 1);
        QCOMPARE(all.first().order, order);
        QCOMPARE(TestSupport::queryRows(absolute, "select typeof(id), typeof(oderz), oderz from arc"),
                 (QList<QStringList>{ { "integer", "text", value } }));

        const Requisites req{ value, value + "1", value + "2", value + "3", value + "4" };
        Requisites readBack;
        bool found = false;
        QVERIFY2(db.saveRequisites(req) && db.readRequisites(&readBack, &found) && found,
                 qPrintable(db.errorText()));
        QCOMPARE(readBack, req);
        QCOMPARE(firstRow(absolute, "select typeof(firma), (select count(*) from arc) from firma"),
                 QString("text|1"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 1);
    }

    // Orders come back in the order they were saved; reading and deleting act
    // on exactly one row, also when orders share a number. The largest number
    // ignores another program's rows numbered as text, as a fraction or not at
    // all. (The number proposed from it: tests/entry.)
    void ordersByRow()
    {
        TestSupport::ProgramFolder folder;
        Database db;
        QVERIFY(db.open(folder.databasePath()) && db.insertOrder(numbered("5", "a"))
                && db.insertOrder(numbered("5", "b")) && db.insertOrder(numbered("5", "c")));
        QVector<StoredOrder> all;
        QVERIFY(db.readOrders(&all) && all.size() == 3);
        const qint64 second = all.at(1).rowid;
        StoredOrder one;
        bool found = false;
        QVERIFY(db.readOrder(second, &one, &found) && found && one.order.oderz == "b" && one.rowid == second);
        QVERIFY2(db.deleteOrder(second), qPrintable(db.errorText()));
        QVERIFY(db.readOrder(second, &one, &found) && !found);
        // A row that is gone is not "deleted" again.
        QVERIFY(!db.deleteOrder(second) && !db.errorText().isEmpty());
        QVERIFY(db.insertOrder(numbered("6", "d")));
        QCOMPARE(firstRow(folder.databasePath(), "select group_concat(oderz, '') from arc"), QString("acd"));
        qint64 largest = -1;
        QVERIFY(execSql(folder.databasePath(), "insert into arc (id) values (9), ('12a'), (NULL), (7.5), (10.5)")
                && db.largestNumber(&largest));
        QCOMPARE(largest, 10);
    }

    // A table declared by another program with its own conflict rule: a save
    // either adds its row or is reported failed, and nothing else changes.
    void foreignConflictRules()
    {
        for (const char *id : { "id UNIQUE ON CONFLICT IGNORE", "id PRIMARY KEY ON CONFLICT REPLACE",
                                "id UNIQUE ON CONFLICT REPLACE" }) {
            QTemporaryDir dir;
            const QString path = dir.filePath("vexa.mdb");
            QVERIFY(TestSupport::writeSqlite(path, QString("create table firma (n, firma, kodfirma, bank, kodbank, "
                                                           "rsbank); create table arc (%1, suma, oderz, idoderz, "
                                                           "bank, idbank, kredit, oznaka, datazap)").arg(id)));
            Database db;
            QVERIFY2(db.open(path) && db.insertOrder(numbered("1", "first")), qPrintable(db.errorText()));
            QVERIFY2(!db.insertOrder(numbered("1", "second")) && !db.errorText().isEmpty(), id);
            QCOMPARE(firstRow(path, "select group_concat(oderz, ' ') from arc"), QString("first"));
        }
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
