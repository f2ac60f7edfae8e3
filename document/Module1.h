#pragma once

#include <QString>

// The amount in words, the month words and the date line of the document.
// Pure text functions: no state, no windows, no data.
namespace Module1 {

// The whole-hryvnia part of an amount, decimal digits, in Ukrainian words
// agreeing with the feminine currency noun. Empty for 0, for an empty text
// and for anything that is not twelve or fewer decimal digits.
QString AmountToWords(const QString &integerPart);

// The genitive month word for "01" to "12"; empty for anything else.
QString MonthToWords(const QString &month);

// "вiд " + day + " " + month word + " 20" + year tail + " р." from a date
// text dd.mm.yyyy, read by character positions.
QString DateLine(const QString &dateText);

} // namespace Module1
