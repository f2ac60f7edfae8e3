// cmake --install: the program folder it lays out, the menu entry and icons,
// the installed program opening its database, and upgrades that keep the
// user's archive.
#include "InstallSupport.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

using namespace InstallSupport;

namespace {

const QString ProgramDir = QStringLiteral("lib/vexaron");

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QString SavedOrder = QStringLiteral(
        "insert into arc values (17, '1250,40', 'ТОВ Зерно', '12345678', 'ПриватБанк', '305299', "
        "'26001234567890', 'Оплата за зерно', '05.03.2024')");

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void folderHoldsWhatItMust();
    void menuEntry();
    void menuEntryValidates();
    void programOpensItsDatabase();
    void probeTellsAnUnusableDatabase_data();
    void probeTellsAnUnusableDatabase();
    void upgradeKeepsTheArchive();
    void keepsADatabaseThatIsALink();
    void stagedInstallNamesTheFinalPlace();

private:
    QString path(const QString &relative) const { return QDir(m_prefix).filePath(relative); }

    QTemporaryDir m_tmp;
    QString m_prefix;
    Run m_firstInstall;
};

void TestInstall::initTestCase()
{
    QVERIFY(m_tmp.isValid());
    QVERIFY(!buildDir().isEmpty() && !cmake().isEmpty() && !sourceDir().isEmpty());
    // Characters that need quoting in a menu entry's Exec line.
    m_prefix = m_tmp.filePath(QStringLiteral("my \"programs\" `$HOME` 100%"));
    m_firstInstall = cmakeInstall(m_prefix);
    QVERIFY2(m_firstInstall.ok(), qPrintable(m_firstInstall.output));
}

void TestInstall::folderHoldsWhatItMust()
{
    // The program itself, not a link.
    const QFileInfo program(path(ProgramDir + QStringLiteral("/vexaron")));
    QVERIFY(program.isFile() && !program.isSymLink() && program.isExecutable());

    // The delivered database: both tables, the blank requisites row, no orders.
    const QString db = path(ProgramDir + QStringLiteral("/vexa.mdb"));
    QCOMPARE(TestSupport::queryRows(db, QStringLiteral("select count(*) from arc")),
             QList<QStringList>({ { QStringLiteral("0") } }));
    QCOMPARE(TestSupport::queryRows(db, QStringLiteral("select num, firma from firma")),
             QList<QStringList>({ { QStringLiteral("1"), QString() } }));
    QVERIFY(QFileInfo(db).isWritable());

    // The faces built into the program, and their licence, as shipped.
    const QDir fontSource(sourceDir() + QStringLiteral("/document/fonts"));
    const QStringList fonts = fontSource.entryList({ QStringLiteral("*.ttf"), QStringLiteral("LICENSE*") },
                                                   QDir::Files, QDir::Name);
    QVERIFY(fonts.size() >= 5);
    for (const QString &font : fonts)
        QVERIFY2(contents(path(ProgramDir + QStringLiteral("/fonts/") + font)) == contents(fontSource.filePath(font)),
                 qPrintable(font));

    // The help file, whenever the build made one.
    const QString builtHelp = buildDir() + QStringLiteral("/bin/vexa.chm");
    const QString help = path(ProgramDir + QStringLiteral("/vexa.chm"));
    if (QFileInfo::exists(builtHelp))
        QCOMPARE(contents(help), contents(builtHelp));
    else
        qWarning("this build has no vexa.chm, so none is installed");

    // The launcher resolves to the program.
    const QFileInfo launcher(path(QStringLiteral("bin/vexaron")));
    QVERIFY(launcher.isSymLink());
    QCOMPARE(launcher.canonicalFilePath(), program.canonicalFilePath());

    // The icon in the menu's sizes.
    for (int size : { 16, 32, 48 }) {
        const QImage icon(path(QStringLiteral("share/icons/hicolor/%1x%1/apps/vexaron.png").arg(size)));
        QCOMPARE(icon.size(), QSize(size, size));
        QVERIFY(icon.hasAlphaChannel());
    }
    QCOMPARE(contents(path(QStringLiteral("share/icons/hicolor/scalable/apps/vexaron.svg"))),
             contents(sourceDir() + QStringLiteral("/install/vexaron.svg")));

    // Nothing else: no half-copied database, no stray build files.
    QStringList expected = {
        QStringLiteral("bin/vexaron"),
        ProgramDir + QStringLiteral("/vexa.mdb"),
        ProgramDir + QStringLiteral("/vexaron"),
        QStringLiteral("share/applications/vexaron.desktop"),
        QStringLiteral("share/icons/hicolor/16x16/apps/vexaron.png"),
        QStringLiteral("share/icons/hicolor/32x32/apps/vexaron.png"),
        QStringLiteral("share/icons/hicolor/48x48/apps/vexaron.png"),
        QStringLiteral("share/icons/hicolor/scalable/apps/vexaron.svg"),
    };
    for (const QString &font : fonts)
        expected << ProgramDir + QStringLiteral("/fonts/") + font;
    if (QFileInfo::exists(builtHelp))
        expected << ProgramDir + QStringLiteral("/vexa.chm");
    expected.sort();
    QCOMPARE(filesUnder(m_prefix), expected);

    // Removing what the manifest lists must not take the archive with it.
    const QString manifest = QString::fromUtf8(contents(buildDir() + QStringLiteral("/install_manifest.txt")));
    QVERIFY(manifest.contains(program.filePath()));
    QVERIFY(!manifest.contains(QStringLiteral("vexa.mdb")));
}

