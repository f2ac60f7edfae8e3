#pragma once

#include "store/Records.h"

#include <QByteArray>
#include <QString>
#include <QVector>

class Database;

// The recipients already in the archive, read from table arc itself: one
// entry per recipient (name and code as stored), with the bank, bank code
// and account of that recipient's latest order.
//
// A search matches anywhere in the name (or the code), ignoring case in
// Latin and Cyrillic alike, reading the Latin i/I of older texts as the
// Ukrainian і/І and every apostrophe form (' ’ ʼ ` ‘ ´) as one. No index
// serves such a search: the newest rows are read first and the reading
// stops as soon as enough recipients are found.
class RecipientDirectory
{
public:
    enum class Field { Name, Code };

    explicit RecipientDirectory(Database &db);

    // Up to limit recipients whose name (or code) contains typed, the most
    // recently used first. Each record holds oderz, idoderz, bank, idbank
    // and kredit of that recipient's latest order; the other fields stay
    // empty. An empty or blank typed text finds nothing.
    bool find(Field field, const QString &typed, int limit, QVector<OrderRecord> *found);

    // The text as the search compares it, in UTF-8.
    static QByteArray folded(const QString &text);

private:
    bool registerMatcher();

    Database &m_db;
};
