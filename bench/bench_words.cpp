// Times Module1::AmountToWords over every whole amount 0 to 99 999, best of
// several rounds. Prints the time per amount:
//   words_ns <value> ns

#include "document/Module1.h"

#include <QString>
#include <QVector>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <limits>

namespace {

constexpr int Count = 100000;
constexpr int Rounds = 20;

volatile qint64 g_sink = 0; // keeps the results from being optimised away

} // namespace

int main()
{
    // The callers hand over the digits as text, made before timing.
    QVector<QString> digits;
    digits.reserve(Count);
    for (int n = 0; n < Count; ++n)
        digits.append(QString::number(n));

    double best = std::numeric_limits<double>::max();
    for (int r = 0; r < Rounds; ++r) {
        const auto start = std::chrono::steady_clock::now();
        qint64 total = 0;
        for (const QString &d : digits)
            total += Module1::AmountToWords(d).size();
        const std::chrono::duration<double, std::nano> elapsed = std::chrono::steady_clock::now() - start;
        best = std::min(best, elapsed.count());
        g_sink = g_sink + total;
    }

    std::printf("words_ns %.0f ns\n", best / Count);
    return 0;
}