void TestInstall::menuEntry()
{
    const QString entry = path(QStringLiteral("share/applications/vexaron.desktop"));
    QCOMPARE(desktopValue(entry, QStringLiteral("Type")), QStringLiteral("Application"));
    QCOMPARE(desktopValue(entry, QStringLiteral("Name")), QStringLiteral("Платежное поручение"));
    QCOMPARE(desktopValue(entry, QStringLiteral("Categories")), QStringLiteral("Office;Finance;"));
    QCOMPARE(desktopValue(entry, QStringLiteral("Icon")), QStringLiteral("vexaron"));
    QCOMPARE(desktopValue(entry, QStringLiteral("Terminal")), QStringLiteral("false"));
    // The prefix holds spaces, quotes, ` $ and %: Exec must still name the program.
    const QString program = path(ProgramDir + QStringLiteral("/vexaron"));
    QCOMPARE(execProgram(desktopValue(entry, QStringLiteral("Exec"))), program);
    QCOMPARE(desktopValue(entry, QStringLiteral("TryExec")), program);
}

void TestInstall::menuEntryValidates()
{
    if (!requireTool(QStringLiteral("desktop-file-validate")))
        return;
    const Run v = run(QStringLiteral("desktop-file-validate"),
                      { path(QStringLiteral("share/applications/vexaron.desktop")) });
    QVERIFY2(v.ok(), qPrintable(v.output));
    QVERIFY2(!v.output.contains(QStringLiteral("error")) && !v.output.contains(QStringLiteral("warning")),
             qPrintable(v.output));
}

void TestInstall::programOpensItsDatabase()
{
    // Started through the launcher link, the program must still find the
    // database in its own folder.
    const Health h = watchProgram(path(QStringLiteral("bin/vexaron")), path(ProgramDir + QStringLiteral("/vexa.mdb")));
    QVERIFY2(h.started, qPrintable(h.output));
    QVERIFY2(h.running, qPrintable(QStringLiteral("ended with %1: %2").arg(h.exitCode).arg(h.output)));
    QVERIFY2(h.holdsDatabase, qPrintable(h.output));
}

// The same watch on a copy of the installed program whose folder has no
// usable database: the program may still be running (its error box waits
// for an answer), but it must not count as having opened a database.
void TestInstall::probeTellsAnUnusableDatabase_data()
{
    QTest::addColumn<QByteArray>("database");
    QTest::addColumn<bool>("present");
    QTest::newRow("missing") << QByteArray() << false;
    QTest::newRow("a text file") << QByteArray("not a database\n") << true;
}

void TestInstall::probeTellsAnUnusableDatabase()
{
    QFETCH(QByteArray, database);
    QFETCH(bool, present);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString program = folder.filePath(QStringLiteral("vexaron"));
    QVERIFY(QFile::copy(path(ProgramDir + QStringLiteral("/vexaron")), program));
    const QString db = folder.filePath(QStringLiteral("vexa.mdb"));
    if (present) {
        QFile f(db);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(database);
    }
    const Health h = watchProgram(program, db, QProcessEnvironment::systemEnvironment(), 3000, 3000);
    QVERIFY(h.started);
    QVERIFY2(!h.holdsDatabase, qPrintable(h.output));
    if (!h.running)
        QCOMPARE(h.exitCode, 1);
    // The program never makes a database of its own.
    QCOMPARE(QFileInfo::exists(db), present);
    if (present)
        QCOMPARE(contents(db), database);
}

