#include "InstallSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTextStream>

namespace InstallSupport {

Run run(const QString &program, const QStringList &args, const QProcessEnvironment &env,
        int timeoutMs)
{
    Run r;
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setStandardInputFile(QProcess::nullDevice());
    p.start(program, args);
    r.started = p.waitForStarted(10000);
    if (!r.started) {
        r.output = p.errorString();
        return r;
    }
    r.finished = p.waitForFinished(timeoutMs);
    if (!r.finished) {
        p.kill();
        p.waitForFinished(5000);
    }
    r.output = QString::fromUtf8(p.readAll());
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return r;
}

static QString fromEnv(const char *name)
{
    const QString value = qEnvironmentVariable(name);
    if (value.isEmpty())
        qWarning("%s is not set: run the test through ctest", name);
    return value;
}

QString buildDir() { return fromEnv("VEXA_BUILD_DIR"); }
QString sourceDir() { return fromEnv("VEXA_SOURCE_DIR"); }
QString cmake() { return fromEnv("VEXA_CMAKE"); }

Run cmakeInstall(const QString &prefix, const QString &destDir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DESTDIR"));
    if (!destDir.isEmpty())
        env.insert(QStringLiteral("DESTDIR"), destDir);
    return run(cmake(), { QStringLiteral("--install"), buildDir(), QStringLiteral("--prefix"), prefix },
               env);
}

bool requireTool(const QString &tool)
{
    if (!QStandardPaths::findExecutable(tool).isEmpty())
        return true;
    const QString message = QStringLiteral("%1 is not installed (Debian: scripts/setup installs it)").arg(tool);
    if (qEnvironmentVariableIsSet("CI"))
        QTest::qFail(qPrintable(message), __FILE__, __LINE__);
    else
        QTest::qSkip(qPrintable(message), __FILE__, __LINE__);
    return false;
}

// The path the kernel shows for the file once it is open.
static QString openedPath(const QString &file)
{
    const QFileInfo info(file);
    const QString dir = QFileInfo(info.absolutePath()).canonicalFilePath();
    return dir.isEmpty() ? info.absoluteFilePath() : QDir(dir).filePath(info.fileName());
}

static bool holdsOpen(qint64 pid, const QString &path)
{
    const QString fdDir = QStringLiteral("/proc/%1/fd").arg(pid);
    const QStringList fds = QDir(fdDir).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &fd : fds)
        if (QFile::symLinkTarget(fdDir + QLatin1Char('/') + fd) == path)
            return true;
    return false;
}

Health watchProgram(const QString &program, const QString &database, const QProcessEnvironment &env,
                    int minimumMs, int timeoutMs)
{
    Health h;
    QProcessEnvironment e = env;
    e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess p;
    p.setProcessEnvironment(e);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setStandardInputFile(QProcess::nullDevice());
    p.start(program, {});
    if (!p.waitForStarted(10000)) {
        h.output = p.errorString();
        return h;
    }
    h.started = true;
    const QString path = openedPath(database);
    QElapsedTimer clock;
    clock.start();
    while (p.state() == QProcess::Running) {
        const bool holds = holdsOpen(p.processId(), path);
        if ((holds && clock.elapsed() >= minimumMs) || clock.elapsed() >= timeoutMs)
            break;
        p.waitForFinished(100);
    }
    h.running = p.state() == QProcess::Running;
    h.holdsDatabase = h.running && holdsOpen(p.processId(), path);
    if (h.running) {
        p.kill();
        p.waitForFinished(5000);
    } else {
        h.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    h.output = QString::fromUtf8(p.readAll());
    return h;
}

QString execProgram(const QString &execValue)
{
    // The string level: \s \n \t \r \\.
    QString value;
    for (int i = 0; i < execValue.size(); ++i) {
        const QChar c = execValue.at(i);
        if (c != QLatin1Char('\\')) {
            value += c;
            continue;
        }
        if (++i == execValue.size())
            return QString();
        switch (execValue.at(i).unicode()) {
        case 's': value += QLatin1Char(' '); break;
        case 'n': value += QLatin1Char('\n'); break;
        case 't': value += QLatin1Char('\t'); break;
        case 'r': value += QLatin1Char('\r'); break;
        case '\\': value += QLatin1Char('\\'); break;
        default: return QString();
        }
    }
    // The first argument, quoted or plain.
    QString arg;
    if (value.startsWith(QLatin1Char('"'))) {
        int i = 1;
        for (; i < value.size() && value.at(i) != QLatin1Char('"'); ++i) {
            if (value.at(i) == QLatin1Char('\\')) {
                if (++i == value.size() || !QStringLiteral("\"`$\\").contains(value.at(i)))
                    return QString();
            }
            arg += value.at(i);
        }
        if (i == value.size())
            return QString(); // no closing quote
        if (i + 1 < value.size() && value.at(i + 1) != QLatin1Char(' '))
            return QString();
    } else {
        arg = value.section(QLatin1Char(' '), 0, 0);
        for (const QChar c : QStringLiteral("\t\n\"'\\><~|&;$*?#()`"))
            if (arg.contains(c))
                return QString(); // must have been quoted
    }
    // Field codes: %% is a percent sign; the program's path has no others.
    QString program;
    for (int i = 0; i < arg.size(); ++i) {
        if (arg.at(i) == QLatin1Char('%')) {
            if (i + 1 < arg.size() && arg.at(i + 1) == QLatin1Char('%'))
                ++i;
            else
                return QString();
        }
        program += arg.at(i);
    }
    return program;
}

QString desktopValue(const QString &file, const QString &key)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QTextStream in(&f);
    in.setEncoding(QStringConverter::Utf8);
    bool inGroup = false;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.startsWith(QLatin1Char('[')))
            inGroup = line == QLatin1String("[Desktop Entry]");
        else if (inGroup && line.startsWith(key + QLatin1Char('=')))
            return line.mid(key.size() + 1);
    }
    return QString();
}

QStringList filesUnder(const QString &dir)
{
    QStringList files;
    QDirIterator it(dir, QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir base(dir);
    while (it.hasNext())
        files << base.relativeFilePath(it.next());
    files.sort();
    return files;
}

} // namespace InstallSupport
