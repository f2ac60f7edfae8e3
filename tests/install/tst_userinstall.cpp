// The install for one user, into a home folder of its own: the program and
// menu entry arrive, the program starts from the menu entry, installing
// again keeps the archive, uninstalling keeps the database unless purged,
// and both scripts can run again. Files of the user's own stay untouched.
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

const QString Database = QStringLiteral(".local/lib/vexaron/vexa.mdb");
const QString Entry = QStringLiteral(".local/share/applications/vexaron.desktop");

// The user's own things beside ours.
const QStringList OwnFiles = {
    QStringLiteral(".local/share/applications/other.desktop"),
    QStringLiteral(".local/share/icons/hicolor/48x48/apps/other.png"),
    QStringLiteral(".local/bin/tool"),
};

} // namespace

class TestUserInstall : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void installsIntoHome();
    void menuEntryValidates();
    void startsFromTheMenuEntry();
    void installingAgainKeepsTheArchive();
    void uninstallKeepsTheDatabase();
    void installingAfterUninstallCarriesOn();
    void purgeRemovesEverything();

private:
    QString home(const QString &relative) const { return QDir(m_home).filePath(relative); }
    Run script(const QString &name, const QStringList &args = {}) const;
    QStringList ownFilesAnd(QStringList files) const;

    QTemporaryDir m_tmp;
    QString m_home;
};

Run TestUserInstall::script(const QString &name, const QStringList &args) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_home);
    env.remove(QStringLiteral("XDG_DATA_HOME"));
    env.remove(QStringLiteral("DESTDIR"));
    return run(sourceDir() + QStringLiteral("/scripts/") + name, args, env);
}

QStringList TestUserInstall::ownFilesAnd(QStringList files) const
{
    files << OwnFiles;
    files.sort();
    return files;
}

void TestUserInstall::initTestCase()
{
    QVERIFY(m_tmp.isValid());
    QVERIFY(!buildDir().isEmpty() && !sourceDir().isEmpty());
    m_home = m_tmp.filePath(QStringLiteral("home of user"));
    for (const QString &own : OwnFiles) {
        QVERIFY(QDir().mkpath(QFileInfo(home(own)).path()));
        QFile f(home(own));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("mine");
    }
}

void TestUserInstall::installsIntoHome()
{
    const Run r = script(QStringLiteral("install-user"), { QStringLiteral("--build-dir"), buildDir() });
    QVERIFY2(r.ok(), qPrintable(r.output));

    const QString program = home(QStringLiteral(".local/lib/vexaron/vexaron"));
    QVERIFY(QFileInfo(program).isExecutable());
    QCOMPARE(TestSupport::queryRows(home(Database), QStringLiteral("select count(*) from arc")),
             QList<QStringList>({ { QStringLiteral("0") } }));
    QVERIFY(QFileInfo::exists(home(QStringLiteral(".local/lib/vexaron/fonts/LICENSE-OFL.txt"))));
    QCOMPARE(QFileInfo(home(QStringLiteral(".local/bin/vexaron"))).canonicalFilePath(),
             QFileInfo(program).canonicalFilePath());

    QCOMPARE(desktopValue(home(Entry), QStringLiteral("Name")), QStringLiteral("Платежное поручение"));
    QCOMPARE(desktopValue(home(Entry), QStringLiteral("Categories")), QStringLiteral("Office;Finance;"));
    QCOMPARE(desktopValue(home(Entry), QStringLiteral("Icon")), QStringLiteral("vexaron"));
    for (int size : { 16, 32, 48 }) {
        const QImage icon(home(QStringLiteral(".local/share/icons/hicolor/%1x%1/apps/vexaron.png").arg(size)));
        QCOMPARE(icon.size(), QSize(size, size));
    }
    QVERIFY(QFileInfo::exists(home(QStringLiteral(".local/share/icons/hicolor/scalable/apps/vexaron.svg"))));

    // Nothing outside ~/.local, nothing of the user's touched.
    for (const QString &file : filesUnder(m_home))
        QVERIFY2(file.startsWith(QStringLiteral(".local/")), qPrintable(file));
    for (const QString &own : OwnFiles) {
        QFile f(home(own));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("mine"));
    }
}

