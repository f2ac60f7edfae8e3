#pragma once

#include <QString>

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
};

// The paying company's requisites: columns 1 to 5 of table firma.
struct Requisites
{
    QString firma;
    QString kodfirma;
    QString bank;
    QString kodbank;
    QString rsbank;
};
