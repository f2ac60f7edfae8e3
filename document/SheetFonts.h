#pragma once

#include <QByteArray>
#include <QString>

// The faces the sheet is drawn with ship inside the program, so the sheet
// looks the same on every machine: Liberation Sans stands in for
// "MS Sans Serif" and Liberation Serif for "Times New Roman" (same metrics
// as Arial and Times New Roman).
namespace SheetFonts {

// A TrueType face whose character map gains a glyph of its own for the
// TAB. The shipped faces map no TAB; Qt's font engine then draws a TAB with
// the space glyph, and its PDF writer, which names each glyph after the
// lowest character that reaches it, writes every space of the printed sheet
// as a TAB into the PDF's text layer (copying, searching). The face's own
// data stay unchanged; the data come back as they were when they are not a
// TrueType face.
QByteArray withTabOfItsOwn(const QByteArray &face);

// Registers the shipped faces with the application; safe to call again.
// Returns false when a face could not be loaded.
bool registerFonts();

QString sansFamily();
QString serifFamily();

} // namespace SheetFonts
