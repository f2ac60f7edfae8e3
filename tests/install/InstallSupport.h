#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Helpers for the install tests: running tools, watching an installed
// program, reading a menu entry.
namespace InstallSupport {

struct Run
{
    bool started = false;
    bool finished = false;
    int exitCode = -1;
    QString output; // standard output and error together

    bool ok() const { return started && finished && exitCode == 0; }
};

// Runs program to its end (at most timeoutMs).
Run run(const QString &program, const QStringList &args,
        const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment(),
        int timeoutMs = 120000);

// The build tree under test and cmake, as the test was configured.
QString buildDir();
QString sourceDir();
QString cmake();

// cmake --install <build> --prefix <prefix>, with DESTDIR when given.
Run cmakeInstall(const QString &prefix, const QString &destDir = QString());

// Whether the tool is on the PATH. Without it a test skips, except under CI
// (the variable CI is set), where it fails: there the tool must be present.
// Returns false when the caller should return.
bool requireTool(const QString &tool);

// How a started program stood after being watched.
struct Health
{
    bool started = false;
    bool running = false;    // still running at the end
    bool holdsDatabase = false; // keeps the database file open at the end
    int exitCode = -1;       // when it ended
    QString output;
};

// Starts the program offscreen and watches it for at least minimumMs (and
// until it holds database open, at most timeoutMs), then ends it.
//
// A program that opened its database keeps the SQLite file open for the
// whole run, so the database appears among its open files
// (/proc/PID/fd). One that could not open it has closed the file again and
// either ended with status 1 or still shows its error box, which nobody can
// answer offscreen: it may be running, but it does not hold the database.
Health watchProgram(const QString &program, const QString &database,
                    const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment(),
                    int minimumMs = 3000, int timeoutMs = 20000);

// The program a menu entry's Exec line starts: the first argument, with the
// string escapes of the file and the quoting of the Exec key undone.
// Empty when the line is malformed.
QString execProgram(const QString &execValue);

// The value of key in the [Desktop Entry] group of a .desktop file.
QString desktopValue(const QString &file, const QString &key);

// Every file and symbolic link under dir, as paths relative to it, sorted.
QStringList filesUnder(const QString &dir);

} // namespace InstallSupport
