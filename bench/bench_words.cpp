// Times Module1::AmountToWords over every whole amount 0 to 99 999 against
// ICU's Ukrainian feminine spell-out of the same numbers, in one process,
// best of several rounds. Prints:
//   words_ms <value> ms
//   words_icu_ms <value> ms
//   words_icu_ratio <value> x     (ICU time / our time)

#include "document/Module1.h"

#include <QString>
#include <QVector>

#include <unicode/locid.h>
#include <unicode/rbnf.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <limits>

namespace {

constexpr int kCount = 100000;
constexpr int kRounds = 20;

volatile qint64 g_sink = 0; // keeps the results from being optimised away

double elapsedMs(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main()
{
    // The callers hand over the digits as text, ICU takes the number: each
    // gets its natural input, prepared before timing.
    QVector<QString> digits;
    digits.reserve(kCount);
    for (int n = 0; n < kCount; ++n)
        digits.append(QString::number(n));

    UErrorCode status = U_ZERO_ERROR;
    icu::RuleBasedNumberFormat speller(icu::URBNF_SPELLOUT, icu::Locale("uk"), status);
    if (U_SUCCESS(status))
        speller.setDefaultRuleSet(icu::UnicodeString(u"%spellout-cardinal-feminine"), status);
    if (U_FAILURE(status)) {
        std::fprintf(stderr, "ICU Ukrainian spell-out unavailable: %s\n", u_errorName(status));
        return 1;
    }

    // The rounds alternate, so both see the same conditions on a busy
    // machine; the best round of each counts.
    double ours = std::numeric_limits<double>::max();
    double theirs = ours;
    for (int r = 0; r < kRounds; ++r) {
        auto start = std::chrono::steady_clock::now();
        qint64 total = 0;
        for (const QString &d : digits)
            total += Module1::AmountToWords(d).size();
        ours = std::min(ours, elapsedMs(start));
        g_sink = g_sink + total;

        start = std::chrono::steady_clock::now();
        total = 0;
        for (int n = 0; n < kCount; ++n) {
            icu::UnicodeString out;
            speller.format(static_cast<int64_t>(n), out);
            total += out.length();
        }
        theirs = std::min(theirs, elapsedMs(start));
        g_sink = g_sink + total;
    }

    std::printf("words_ms %.3f ms\n", ours);
    std::printf("words_icu_ms %.3f ms\n", theirs);
    std::printf("words_icu_ratio %.1f x\n", theirs / ours);
    return 0;
}
