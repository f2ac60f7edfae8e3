#pragma once

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

// The archive's stored form of a text: one byte a letter for Latin and
// Cyrillic, so that a million orders' texts fit in memory, with upper and
// lower case folded away. Marks that look alike keep bytes of their own
// (Latin i and Cyrillic і, the apostrophes ' ` ‘ ’ ʼ, the quotation marks
// " « » “ ” „, the dashes - – —, the blanks), so that the sort can tell
// them apart; the search takes each for the one an accountant types.
// Other characters are folded by Unicode's case folding and kept as a
// five-byte escape.
namespace SearchFold {

// Where an escape begins; it is followed by four bytes 0x40 to 0x7F.
constexpr char Escape = '\x01';

// Between two columns of one order; never inside a folded text.
constexpr char ColumnSeparator = '\x1f';

// Appends the stored form of UTF-8 bytes (invalid bytes fold as U+FFFD),
// and to capitals, when given, the place in out of each capital letter
// (one byte each).
void appendFolded(const char *utf8, int size, std::string *out, std::vector<quint32> *capitals = nullptr);
// Appends the UTF-8 text that a stored text without escapes was made
// from, given which of its bytes were capitals (a bit each, the lowest bit
// of a byte first, from firstBit on): the stored form and the capitals
// lose nothing else.
void appendOriginal(const unsigned char *stored, size_t size, const unsigned char *capitals, size_t firstBit,
                    std::string *utf8);
// A search text in the typed form: stored, then every look-alike mark
// taken for the one typed (і as i, ’ as ', « as ", – as -, any blank as
// a space).
QByteArray folded(const QString &text);

// The character a stored byte stands for, in lower case (Latin i for i,
// a space for a blank); 0 for an escape, the column separator and the
// bytes never stored.
char32_t storedCharacter(unsigned char byte);

// The words of a search text in the typed form, split at blanks.
QList<QByteArray> words(const QString &text);

// Whether a word in the typed form occurs in the stored text [begin, end),
// starting on a character, not inside an escape.
bool contains(const char *begin, const char *end, const QByteArray &word);

} // namespace SearchFold
