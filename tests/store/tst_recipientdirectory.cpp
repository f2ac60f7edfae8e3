// The recipient directory on a real database file: which rows it offers,
// in which order, how many, and what it makes of another program's rows.
#include "store/Database.h"
#include "store/RecipientDirectory.h"
#include "support/TestSupport.h"

#include <QtTest>

using TestSupport::ProgramFolder;

class TestRecipientDirectory : public QObject
{
    Q_OBJECT

    // Each found recipient as "name|code|bank|bank code|account".
    static QStringList found(const QString &inserts, RecipientDirectory::Field field, const QString &typed,
                             int limit, bool *ok)
    {
        ProgramFolder folder;
        Database db;
        *ok = folder.isValid() && (inserts.isEmpty() || TestSupport::execSql(folder.databasePath(), inserts))
                && db.open(folder.databasePath());
        RecipientDirectory directory(db);
        QVector<OrderRecord> records;
        *ok = *ok && directory.find(field, typed, limit, &records);
        QStringList out;
        for (const OrderRecord &r : records)
            out << QStringList{ r.oderz, r.idoderz, r.bank, r.idbank, r.kredit }.join('|');
        return out;
    }

private slots:
    void find_data()
    {
        QTest::addColumn<QString>("inserts");
        QTest::addColumn<bool>("byCode");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QStringList>("expected");
        QString twenty = "insert into arc (id, oderz, idoderz) values ";
        for (int i = 1; i <= 20; ++i)
            twenty += QString("(%1, 'Фірма %1', '%1')%2").arg(i).arg(i < 20 ? "," : "");
        QStringList newest;
        for (int i = 20; i > 8; --i)
            newest << QString("Фірма %1|%1|||").arg(i);
        QTest::newRow("the newest twelve of twenty") << twenty << false << "фірма" << 12 << newest;
        QTest::newRow("one recipient, its latest order")
                << "insert into arc values (1, '', 'ТОВ Лан', '111', 'АТ Старий', '305299', '26001', '', ''),"
                   " (2, '', 'ТОВ Лан', '111', 'АТ Новий', '322313', '26002', '', '')"
                << false << "лан" << 12 << QStringList{ "ТОВ Лан|111|АТ Новий|322313|26002" };
        QTest::newRow("same name, two codes")
                << "insert into arc (id, oderz, idoderz) values (1, 'ТОВ Лан', '111'), (2, 'ТОВ Лан', '222')"
                << false << "ТОВ" << 12 << QStringList{ "ТОВ Лан|222|||", "ТОВ Лан|111|||" };
        QTest::newRow("by code, anywhere")
                << "insert into arc (id, oderz, idoderz) values (1, 'А', '32855961'), (2, 'Б', '14360570')"
                << true << "559" << 12 << QStringList{ "А|32855961|||" };
        QTest::newRow("the name is not searched by code")
                << "insert into arc (id, oderz, idoderz) values (1, 'ТОВ 559', '111')" << true << "559" << 12
                << QStringList();
        QTest::newRow("another program's NULLs")
                << "insert into arc (id, oderz) values (1, NULL), (2, 'ТОВ Лан')" << false
                << "лан" << 12 << QStringList{ "ТОВ Лан||||" };
        QTest::newRow("bytes that are not UTF-8")
                << "insert into arc (id, oderz) values (1, cast(x'ff54d0' as text)), (2, 'T')" << false << "t" << 12
                << QStringList{ "T||||", QString::fromUtf8("\xff" "T\xd0") + "||||" };
        QTest::newRow("blank text finds nothing")
                << "insert into arc (id, oderz) values (1, '  ')" << false << "  " << 12 << QStringList();
        QTest::newRow("empty archive") << "" << false << "а" << 12 << QStringList();
    }

    void find()
    {
        QFETCH(QString, inserts);
        QFETCH(bool, byCode);
        QFETCH(QString, typed);
        QFETCH(int, limit);
        QFETCH(QStringList, expected);
        bool ok = false;
        const QStringList seen = found(inserts, byCode ? RecipientDirectory::Field::Code
                                                       : RecipientDirectory::Field::Name, typed, limit, &ok);
        QVERIFY(ok);
        QCOMPARE(seen, expected);
    }

    void folding()
    {
        QCOMPARE(QString::fromUtf8(RecipientDirectory::folded("ТОВ «ҐРУНТ-Є» Iнвест’s `A` ʼЇ")),
                 QString("тов «ґрунт-є» інвест's 'a' 'ї"));
    }

    void closedDatabaseFails()
    {
        Database db;
        RecipientDirectory directory(db);
        QVector<OrderRecord> records;
        QVERIFY(!directory.find(RecipientDirectory::Field::Name, "а", 12, &records));
        QVERIFY(!db.errorText().isEmpty());
    }
};

QTEST_MAIN(TestRecipientDirectory)
#include "tst_recipientdirectory.moc"
