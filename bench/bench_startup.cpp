// Start-up: whole processes, from process start to the main window shown
// with the database open, then quitting - the program's start-up as
// bench_startup_program runs it, against the bare Qt program of
// bench_bare_qt, both offscreen. The two alternate, 20 runs each after a
// warm-up; medians are printed:
//   startup_ms, startup_qt_ms, startup_qt_ratio (ours / bare Qt)

#include "BenchSupport.h"
#include "store/DeliveredDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int Runs = 20;
constexpr int WarmUp = 3;

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);

    // A program folder of its own: the executable beside a delivered vexa.mdb.
    QTemporaryDir folder;
    const QString program = QDir(folder.path()).filePath(QStringLiteral("vexaron"));
    QString error;
    if (!folder.isValid() || !QFile::copy(QStringLiteral(VEXA_STARTUP_PROGRAM), program)
        || !DeliveredDatabase::create(QDir(folder.path()).filePath(QStringLiteral("vexa.mdb")),
                                      &error)) {
        std::fprintf(stderr, "cannot make the program folder: %s\n", qPrintable(error));
        return 1;
    }
    const QString bare = QStringLiteral(VEXA_BARE_QT);

    const QStringList environment = { QStringLiteral("QT_QPA_PLATFORM=offscreen") };

    std::vector<double> ours, theirs, oursCpu, theirsCpu;
    for (int run = 0; run < WarmUp + Runs; ++run) {
        // Alternate which side goes first, so neither always follows the other.
        const bool oursFirst = run % 2 == 0;
        double a = -1, b = -1, aCpu = 0, bCpu = 0;
        if (oursFirst)
            a = BenchSupport::timeProcess(program, {}, environment, &aCpu);
        b = BenchSupport::timeProcess(bare, {}, environment, &bCpu);
        if (!oursFirst)
            a = BenchSupport::timeProcess(program, {}, environment, &aCpu);
        if (a < 0 || b < 0) {
            std::fprintf(stderr, "a run failed (program %.1f, bare Qt %.1f)\n", a, b);
            return 1;
        }
        if (run >= WarmUp) {
            ours.push_back(a);
            theirs.push_back(b);
            oursCpu.push_back(aCpu);
            theirsCpu.push_back(bCpu);
        }
    }

    const double a = BenchSupport::median(ours), b = BenchSupport::median(theirs);
    // The CPU time is steadier than the wall time on a busy machine: shown
    // beside it, as a check.
    const double aCpu = BenchSupport::median(oursCpu), bCpu = BenchSupport::median(theirsCpu);
    std::fprintf(stderr,
                 "# startup: spread +-%.0f%% (program), +-%.0f%% (bare Qt); "
                 "CPU time %.1f ms against %.1f ms, %.2f x\n",
                 BenchSupport::spreadPercent(ours), BenchSupport::spreadPercent(theirs), aCpu, bCpu,
                 aCpu / bCpu);
    std::printf("startup_ms %.1f ms\n", a);
    std::printf("startup_qt_ms %.1f ms\n", b);
    std::printf("startup_qt_ratio %.2f x\n", a / b);
    return 0;
}
