#pragma once

#include <QByteArray>
#include <QString>

#include <string>

// The archive search's folded form of a text: one byte a letter for Latin
// and Cyrillic, so that a million orders' texts fit in memory, with the
// differences an accountant does not type folded away: upper and lower
// case, Latin i and Cyrillic і (one letter to the eye), and the apostrophe
// forms ' ’ ʼ ` (and ‘), the quotation marks " « » “ ” „ and the dashes
// - – —. Other characters are folded by Unicode's case folding and kept as
// a five-byte escape.
namespace SearchFold {

// Between two columns of one order; never inside a folded text.
constexpr char ColumnSeparator = '\x1f';

// Appends the folded form of UTF-8 bytes (invalid bytes fold as U+FFFD).
void appendFolded(const char *utf8, int size, std::string *out);
QByteArray folded(const QString &text);

// The folded words of a search text, split at blanks.
QList<QByteArray> words(const QString &text);

// Whether word occurs in the folded text [begin, end) starting on a
// character, not inside an escape.
bool contains(const char *begin, const char *end, const QByteArray &word);

} // namespace SearchFold
