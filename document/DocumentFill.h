#pragma once

#include "document/SheetFields.h"
#include "store/Records.h"

class Database;
class Form1;

// The document fill steps: one order and the company's requisites written
// into the fifteen fields of the sheet. Used by the order-entry dialog and
// by the archive's reprint.
namespace DocumentFill {

// How an amount text stands against the "0,00" form.
enum class AmountForm {
    Good,      // digits, a comma, two kopeck digits
    Misplaced, // the third character from the end is not a comma: warn, then go on
    Unusable,  // fewer than three characters, or the integer part is not all digits
               // or has more than the twelve digits the words can spell
};
AmountForm checkAmount(const QString &amount);

// The entry dialogs' warning test, which looks at one character only: true
// when the third character from the end is a comma. An amount shorter than
// three characters has no such character and fails.
bool commaPlaced(const QString &amount);

// "(" + words of the integer part + " гр. " + kopecks + " коп.)". The
// amount must have at least three characters; for a shorter one the result
// is a null text and nothing should be written.
QString amountInWords(const QString &amount);

// Step 1: the payer fields from the requisites.
void writeRequisites(SheetFields &fields, const Requisites &requisites);
// Steps 2 to 6: the order fields, the date line and the amount in words.
// The amount in words is left as it was when the amount is shorter than
// three characters.
void writeOrder(SheetFields &fields, const OrderRecord &order);

// All fifteen fields from one order and the requisites.
SheetFields filled(const SheetFields &current, const OrderRecord &order,
                   const Requisites &requisites);

// Writes all fifteen fields into the document window in one go, so that it
// never shows half an order.
void fill(Form1 &document, const OrderRecord &order, const Requisites &requisites);

// The outcome of reading the company's requisites for a fill.
enum class RequisitesRead {
    Read,   // the first firma row (a NULL value reads as empty)
    NoRow,  // firma holds no row
    Failed, // the statement failed: Database::errorText() says why
};
// Reads the first firma row into *requisites; the record is touched only
// when the result is Read.
RequisitesRead readRequisites(Database &db, Requisites *requisites);

} // namespace DocumentFill
