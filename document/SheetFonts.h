#pragma once

#include <QString>

// The faces the sheet is drawn with ship inside the program, so the sheet
// looks the same on every machine: Liberation Sans stands in for
// "MS Sans Serif" and Liberation Serif for "Times New Roman" (same metrics
// as Arial and Times New Roman).
namespace SheetFonts {

// Registers the shipped faces with the application; safe to call again.
// Returns false when a face could not be loaded.
bool registerFonts();

QString sansFamily();
QString serifFamily();

} // namespace SheetFonts
