// Opening an archive of 1 000 000 orders with the file in the page cache:
// the store's open, whose cost is almost all SQLite's quick_check of every
// page. The median of several opens is printed.

#include "BenchSupport.h"
#include "store/Database.h"
#include "store/DeliveredDatabase.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>
#include <vector>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    constexpr int Orders = 1000000;
    constexpr int Runs = 7;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vexa.mdb"));
    if (!dir.isValid() || !DeliveredDatabase::create(path) || !BenchSupport::fillArchive(path, Orders)) {
        std::fprintf(stderr, "bench_opencheck: could not make the archive\n");
        return 1;
    }

    std::vector<double> times, cpuTimes;
    for (int run = 0; run <= Runs; ++run) { // the first only brings the file into the page cache
        QElapsedTimer timer;
        timer.start();
        const std::clock_t cpuStart = std::clock();
        Database db;
        if (!db.open(path)) {
            std::fprintf(stderr, "bench_opencheck: %s\n", qPrintable(db.errorText()));
            return 1;
        }
        if (run > 0) {
            times.push_back(timer.nsecsElapsed() / 1e6);
            cpuTimes.push_back(double(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC);
        }
    }
    std::printf("open_check_1m_ms %.1f ms\n", BenchSupport::median(times));
    std::fprintf(stderr, "# open_check_1m_ms: %d orders, a file of %.0f MB, spread %.1f %%, CPU %.1f ms\n",
                 Orders, QFileInfo(path).size() / 1e6, BenchSupport::spreadPercent(times),
                 BenchSupport::median(cpuTimes));
    return 0;
}
