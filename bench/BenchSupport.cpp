#include "BenchSupport.h"

#include "store/DeliveredDatabase.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace BenchSupport {

bool fillArchive(const QString &path, int orders, int recipients)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    bool ok = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_stmt *insert = nullptr;
    ok = ok
            && sqlite3_prepare_v2(db,
                                  "insert into arc (id, suma, oderz, idoderz, bank, idbank, kredit, "
                                  "oznaka, datazap) values (?, ?, ?, ?, ?, ?, ?, ?, ?)",
                                  -1, &insert, nullptr)
                    == SQLITE_OK;
    for (int id = 1; ok && id <= orders; ++id) {
        const QByteArray values[] = {
            QByteArray::number(id),
            QByteArray::number(id % 100000) + ",00",
            QStringLiteral("ТОВ \"Одержувач %1\"").arg(recipients > 0 ? id % recipients : id).toUtf8(),
            QByteArray::number(30000000 + id),
            QStringLiteral("АТ \"Банк %1\"").arg(id % 50).toUtf8(),
            QByteArray::number(300000 + id % 1000),
            QByteArray::number(2600000000000LL + id),
            QStringLiteral("Оплата за товар згiдно рахунку № %1").arg(id).toUtf8(),
            QByteArrayLiteral("07.03.2026"),
        };
        for (int c = 0; c < 9; ++c)
            sqlite3_bind_text(insert, c + 1, values[c].constData(), int(values[c].size()),
                              SQLITE_TRANSIENT);
        ok = sqlite3_step(insert) == SQLITE_DONE;
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

bool makeProgramFolder(const QString &folder, int orders, int recipients)
{
    const QString path = QDir(folder).filePath(QStringLiteral("vexa.mdb"));
    QString error;
    if (!DeliveredDatabase::create(path, &error) || (orders > 0 && !fillArchive(path, orders, recipients))) {
        std::fprintf(stderr, "cannot make the archive: %s\n", qPrintable(error));
        return false;
    }
    return true;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double spreadPercent(std::vector<double> values)
{
    if (values.size() < 4)
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    const double q1 = values[n / 4], q3 = values[(3 * n) / 4];
    const double m = median(values);
    return m > 0 ? 100.0 * (q3 - q1) / 2 / m : 0;
}

long peakResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            bool ok = false;
            const long kb = line.mid(6).trimmed().split(' ').value(0).toLong(&ok);
            return ok ? kb : -1;
        }
    }
    return -1;
}

double timeProcess(const QString &program, const QStringList &arguments,
                   const QStringList &environment, double *cpuMs)
{
    // Everything the child needs is made before the clock starts.
    std::vector<QByteArray> argStore { program.toLocal8Bit() };
    for (const QString &a : arguments)
        argStore.push_back(a.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &a : argStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    // The given variables replace any of the same name.
    std::vector<QByteArray> envStore;
    for (const QString &e : environment)
        envStore.push_back(e.toLocal8Bit());
    const size_t given = envStore.size();
    for (char **e = environ; *e; ++e) {
        const QByteArray entry(*e);
        const QByteArray name = entry.left(entry.indexOf('=') + 1);
        bool replaced = false;
        for (size_t k = 0; k < given && !replaced; ++k)
            replaced = envStore[k].startsWith(name);
        if (!replaced)
            envStore.push_back(entry);
    }
    std::vector<char *> envp;
    for (QByteArray &e : envStore)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argStore[0].constData(), &actions, nullptr, argv.data(),
                                    envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    int status = 0;
    struct rusage usage = {};
    if (wait4(pid, &status, 0, &usage) != pid)
        return -1;
    const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (cpuMs) {
        auto toMs = [](const timeval &t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
        *cpuMs = toMs(usage.ru_utime) + toMs(usage.ru_stime);
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? ms : -1;
}

} // namespace BenchSupport
