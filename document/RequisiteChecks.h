#pragma once

#include <QString>

// The checks an accountant's typing gets in the order and requisites
// dialogs: the account (a Ukrainian IBAN), the company or person code and
// the bank code. Each judges a text as typed and returns a short Russian
// note, or an empty text when there is nothing to say. They only advise:
// nothing refuses or changes what is stored.
namespace RequisiteChecks {

// An IBAN is judged only when the text, blanks removed and upper-cased,
// starts with "UA": 29 characters and ISO 7064 MOD 97-10. Older account
// numbers get no note.
QString accountNote(const QString &account);
// The six-digit bank code inside a valid UA IBAN (its characters 5 to 10),
// or an empty text when the account is not one.
QString bankCodeFromIban(const QString &account);

// 8 digits: ЄДРПОУ; 10 digits: РНОКПП; a passport (two Cyrillic letters
// and six digits, or nine digits) has no check digit and passes.
QString codeNote(const QString &code);

// Six digits, and the IBAN's own bank code when the account is a valid UA
// IBAN.
QString bankCodeNote(const QString &bankCode, const QString &account);

// The check digits themselves, for codes of exactly the right length.
bool ibanValid(const QString &account);
bool edrpouValid(const QString &code);
bool rnokppValid(const QString &code);

} // namespace RequisiteChecks
