#pragma once

#include "store/Records.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The National Bank of Ukraine's payment QR code for one archived order:
// the data of format 003 of the NBU rules on QR codes for credit transfers
// (Resolution No. 97 of 19.08.2025), Base64URL-encoded after the rules'
// address, so that the same text is the code and a link.
//
// The data are seventeen elements, each ended from the next by LF:
//   1 "BCD"  2 "003"  3 encoding: "1" UTF-8, "2" Windows-1251  4 "UCT"
//   5 (reserved)  6 recipient  7 IBAN  8 "UAH" + amount with a point
//   9 recipient code  10 purpose category  11 reference  12 purpose
//   13 display text  14 field lock  15 valid until  16 created
//   17 signature.
// Field order, the separators, the encodings and the limits follow the
// rules as the National Bank announced them and were cross-checked against
// two independent public generators: the Elixir package qr_nbu_ex (its
// Formatter and validators) and the PHP package opencartbot/nbu-qr-v3.
// Both write all seventeen elements joined by LF with nothing after the
// last, and encoding "1" or "2". They differ on the purpose limit of
// format 003 (280 and 420 characters) and on trailing kopeck zeros: the
// stricter limit is kept, and the amount always has two kopeck digits, a
// form both read.
namespace PaymentQr {

constexpr int RecipientLimit = 140;
constexpr int PurposeLimit = 280;
constexpr int DisplayLimit = 140;
constexpr int RecipientCodeLimit = 10;
// The link's length limit: the bytes a version-20 symbol holds at error
// correction L in byte mode, the largest the rules allow.
constexpr int LinkLimit = 858;

inline const char *linkPrefix() { return "https://qr.bank.gov.ua/"; }

struct Payload
{
    // Why there is no code, one plain sentence each; empty when there is one.
    QStringList reasons;
    QString text;      // the data as text, LF between the elements
    QByteArray bytes;  // the data in the encoding element 3 names
    QString link;      // linkPrefix() + Base64URL of bytes, no padding
    bool purposeCut = false; // the purpose was longer than the format or the symbol allows
    QString purpose;   // the purpose as written into the code

    bool hasCode() const { return reasons.isEmpty(); }
};

// The order's payload. The payer is the one who scans the code, so of the
// company's requisites only its name goes in, into the display text with
// the order's number and date.
Payload build(const OrderRecord &order, const Requisites &payer);

// True for "UA" and 27 digits whose ISO 13616 check (mod 97) holds; blanks
// between groups are allowed.
bool isUkrainianIban(const QString &account);

// The amount in the "0,00" form: 1 to 12 digits, a comma, two digits.
bool amountInForm(const QString &amount);

// A text cut to at most limit characters at the last blank that keeps it
// within the limit (at the limit itself when there is none).
QString cutAtWord(const QString &text, int limit);

} // namespace PaymentQr
