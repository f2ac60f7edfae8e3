#pragma once

#include "store/Records.h"

#include <QElapsedTimer>
#include <QString>
#include <QVector>

#include <utility>

struct sqlite3;
class Statement;

// The program's one database handle on vexa.mdb. Every statement the
// program runs is built here and every value is bound as a parameter, the
// numbers too; callers get typed records back.
//
// The handle talks to SQLite through its C interface (libsqlite3), for reads
// and writes alike: the README says why.
class Database
{
public:
    Database();
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // Milliseconds a statement waits for another program's lock to go.
    static constexpr int BusyTimeoutMs = 5000;

    // Opens an existing database file for reading and writing, shared with
    // other programs. Never creates the file. Refuses a file that is not a
    // database holding both tables; errorText() then says why.
    bool open(const QString &path);
    bool isOpen() const { return m_db != nullptr; }
    QString path() const { return m_path; }

    // Why the last operation failed: a Russian sentence, then the engine's
    // own words on a second line when there are any.
    QString errorText() const { return m_error; }

    // The requisites: the first firma row. *found is false (and *requisites
    // untouched) when the table has no row.
    bool readRequisites(Requisites *requisites, bool *found);
    // Overwrites the five requisites; when firma has no row at all, adds the
    // one row.
    bool saveRequisites(const Requisites &requisites);

    // Adds exactly one archive row, or fails and adds nothing.
    bool insertOrder(const OrderRecord &order);
    // How many orders the archive holds.
    bool countOrders(qint64 *count);
    // The largest order number that is a number (0 when there is none).
    bool largestNumber(qint64 *number);
    // Every archived order, in the order they were saved.
    bool readOrders(QVector<StoredOrder> *orders);
    // The order stored in row rowid; *found false when there is none.
    bool readOrder(qint64 rowid, StoredOrder *order, bool *found);
    // Deletes exactly the row rowid. Fails (and says so) when no row went.
    bool deleteOrder(qint64 rowid);

    // The engine's handle, for the store's own query classes.
    sqlite3 *handle() const { return m_db; }
    // Records a failure of the statement just run on the handle; returns false.
    bool engineFailure(const QString &what);

private:
    bool fail(const QString &text);
    void close();
    bool checkTables();
    bool tableColumns(const char *table, int *columns);
    bool execute(const char *sql);
    // Every change starts here: the handle open, the file still the one
    // opened, and writable.
    bool readyToChange();
    bool checkStillWritable();

    sqlite3 *m_db = nullptr;
    QString m_path;
    std::pair<quint64, quint64> m_fileId; // device and inode of the opened file
    QElapsedTimer m_lockWait;             // since when a statement waits for a lock
    QString m_error;
};
