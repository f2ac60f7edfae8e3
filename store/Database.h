#pragma once

#include "store/Records.h"
#include "store/ResultSet.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QString>

#include <utility>

// The program's one database handle on vexa.mdb and the current result: the
// rows of the most recent query. Every statement the program runs is built
// here; values are bound as parameters, never pasted into the text.
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
    bool isOpen() const;
    QString path() const { return m_path; }

    // The engine's description of the last failure.
    QString errorText() const { return m_error; }

    ResultSet &current() { return m_current; }

    // Requisites: all rows of firma into the current result.
    bool selectFirma();
    // Overwrites the five requisites. Touching no row counts as a failure.
    bool updateFirma(const Requisites &requisites);
    // Adds one archive row.
    bool insertOrder(const OrderRecord &order);
    // All archive rows, in the order they were saved, into the current result.
    bool selectArc();
    // The archive rows numbered id (only the row rowid when rowid > 0).
    bool selectOrder(qint64 id, qint64 rowid = 0);
    // Deletes the archive rows numbered id (only the row rowid when rowid > 0).
    bool deleteOrder(qint64 id, qint64 rowid = 0);

    // Reads the current row as an order (columns 0 to 8). False when a
    // column is missing or NULL.
    static bool orderFromRow(const ResultSet &result, OrderRecord *order);
    // Reads the current row of a firma query as requisites (columns 1 to 5).
    static bool requisitesFromRow(const ResultSet &result, Requisites *requisites);

private:
    bool fail(const QString &text);
    bool query(const QString &sql, bool withRowid);
    bool checkTables();
    // Every change starts here: the handle open, the file still the one
    // opened, and writable.
    bool readyToChange();
    bool checkStillWritable();

    QSqlDatabase m_db;
    QString m_connection;
    QString m_path;
    std::pair<quint64, quint64> m_fileId; // device and inode of the opened file
    QElapsedTimer m_lockWait;             // since when a statement waits for a lock
    QString m_error;
    ResultSet m_current;
};
