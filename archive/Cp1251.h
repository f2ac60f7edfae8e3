#pragma once

#include <QByteArray>
#include <QString>

// Windows-1251, the code page of Ukrainian bank clients, through ICU's
// converters. Two ways of writing: exactly (for a payment code, whose text must
// reach the bank unchanged) or in the nearest form (for an exchange file,
// where a letter the code page lacks becomes the one it looks like).
namespace Cp1251 {

// The text in Windows-1251; false, and *bytes untouched, when a character
// has no place in the code page.
bool encodeExact(const QString &text, QByteArray *bytes);

// The text in Windows-1251, each character the code page lacks written in
// its nearest form (the modifier apostrophe U+02BC as the apostrophe U+2019,
// other dashes as a hyphen, a letter with a mark the code page lacks as its
// bare letter, invisible joiners left out, anything else as "?").
// *replaced, when given, receives the number of characters so changed.
QByteArray encodeNearest(const QString &text, int *replaced = nullptr);

} // namespace Cp1251
