// MonthToWords and DateLine on any text: no crash, no undefined behaviour;
// a month word exactly for "01" to "12", and the date line always built from
// the characters at their places.
#include "FuzzInput.h"

#include "document/Module1.h"

using FuzzInput::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = FuzzInput::text(data, size);

    const QString month = Module1::MonthToWords(text);
    const bool isMonth = text.size() == 2 && FuzzInput::allDigits(text) && text.toInt() >= 1
            && text.toInt() <= 12;
    require(month.isEmpty() != isMonth, "a word exactly for 01 to 12", text);
    if (isMonth)
        require(month.endsWith(QStringLiteral("я")) || month.endsWith(QStringLiteral("ого"))
                        || month.endsWith(QStringLiteral("да")),
                "a month word in the genitive", text);

    const QString line = Module1::DateLine(text);
    require(line.startsWith(QStringLiteral("вiд ")) && line.endsWith(QStringLiteral(" р.")),
            "the date line's frame", text);
    const QString middle = Module1::MonthToWords(text.mid(3, 2));
    require(line.size() == 4 + qMin<qsizetype>(2, text.size()) + 1 + middle.size() + 3
                            + qMin<qsizetype>(2, text.size()) + 3,
            "the date line's length", text);
    require(line.mid(4, qMin<qsizetype>(2, text.size())) == text.left(2), "the day in its place", text);
    return 0;
}
