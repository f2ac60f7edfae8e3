// The recipient directory on a real database file: which rows it offers,
// in which order, how many, and what it makes of another program's rows.
#include "store/Database.h"
#include "store/RecipientDirectory.h"
#include "support/TestSupport.h"

#include <QtTest>

class TestRecipientDirectory : public QObject
{
    Q_OBJECT

private slots:
    void find_data()
    {
        QTest::addColumn<QString>("inserts");
        QTest::addColumn<bool>("byCode");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("expected"); // "name|code|bank|bank code|account", up to 12
        QStringList newest;
        for (int i = 20; i > 8; --i)
            newest << QString("Фірма %1|%1|||").arg(i);
        QTest::newRow("the newest twelve of twenty")
                << "with recursive n(i) as (select 1 union all select i + 1 from n where i < 20) "
                   "insert into arc (id, oderz, idoderz) select i, 'Фірма ' || i, i from n"
                << false << "фірма" << newest;
        QTest::newRow("one recipient, its latest order")
                << "insert into arc values (1, '', 'ТОВ Лан', '111', 'АТ Старий', '305299', '26001', '', ''),"
                   " (2, '', 'ТОВ Лан', '111', 'АТ Новий', '322313', '26002', '', '')"
                << false << "лан" << QStringList{ "ТОВ Лан|111|АТ Новий|322313|26002" };
        QTest::newRow("same name, two codes")
                << "insert into arc (id, oderz, idoderz) values (1, 'ТОВ Лан', '111'), (2, 'ТОВ Лан', '222')"
                << false << "ТОВ" << QStringList{ "ТОВ Лан|222|||", "ТОВ Лан|111|||" };
        QTest::newRow("by code, anywhere, not by name")
                << "insert into arc (id, oderz, idoderz) values (1, 'А', '32855961'), (2, 'Б 559', '14360570')"
                << true << "559" << QStringList{ "А|32855961|||" };
        // Case in Latin and Cyrillic, the Latin i of older texts, every apostrophe
        // alike; signs of three UTF-8 bytes each kept apart ("№" is not "⅖").
        const QString folded = "ТОВ «ҐРУНТ-Є» Iнвест’s `A` ʼЇ ";
        QTest::newRow("folded alike")
                << "insert into arc (id, oderz) values (1, '" + folded + "№'), (2, '" + folded + "⅖')" << false
                << "ґрунт-є» інвест's 'a' 'ї №" << QStringList{ folded + "№||||" };
        QTest::newRow("another program's NULLs")
                << "insert into arc (id, oderz) values (1, NULL), (2, 'ТОВ Лан')" << false << "лан"
                << QStringList{ "ТОВ Лан||||" };
        // Another program's bytes that are not UTF-8 match only themselves:
        // a sequence cut short by the end of the text, or a lead byte followed
        // by plain letters, which stay letters (D0 54 is no Cyrillic "Д").
        QTest::newRow("bytes that are not UTF-8")
                << "insert into arc (id, oderz) values (1, cast(x'ff54d0' as text)), (2, 'T')" << false << "t"
                << QStringList{ "T||||", QString::fromUtf8("\xff" "T\xd0") + "||||" };
        const QString leadByte = "insert into arc (id, oderz) values (1, cast(x'd0544f56' as text)), (2, 'Дов')";
        QTest::newRow("a lead byte before letters: the letters found")
                << leadByte << false << "tov" << QStringList{ QString::fromUtf8("\xd0" "TOV") + "||||" };
        QTest::newRow("a lead byte before letters: no letter made of them")
                << leadByte << false << "д" << QStringList{ "Дов||||" };
        QTest::newRow("blank text finds nothing") << "insert into arc (id, oderz) values (1, '  ')" << false << "  "
                                                  << QStringList();
    }

    void find()
    {
        QFETCH(QString, inserts);
        QFETCH(bool, byCode);
        QFETCH(QString, typed);
        QFETCH(QStringList, expected);
        TestSupport::ProgramFolder folder;
        Database db;
        QVERIFY(TestSupport::execSql(folder.databasePath(), inserts) && db.open(folder.databasePath()));
        RecipientDirectory directory(db);
        QVector<OrderRecord> records;
        QVERIFY(directory.find(byCode ? RecipientDirectory::Field::Code : RecipientDirectory::Field::Name, typed, 12,
                               &records));
        QStringList seen;
        for (const OrderRecord &r : records)
            seen << QStringList{ r.oderz, r.idoderz, r.bank, r.idbank, r.kredit }.join('|');
        QCOMPARE(seen, expected);
    }
};

QTEST_MAIN(TestRecipientDirectory)
#include "tst_recipientdirectory.moc"
