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
    void arcKeepsInsertionOrder();
    void duplicateNumbers();
    void selectOrderNarrowsToChosenRow();
    void resultCursor();
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
    // No unique index on the order number: numbering may repeat a stored number.
    QVERIFY(TestSupport::queryRows(folder.databasePath(),
                                   "select name from sqlite_master where type='index'")
                    .isEmpty());
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
    QVERIFY(db.selectOrder(7));
    QCOMPARE(db.current().recordCount(), 1);
    OrderRecord back;
    QVERIFY(Database::orderFromRow(db.current(), &back));
    QCOMPARE(back.id, QString("7"));
    for (const QString &v : { back.suma, back.oderz, back.idoderz, back.bank, back.idbank,
                              back.kredit, back.oznaka })
        QCOMPARE(v, value);
    // Stored as text, never NULL, and the number as an integer.
    const auto raw = TestSupport::queryRows(folder.databasePath(),
                                            "select typeof(id), typeof(oderz), oderz from arc");
    QCOMPARE(raw.first().at(0), QString("integer"));
    QCOMPARE(raw.first().at(1), QString("text"));
    QCOMPARE(raw.first().at(2), value);

    const Requisites req{ value, value + "1", value + "2", value + "3", value + "4" };
    QVERIFY2(db.updateFirma(req), qPrintable(db.errorText()));
    QVERIFY(db.selectFirma());
    Requisites readBack;
    QVERIFY(Database::requisitesFromRow(db.current(), &readBack));
    QCOMPARE(readBack.firma, req.firma);
    QCOMPARE(readBack.kodfirma, req.kodfirma);
    QCOMPARE(readBack.rsbank, req.rsbank);
    QCOMPARE(TestSupport::queryRows(folder.databasePath(), "select typeof(firma) from firma")
                     .first()
                     .first(),
             QString("text"));
}

void TestDatabase::arcKeepsInsertionOrder()
{
    ProgramFolder folder;
    Database db;
    QVERIFY(db.open(folder.databasePath()));
    const QList<int> ids = { 3, 1, 2, 10, 1 };
    for (int id : ids)
        QVERIFY(db.insertOrder({ QString::number(id), "1,00", "a", "b", "c", "d", "e", "f",
                                 "01.01.2026" }));
    // Deleting and adding again keeps saved order: the new row comes last.
    QVERIFY(db.deleteOrder(10));
    QVERIFY(db.insertOrder({ "4", "1,00", "a", "b", "c", "d", "e", "f", "01.01.2026" }));
    QVERIFY(db.selectArc());
    QStringList got;
    for (ResultSet &r = db.current(); !r.eof(); r.moveNext()) {
        QString id;
        QVERIFY(r.value(0, &id));
        got << id;
    }
    QCOMPARE(got, QStringList({ "3", "1", "2", "1", "4" }));
}

void TestDatabase::duplicateNumbers()
{
    ProgramFolder folder;
    Database db;
    QVERIFY(db.open(folder.databasePath()));
    for (const char *id : { "1", "2", "3" })
        QVERIFY(db.insertOrder({ id, "1,00", QString("order ") + id, "", "", "", "", "", "01.01.2026" }));
    QVERIFY(db.deleteOrder(2));
    QVERIFY(db.insertOrder({ "3", "2,00", "second three", "", "", "", "", "", "01.01.2026" }));

    QVERIFY(db.selectOrder(3));
    QCOMPARE(db.current().recordCount(), 2);
    QString name;
    QVERIFY(db.current().value(2, &name));
    QCOMPARE(name, QString("order 3")); // the first saved comes first

    QVERIFY(db.deleteOrder(3));
    QVERIFY(db.selectOrder(3));
    QCOMPARE(db.current().recordCount(), 0);
    QVERIFY(db.current().eof());
    QVERIFY(!db.current().value(0, &name));

    // A number nobody holds is not a failure.
    QVERIFY(db.deleteOrder(0));
    QVERIFY(db.deleteOrder(-32768));
}

void TestDatabase::selectOrderNarrowsToChosenRow()
{
    ProgramFolder folder;
    Database db;
    QVERIFY(db.open(folder.databasePath()));
    QVERIFY(db.insertOrder({ "5", "1,00", "first", "", "", "", "", "", "01.01.2026" }));
    QVERIFY(db.insertOrder({ "5", "2,00", "second", "", "", "", "", "", "01.01.2026" }));
    QVERIFY(db.selectArc());
    db.current().moveLast();
    const qint64 second = db.current().rowid();
    QVERIFY(second > 0);

    QVERIFY(db.selectOrder(5, second));
    QCOMPARE(db.current().recordCount(), 1);
    QString name;
    QVERIFY(db.current().value(2, &name));
    QCOMPARE(name, QString("second"));

    QVERIFY(db.deleteOrder(5, second));
    QVERIFY(db.selectOrder(5));
    QCOMPARE(db.current().recordCount(), 1);
    QVERIFY(db.current().value(2, &name));
    QCOMPARE(name, QString("first"));
    // The rowid alone is not enough: the number must match too.
    QVERIFY(db.selectArc());
    const qint64 first = db.current().rowid();
    QVERIFY(db.deleteOrder(6, first));
    QVERIFY(db.selectArc());
    QCOMPARE(db.current().recordCount(), 1);
}

void TestDatabase::resultCursor()
{
    ProgramFolder folder;
    Database db;
    QVERIFY(db.open(folder.databasePath()));
    QVERIFY(db.selectArc());
    QVERIFY(db.current().eof());
    QVERIFY(!db.current().moveFirst());
    QVERIFY(!db.current().moveLast());
    QCOMPARE(db.current().recordCount(), 0);

    QVERIFY(TestSupport::execSql(folder.databasePath(),
                                 "insert into arc values (1, NULL, 'x', '', '', '', '', '', '')"));
    QVERIFY(db.selectArc());
    QString text = "unchanged";
    QVERIFY(!db.current().value(1, &text)); // NULL
    QCOMPARE(text, QString("unchanged"));
    QVERIFY(!db.current().value(9, &text)); // no such column
    QVERIFY(db.current().value(2, &text));
    QCOMPARE(text, QString("x"));
    OrderRecord order;
    QVERIFY(!Database::orderFromRow(db.current(), &order));
}

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
