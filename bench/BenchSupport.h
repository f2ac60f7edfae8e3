#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// Small helpers the benchmarks share.
namespace BenchSupport {

// The number of orders the archive benchmarks fill in: the most the
// archive list is made for.
constexpr int ArchiveOrders = 32767;

// Adds `orders` archive rows numbered 1 to orders to the database file at
// path through the SQLite C API, in one transaction; each to a recipient
// of its own, or to `recipients` of them in turn.
bool fillArchive(const QString &path, int orders = ArchiveOrders, int recipients = 0);

// Puts a freshly delivered vexa.mdb with `orders` archive rows into the
// program folder `folder`. On failure says why on stderr and returns false.
bool makeProgramFolder(const QString &folder, int orders, int recipients = 0);

double median(std::vector<double> values);
// The spread of the values around their median, as a percentage of it:
// half the distance between the first and third quartile.
double spreadPercent(std::vector<double> values);

// The peak resident memory of this process so far (VmHWM), in kB; -1 when
// it cannot be read.
long peakResidentKb();

// Runs program with arguments and extra environment ("NAME=value"), its
// output thrown away, and waits for it. Returns the wall time from the
// start of the process to its end in milliseconds, or -1 when it could not
// be started or did not exit with status 0.
// When cpuMs is given, it receives the process's CPU time (user and
// system) in milliseconds.
double timeProcess(const QString &program, const QStringList &arguments,
                   const QStringList &environment, double *cpuMs = nullptr);

} // namespace BenchSupport