void TestInstall::upgradeKeepsTheArchive()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString prefix = tmp.path();
    const QString db = prefix + QStringLiteral("/lib/vexaron/vexa.mdb");
    const Run first = cmakeInstall(prefix);
    QVERIFY2(first.ok(), qPrintable(first.output));

    // The user saves an order and fills in the requisites.
    QString error;
    QVERIFY2(TestSupport::execSql(db, SavedOrder, &error), qPrintable(error));
    QVERIFY2(TestSupport::execSql(db, QStringLiteral("update firma set firma = 'ТОВ Вексарон' where num = 1"), &error),
             qPrintable(error));
    // A program file damaged since: the upgrade must put it right.
    const QString licence = prefix + QStringLiteral("/lib/vexaron/fonts/LICENSE-OFL.txt");
    {
        QFile f(licence);
        QVERIFY(f.open(QIODevice::Append));
        f.write("damaged");
    }

    const Run second = cmakeInstall(prefix);
    QVERIFY2(second.ok(), qPrintable(second.output));
    QVERIFY2(second.output.contains(QStringLiteral("Keeping: ") + db), qPrintable(second.output));

    const QList<QStringList> rows = TestSupport::queryRows(db, QStringLiteral("select id, suma, oderz, datazap from arc"));
    QCOMPARE(rows, QList<QStringList>({ { QStringLiteral("17"), QStringLiteral("1250,40"),
                                          QStringLiteral("ТОВ Зерно"), QStringLiteral("05.03.2024") } }));
    QCOMPARE(TestSupport::queryRows(db, QStringLiteral("select firma from firma")),
             QList<QStringList>({ { QStringLiteral("ТОВ Вексарон") } }));
    QCOMPARE(contents(licence), contents(sourceDir() + QStringLiteral("/document/fonts/LICENSE-OFL.txt")));

    // And the upgraded program works with the kept database.
    const Health h = watchProgram(prefix + QStringLiteral("/bin/vexaron"), db);
    QVERIFY2(h.running && h.holdsDatabase, qPrintable(h.output));
}

// A database kept elsewhere and linked into the program folder stays linked,
// even while its target is out of reach (an unmounted share, say).
void TestInstall::keepsADatabaseThatIsALink()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString prefix = tmp.filePath(QStringLiteral("prefix"));
    const QString away = tmp.filePath(QStringLiteral("share/vexa.mdb"));
    const QString db = prefix + QStringLiteral("/lib/vexaron/vexa.mdb");
    QVERIFY(QDir().mkpath(prefix + QStringLiteral("/lib/vexaron")));
    QVERIFY(QFile::link(away, db));

    const Run r = cmakeInstall(prefix);
    QVERIFY2(r.ok(), qPrintable(r.output));
    QVERIFY(QFileInfo(db).isSymLink());
    QCOMPARE(QFileInfo(db).symLinkTarget(), away);
    QVERIFY(!QFileInfo::exists(away));
}

// Packaging: DESTDIR stages the tree, while the menu entry and the launcher
// name the place it will finally live in.
void TestInstall::stagedInstallNamesTheFinalPlace()
{
    QTemporaryDir stage;
    QVERIFY(stage.isValid());
    const QString prefix = QStringLiteral("/opt/vexaron-staged");
    QVERIFY(!QFileInfo::exists(prefix));
    const Run r = cmakeInstall(prefix, stage.path());
    QVERIFY2(r.ok(), qPrintable(r.output));
    QVERIFY(!QFileInfo::exists(prefix));

    const QString root = stage.path() + prefix;
    QVERIFY(QFileInfo(root + QStringLiteral("/lib/vexaron/vexaron")).isExecutable());
    QVERIFY(QFileInfo::exists(root + QStringLiteral("/lib/vexaron/vexa.mdb")));
    const QString entry = root + QStringLiteral("/share/applications/vexaron.desktop");
    QCOMPARE(execProgram(desktopValue(entry, QStringLiteral("Exec"))),
             prefix + QStringLiteral("/lib/vexaron/vexaron"));
    // The link is relative, so it works in the stage as in the final place.
    QCOMPARE(QFileInfo(root + QStringLiteral("/bin/vexaron")).canonicalFilePath(),
             QFileInfo(root + QStringLiteral("/lib/vexaron/vexaron")).canonicalFilePath());
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