void TestUserInstall::menuEntryValidates()
{
    if (!requireTool(QStringLiteral("desktop-file-validate")))
        return;
    const Run v = run(QStringLiteral("desktop-file-validate"), { home(Entry) });
    QVERIFY2(v.ok(), qPrintable(v.output));
    QVERIFY2(!v.output.contains(QStringLiteral("error")) && !v.output.contains(QStringLiteral("warning")),
             qPrintable(v.output));
}

void TestUserInstall::startsFromTheMenuEntry()
{
    // The home folder's name has a space: the Exec line must keep it whole.
    const QString program = execProgram(desktopValue(home(Entry), QStringLiteral("Exec")));
    QCOMPARE(program, home(QStringLiteral(".local/lib/vexaron/vexaron")));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_home);
    const Health h = watchProgram(program, home(Database), env);
    QVERIFY2(h.running && h.holdsDatabase, qPrintable(h.output));
}

void TestUserInstall::installingAgainKeepsTheArchive()
{
    QString error;
    QVERIFY2(TestSupport::execSql(home(Database),
                                  QStringLiteral("insert into arc values (3, '99,01', 'ФОП Iваненко', '2233445566', "
                                                 "'Ощадбанк', '300465', '2600900011', 'Послуги', '01.02.2024')"),
                                  &error),
             qPrintable(error));
    const Run r = script(QStringLiteral("install-user"), { QStringLiteral("--build-dir"), buildDir() });
    QVERIFY2(r.ok(), qPrintable(r.output));
    QCOMPARE(TestSupport::queryRows(home(Database), QStringLiteral("select id, oderz from arc")),
             QList<QStringList>({ { QStringLiteral("3"), QStringLiteral("ФОП Iваненко") } }));
}

void TestUserInstall::uninstallKeepsTheDatabase()
{
    for (int round = 1; round <= 2; ++round) {
        const Run r = script(QStringLiteral("uninstall-user"));
        QVERIFY2(r.ok(), qPrintable(QStringLiteral("round %1: %2").arg(round).arg(r.output)));
        QVERIFY2(r.output.contains(QStringLiteral("vexa.mdb")), qPrintable(r.output));
        QCOMPARE(filesUnder(m_home), ownFilesAnd({ Database }));
        QCOMPARE(TestSupport::queryRows(home(Database), QStringLiteral("select id from arc")),
                 QList<QStringList>({ { QStringLiteral("3") } }));
    }
}

void TestUserInstall::installingAfterUninstallCarriesOn()
{
    const Run r = script(QStringLiteral("install-user"), { QStringLiteral("--build-dir"), buildDir() });
    QVERIFY2(r.ok(), qPrintable(r.output));
    QVERIFY(QFileInfo::exists(home(Entry)));
    QCOMPARE(TestSupport::queryRows(home(Database), QStringLiteral("select id from arc")),
             QList<QStringList>({ { QStringLiteral("3") } }));
}

void TestUserInstall::purgeRemovesEverything()
{
    // A journal left by a run that was cut short belongs to the database.
    {
        QFile journal(home(Database) + QStringLiteral("-journal"));
        QVERIFY(journal.open(QIODevice::WriteOnly));
    }
    for (int round = 1; round <= 2; ++round) {
        const Run r = script(QStringLiteral("uninstall-user"), { QStringLiteral("--purge") });
        QVERIFY2(r.ok(), qPrintable(QStringLiteral("round %1: %2").arg(round).arg(r.output)));
        QCOMPARE(filesUnder(m_home), ownFilesAnd({}));
        QVERIFY(!QFileInfo::exists(home(QStringLiteral(".local/lib/vexaron"))));
    }
}

QTEST_GUILESS_MAIN(TestUserInstall)
#include "tst_userinstall.moc"
