#pragma once

// The text a fuzzer passes to the function under test, made from libFuzzer's
// bytes. The first byte chooses how the rest is read, so that one corpus
// reaches every kind of text the program can hold: UTF-8 as typed and as
// stored, raw UTF-16 code units (lone surrogates included) and Latin-1.

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace FuzzInput {

inline QString text(const uint8_t *data, size_t size)
{
    if (size == 0)
        return QString();
    const char *rest = reinterpret_cast<const char *>(data + 1);
    const qsizetype n = qsizetype(size - 1);
    switch (data[0] % 3) {
    case 0:
        return QString::fromUtf8(rest, n);
    case 1: {
        QString units(n / 2, Qt::Uninitialized); // copied: the bytes need not be aligned
        std::memcpy(units.data(), rest, size_t(n / 2) * sizeof(QChar));
        return units;
    }
    default:
        return QString::fromLatin1(rest, n);
    }
}

// Stops the run, so that libFuzzer keeps the input, when a rule is broken.
inline void require(bool holds, const char *rule, const QString &input)
{
    if (holds)
        return;
    std::fprintf(stderr, "broken: %s\ninput (UTF-8): %s\n", rule, input.toUtf8().constData());
    std::abort();
}

inline bool allDigits(const QString &text)
{
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

} // namespace FuzzInput
