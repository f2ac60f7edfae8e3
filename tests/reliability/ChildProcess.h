#pragma once

// Drives tests/reliability/reliability_child: starts it, reads its lines,
// sends it commands. See that file for the modes.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Reliability {

inline QString childProgram()
{
    return QStringLiteral(VEXA_RELIABILITY_CHILD);
}

// True when the tests run as root, who ignores permission bits: the cases
// that need them run in a child that gives up root (--as-nobody).
inline bool runAsRoot()
{
    return ::geteuid() == 0;
}

// Hands a folder and what is in it to the user the child runs as.
inline bool giveToChild(const QString &path)
{
    if (!runAsRoot())
        return true;
    const passwd *nobody = ::getpwnam("nobody");
    const QByteArray name = QFile::encodeName(path);
    if (!nobody || ::chown(name.constData(), nobody->pw_uid, nobody->pw_gid) != 0)
        return false;
    const QFileInfo info(path);
    if (info.isDir()) {
        const QDir dir(path);
        for (const QString &entry : dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
            if (!giveToChild(dir.filePath(entry)))
                return false;
    }
    return true;
}

inline bool setMode(const QString &path, mode_t mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

class Child
{
public:
    Child() { m_process.setProcessChannelMode(QProcess::SeparateChannels); }
    ~Child()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    bool start(const QStringList &arguments, bool asNobody = false)
    {
        QStringList args = arguments;
        if (asNobody)
            args.prepend(QStringLiteral("--as-nobody"));
        m_process.start(childProgram(), args);
        return m_process.waitForStarted(10000);
    }

    // The next whole line the child wrote, or a null text after timeoutMs or
    // when the child has ended without writing one.
    QString line(int timeoutMs = 30000)
    {
        QElapsedTimer timer;
        timer.start();
        for (;;) {
            if (m_process.canReadLine())
                return QString::fromUtf8(m_process.readLine()).chopped(1);
            if (m_process.state() == QProcess::NotRunning || timer.elapsed() > timeoutMs) {
                m_process.waitForReadyRead(0);
                if (m_process.canReadLine())
                    continue;
                return QString();
            }
            m_process.waitForReadyRead(50);
        }
    }

    void send(const QString &text)
    {
        m_process.write(text.toUtf8() + '\n');
        m_process.waitForBytesWritten(5000);
    }

    // Sends one command and returns the child's answer.
    QString ask(const QString &command, int timeoutMs = 30000)
    {
        send(command);
        return line(timeoutMs);
    }

    void closeInput() { m_process.closeWriteChannel(); }

    // Kills with SIGKILL and returns every whole line written before.
    QStringList kill()
    {
        m_process.kill();
        m_process.waitForFinished(10000);
        return allLines();
    }

    // Waits for the end; the exit status, or -1 for a crash or a timeout.
    int finish(int timeoutMs = 60000)
    {
        if (!m_process.waitForFinished(timeoutMs)) {
            m_process.kill();
            m_process.waitForFinished(5000);
            return -1;
        }
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

    // The lines not read yet; a last line without its line break is left out,
    // since the child had not finished saying it.
    QStringList allLines()
    {
        QStringList lines;
        while (m_process.canReadLine())
            lines << QString::fromUtf8(m_process.readLine()).chopped(1);
        return lines;
    }

    QString errors() { return QString::fromLocal8Bit(m_process.readAllStandardError()); }
    QProcess &process() { return m_process; }

private:
    QProcess m_process;
};

} // namespace Reliability
