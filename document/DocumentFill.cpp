#include "document/DocumentFill.h"

#include "document/Form1.h"
#include "document/Module1.h"
#include "store/Database.h"

namespace DocumentFill {

using Sheet::Field;

static bool allDigits(const QString &text)
{
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

bool commaPlaced(const QString &amount)
{
    const int n = int(amount.size());
    return n >= 3 && amount.at(n - 3) == QLatin1Char(',');
}

// AmountToWords spells at most twelve digits; a longer integer part would
// leave the amount in words empty on the sheet.
constexpr int MaxIntegerDigits = 12;

AmountForm checkAmount(const QString &amount)
{
    const int n = int(amount.size());
    if (n < 3 || n - 3 > MaxIntegerDigits || !allDigits(amount.left(n - 3)))
        return AmountForm::Unusable;
    if (!commaPlaced(amount))
        return AmountForm::Misplaced;
    return AmountForm::Good;
}

QString amountInWords(const QString &amount)
{
    const int n = int(amount.size());
    if (n < 3)
        return QString();
    return QStringLiteral("(") + Module1::AmountToWords(amount.left(n - 3)) + QStringLiteral(" гр. ")
            + amount.right(2) + QStringLiteral(" коп.)");
}

void writeRequisites(SheetFields &f, const Requisites &r)
{
    f.setText(Field::PayerName, r.firma);
    f.setText(Field::PayerCode, r.kodfirma);
    f.setText(Field::PayerBank, r.bank);
    f.setText(Field::PayerBankCode, r.kodbank);
    f.setText(Field::DebitAccount, r.rsbank);
}

void writeOrder(SheetFields &f, const OrderRecord &o)
{
    f.setText(Field::OrderNumber, o.id);
    f.setText(Field::AmountInFigures, o.suma);
    f.setText(Field::RecipientName, o.oderz);
    f.setText(Field::RecipientCode, o.idoderz);
    f.setText(Field::RecipientBank, o.bank);
    f.setText(Field::RecipientBankCode, o.idbank);
    f.setText(Field::CreditAccount, o.kredit);
    f.setText(Field::Purpose, o.oznaka);
    f.setText(Field::DateLine, Module1::DateLine(o.datazap));
    const QString words = amountInWords(o.suma);
    if (!words.isNull())
        f.setText(Field::AmountInWords, words);
}

SheetFields filled(const SheetFields &current, const OrderRecord &order, const Requisites &requisites)
{
    SheetFields f = current;
    writeRequisites(f, requisites);
    writeOrder(f, order);
    return f;
}

void fill(Form1 &document, const OrderRecord &order, const Requisites &requisites)
{
    document.setFields(filled(document.fields(), order, requisites));
}

RequisitesRead readRequisites(Database &db, Requisites *requisites)
{
    bool found = false;
    Requisites read;
    if (!db.readRequisites(&read, &found))
        return RequisitesRead::Failed;
    if (!found)
        return RequisitesRead::NoRow;
    *requisites = read;
    return RequisitesRead::Read;
}

} // namespace DocumentFill
