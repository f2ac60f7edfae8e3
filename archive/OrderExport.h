#pragma once

#include "store/Records.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

// Archived orders written for a bank client or a spreadsheet:
//  - the "1CClientBankExchange" exchange text in its Ukrainian form
//    (ПлательщикОКПО/ПолучательОКПО, ...МФО, IBANs in the ...Счет keys),
//    Windows-1251 with CRLF, each character the code page lacks written in
//    its nearest form and counted;
//  - CSV: UTF-8, a header row, ";" between fields, CRLF after each row,
//    fields quoted as RFC 4180 says.
// The payer comes from the company's requisites; amounts are written with
// a point ("1234.56"), dates as stored (dd.mm.yyyy). An order whose amount
// is not in the "0,00" form is left out and listed.
namespace OrderExport {

enum class Format { ClientBank, Csv };

struct Prepared
{
    QByteArray bytes;      // the whole file
    int written = 0;       // orders in it
    QStringList leftOut;   // one line per order left out, saying why
    int replaced = 0;      // characters written in their nearest Windows-1251 form
};

// created: the moment the exchange text names as its making (ignored for CSV).
Prepared prepare(const QVector<OrderRecord> &orders, const Requisites &payer, Format format,
                 const QDateTime &created);

// The CSV header's field names, in column order.
QStringList csvHeader();

// Writes bytes to path whole or not at all (a temporary file beside it,
// then a rename). An existing file is replaced only when replace is true.
// False with the reason in *error.
bool writeFile(const QString &path, const QByteArray &bytes, bool replace, QString *error);

} // namespace OrderExport
