// Installing: cmake --install into a temporary prefix (the program folder,
// the menu entry and icons, packaging with DESTDIR, a linked database), and
// scripts/install-user and scripts/uninstall-user into a temporary home
// (starting the installed program, upgrades keeping the archive).
#include "app/Icons.h"
#include "support/TestSupport.h"

#include <QtGui>
#include <QtTest>

namespace {

const QString ProgramDir = "lib/vexaron";

QString env(const char *name) { return qEnvironmentVariable(name); }

using TestSupport::fileBytes;

// Runs a program to its end; its output, and whether it succeeded.
using TestSupport::run;

std::pair<bool, QString> install(const QString &prefix, const QString &destDir = QString())
{
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert("DESTDIR", destDir);
    return run(env("VEXA_CMAKE"), { "--install", env("VEXA_BUILD_DIR"), "--prefix", prefix }, true, e);
}

// Every file and link under dir, relative to it, sorted.
QStringList filesUnder(const QString &dir)
{
    QStringList files;
    for (QDirIterator it(dir, QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        files << QDir(dir).relativeFilePath(it.next());
    files.sort();
    return files;
}

// What an install puts under its prefix (the help file only where chmcmd is
// installed).
QStringList installedFiles()
{
    QStringList files { "bin/vexaron", "share/applications/vexaron.desktop",
                        "share/icons/hicolor/scalable/apps/vexaron.svg", ProgramDir + "/vexaron",
                        ProgramDir + "/vexa.mdb" };
    if (env("VEXA_HELP_FILE") == "ON")
        files << ProgramDir + "/vexa.chm";
    for (int size : { 16, 32, 48 })
        files << QString("share/icons/hicolor/%1x%1/apps/vexaron.png").arg(size);
    const QDir fonts(env("VEXA_SOURCE_DIR") + "/document/fonts");
    for (const QString &font : fonts.entryList({ "*.ttf", "LICENSE*" }, QDir::Files))
        files << ProgramDir + "/fonts/" + font;
    files.sort();
    return files;
}

// Starts the program offscreen: whether, still running after 2 s, it holds
// the database open (SQLite keeps the file open for the whole run; a program
// that could not use it has closed it again, or ended).
bool opensDatabase(const QString &program, const QString &database, QProcessEnvironment e)
{
    e.insert("QT_QPA_PLATFORM", "offscreen");
    QProcess p;
    p.setProcessEnvironment(e);
    p.start(program, {});
    const QString fds = QString("/proc/%1/fd/").arg(p.processId()), target = QFileInfo(database).canonicalFilePath();
    bool held = false;
    for (int i = 0; i < 200 && !held && !p.waitForFinished(100); ++i)
        for (const QFileInfo &fd : QDir(fds).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
            held = held || (i >= 20 && fd.symLinkTarget() == target);
    p.kill();
    p.waitForFinished();
    return held;
}

// The program a menu entry's Exec line starts: one quoted argument, with
// the file's escapes (a path needs only \s and \\), the quoting and %% undone.
QString execProgram(const QString &file)
{
    const QString exec = QRegularExpression("^Exec=(.*)$", QRegularExpression::MultilineOption)
                                 .match(QString::fromUtf8(fileBytes(file))).captured(1);
    QString value;
    for (int i = 0; i < exec.size(); ++i) {
        if (exec[i] != '\\')
            value += exec[i];
        else if (++i < exec.size() && (exec[i] == 's' || exec[i] == '\\'))
            value += exec[i] == 's' ? ' ' : '\\';
        else
            return QString();
    }
    const auto quoted = QRegularExpression(R"x(^"((?:[^"`$\\]|\\["`$\\])*)"(?: |$))x").match(value);
    QString program = quoted.captured(1).replace(QRegularExpression(R"(\\(.))"), "\\1");
    return quoted.hasMatch() && !QString(program).remove("%%").contains('%') ? program.replace("%%", "%") : QString();
}

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

private slots:
    // Into a prefix whose name has characters that need quoting in a menu
    // entry's Exec line. The program folder holds what it must and nothing
    // else: no half-copied database, no stray build files. The icons: the
    // PNGs the program's own drawing, the SVG the same design (hinting and
    // smoothing aside: at most 2 % of the pixels differ much).
    void intoAPrefix()
    {
        QTemporaryDir tmp;
        const QString prefix = tmp.filePath("my \"programs\" `$HOME` 100%");
        const auto r = install(prefix);
        QVERIFY2(r.first, qPrintable(r.second));
        QCOMPARE(filesUnder(prefix), installedFiles());
        const QFileInfo program(prefix + "/" + ProgramDir + "/vexaron");
        QVERIFY(program.isExecutable() && !program.isSymLink());
        QCOMPARE(QFileInfo(prefix + "/bin/vexaron").canonicalFilePath(), program.canonicalFilePath());
        // The delivered database: no orders, the blank requisites row.
        const QString db = prefix + "/" + ProgramDir + "/vexa.mdb";
        QCOMPARE(TestSupport::queryRows(db, "select count(*) from arc"), QList<QStringList>({ { "0" } }));
        QCOMPARE(TestSupport::queryRows(db, "select num, firma from firma"), QList<QStringList>({ { "1", "" } }));
        // Removing what the manifest lists must not take the archive with it.
        QVERIFY(!fileBytes(env("VEXA_BUILD_DIR") + "/install_manifest.txt").contains("vexa.mdb"));

        const QString entry = prefix + "/share/applications/vexaron.desktop";
        QCOMPARE(execProgram(entry), program.filePath());
        for (int size : { 16, 32, 48 })
            QCOMPARE(QImage(prefix + QString("/share/icons/hicolor/%1x%1/apps/vexaron.png").arg(size)).convertToFormat(QImage::Format_ARGB32),
                     Icons::programPixmap(size).toImage().convertToFormat(QImage::Format_ARGB32));
        QImageReader reader(prefix + "/share/icons/hicolor/scalable/apps/vexaron.svg"); // Debian: qt6-svg-dev
        reader.setScaledSize({ 48, 48 });
        const QImage svg = reader.read().convertToFormat(QImage::Format_ARGB32),
                     drawn = Icons::programPixmap(48).toImage().convertToFormat(QImage::Format_ARGB32);
        const auto onWhite = [](QRgb c) { return qGray(c) * qAlpha(c) / 255 + 255 - qAlpha(c); };
        int far = 0;
        for (int i = 0; i < 48 * 48; ++i)
            far += qAbs(onWhite(svg.pixel(i % 48, i / 48)) - onWhite(drawn.pixel(i % 48, i / 48))) > 64;
        QVERIFY2(far < 48 * 48 / 50, qPrintable(QString("%1 pixels differ").arg(far)));

        if (QStandardPaths::findExecutable("desktop-file-validate").isEmpty() && !qEnvironmentVariableIsSet("CI"))
            QSKIP("desktop-file-validate is not installed (Debian: desktop-file-utils)");
        const auto v = run("desktop-file-validate", { entry });
        QVERIFY2(v.first && v.second.trimmed().isEmpty(), qPrintable(v.second));
    }

    // Packaging: DESTDIR stages the tree; the menu entry names the final
    // place, and the launcher link works in both. A database kept elsewhere
    // and linked into the program folder stays linked, even while its target
    // is out of reach (an unmounted share, say).
    void stagedInstallKeepsALinkedDatabase()
    {
        QTemporaryDir stage;
        const QString prefix = "/opt/vexaron-staged", root = stage.path() + prefix, away = stage.filePath("share/vexa.mdb");
        QVERIFY(QDir().mkpath(root + "/" + ProgramDir) && QFile::link(away, root + "/" + ProgramDir + "/vexa.mdb"));
        const auto r = install(prefix, stage.path());
        QVERIFY2(r.first, qPrintable(r.second));
        QVERIFY(!QFileInfo::exists(prefix) && !QFileInfo::exists(away));
        QCOMPARE(filesUnder(root), installedFiles());
        QCOMPARE(QFileInfo(root + "/" + ProgramDir + "/vexa.mdb").symLinkTarget(), away);
        QCOMPARE(execProgram(root + "/share/applications/vexaron.desktop"), prefix + "/lib/vexaron/vexaron");
        QCOMPARE(QFileInfo(root + "/bin/vexaron").canonicalFilePath(), QFileInfo(root + "/lib/vexaron/vexaron").canonicalFilePath());
    }

    // For one user, into a home of its own: the program and menu entry arrive
    // under ~/.local and start; installing again keeps the archive and puts
    // damaged program files right; uninstalling keeps the database unless
    // purged; both can run again; the user's own files stay.
    void userInstallAndUninstall()
    {
        QTemporaryDir tmp;
        const QString home = tmp.filePath("home of user"), db = home + "/.local/lib/vexaron/vexa.mdb";
        const QStringList own { ".local/bin/tool", ".local/share/applications/other.desktop" };
        for (const QString &file : own)
            QVERIFY(QDir().mkpath(QFileInfo(home + "/" + file).path()) && QFile(home + "/" + file).open(QIODevice::WriteOnly));
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("HOME", home);
        e.remove("XDG_DATA_HOME");
        auto script = [&](const QString &name, const QStringList &args = {}) {
            return run(env("VEXA_SOURCE_DIR") + "/scripts/" + name,
                       name == "install-user" ? QStringList { "--build-dir", env("VEXA_BUILD_DIR") } : args, true, e);
        };

        auto r = script("install-user");
        QVERIFY2(r.first, qPrintable(r.second));
        QStringList expected = own + installedFiles().replaceInStrings(QRegularExpression("^"), ".local/");
        expected.sort();
        QCOMPARE(filesUnder(home), expected);
        // The home's name has a space: the Exec line keeps it whole.
        QCOMPARE(execProgram(home + "/.local/share/applications/vexaron.desktop"), home + "/.local/" + ProgramDir + "/vexaron");
        // Started through the launcher link, it finds the database in its own folder.
        QVERIFY(opensDatabase(home + "/.local/bin/vexaron", db, e));

        QVERIFY(TestSupport::execSql(db, "insert into arc values (17, '1250,40', 'ТОВ Зерно', '12345678', 'ПриватБанк', "
                                         "'305299', '26001234567890', 'Оплата за зерно', '05.03.2024')"));
        const QString licence = home + "/.local/" + ProgramDir + "/fonts/LICENSE-OFL.txt";
        QVERIFY(QFile::resize(licence, 3));
        for (const QString step : { "install-user", "uninstall-user", "uninstall-user", "install-user" }) {
            r = script(step);
            QVERIFY2(r.first, qPrintable(step + ": " + r.second));
            QCOMPARE(TestSupport::queryRows(db, "select id, oderz from arc"), QList<QStringList>({ { "17", "ТОВ Зерно" } }));
            if (step == "install-user") // a program file damaged since is put right
                QCOMPARE(fileBytes(licence), fileBytes(env("VEXA_SOURCE_DIR") + "/document/fonts/LICENSE-OFL.txt"));
            if (step == "uninstall-user") { // it says where the kept database is
                QVERIFY2(r.second.contains(db), qPrintable(r.second));
                QCOMPARE(filesUnder(home), QStringList({ own[0], ".local/" + ProgramDir + "/vexa.mdb", own[1] }));
            }
        }
        QVERIFY(QFile(db + "-journal").open(QIODevice::WriteOnly)); // left by a run cut short
        for (int round = 1; round <= 2; ++round) {
            r = script("uninstall-user", { "--purge" });
            QVERIFY2(r.first, qPrintable(r.second));
            QCOMPARE(filesUnder(home), own);
        }
        QVERIFY(!QFileInfo::exists(home + "/.local/" + ProgramDir));
    }
};

QTEST_MAIN(TestInstall)
#include "tst_install.moc"

