#include "document/DocumentFill.h"

#include "document/Module1.h"

namespace DocumentFill {

using Sheet::Field;

static bool allDigits(const QString &text)
{
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

AmountForm checkAmount(const QString &amount)
{
    const int n = int(amount.size());
    if (n < 3 || !allDigits(amount.left(n - 3)))
        return AmountForm::Unusable;
    if (amount.at(n - 3) != QLatin1Char(','))
        return AmountForm::Misplaced;
    return AmountForm::Good;
}

QString amountInWords(const QString &amount)
{
    const int n = int(amount.size());
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
    if (o.suma.size() >= 3)
        f.setText(Field::AmountInWords, amountInWords(o.suma));
}

SheetFields filled(const SheetFields &current, const OrderRecord &order, const Requisites &requisites)
{
    SheetFields f = current;
    writeRequisites(f, requisites);
    writeOrder(f, order);
    return f;
}

} // namespace DocumentFill
