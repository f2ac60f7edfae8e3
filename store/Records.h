#pragma once

#include <QString>
#include <QVector>

// The records the store hands out and takes in. Column order and positions
// are the store's own business: nothing outside store/ reads a column by
// position.
//
// NULL: the program never writes one (an empty box is stored as ''), but
// another program may. A NULL in table firma or arc reads as an empty text,
// everywhere, exactly like a stored ''. A missing firma row is not a NULL:
// it is told apart (Database::readRequisites).

// One payment order, in the column order of table arc.
struct OrderRecord
{
    QString id;      // order number
    QString suma;    // amount text, "0,00" form
    QString oderz;   // recipient name
    QString idoderz; // recipient code
    QString bank;    // recipient bank
    QString idbank;  // recipient bank code
    QString kredit;  // credit account
    QString oznaka;  // purpose of payment
    QString datazap; // date text dd.mm.yyyy

    bool operator==(const OrderRecord &o) const
    {
        return id == o.id && suma == o.suma && oderz == o.oderz && idoderz == o.idoderz
                && bank == o.bank && idbank == o.idbank && kredit == o.kredit
                && oznaka == o.oznaka && datazap == o.datazap;
    }
    bool operator!=(const OrderRecord &o) const { return !(*this == o); }
};

// An archived order with the row it was read from (SQLite's rowid), which
// tells apart two orders that share a number.
struct StoredOrder
{
    qint64 rowid = 0;
    OrderRecord order;
};

// The paying company's requisites: the five values of the firma row.
struct Requisites
{
    QString firma;
    QString kodfirma;
    QString bank;
    QString kodbank;
    QString rsbank;

    bool operator==(const Requisites &r) const
    {
        return firma == r.firma && kodfirma == r.kodfirma && bank == r.bank
                && kodbank == r.kodbank && rsbank == r.rsbank;
    }
    bool operator!=(const Requisites &r) const { return !(*this == r); }
};
