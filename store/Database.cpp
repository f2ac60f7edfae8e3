#include "store/Database.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <QVariant>

#include <sqlite3.h>

namespace {

QAtomicInt connectionCounter;

QString engineText(const QSqlError &error)
{
    const QString text = error.databaseText().trimmed();
    return text.isEmpty() ? error.text().trimmed() : text;
}

// An empty text must be stored as '' and never as NULL.
QVariant textValue(const QString &text)
{
    return text.isNull() ? QVariant(QString::fromLatin1("", 0)) : QVariant(text);
}

// Number of columns a table has, or -1 when it does not exist.
int columnCount(const QSqlDatabase &db, const QString &table, QString *error)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(table))) {
        *error = engineText(q.lastError());
        return -1;
    }
    int n = 0;
    while (q.next())
        ++n;
    return n == 0 ? -1 : n;
}

} // namespace

Database::Database()
    : m_connection(QStringLiteral("vexa-%1").arg(connectionCounter.fetchAndAddRelaxed(1)))
{
}

Database::~Database()
{
    if (m_db.isValid()) {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

bool Database::isOpen() const
{
    return m_db.isValid() && m_db.isOpen();
}

bool Database::fail(const QString &text)
{
    m_error = text;
    return false;
}

bool Database::open(const QString &path)
{
    m_path = path;
    m_error.clear();

    const QFileInfo info(path);
    if (!info.exists())
        return fail(QStringLiteral("Файл базы данных не найден."));
    if (info.isDir())
        return fail(QStringLiteral("На месте файла базы данных находится папка."));
    if (!info.isFile())
        return fail(QStringLiteral("Это не обычный файл."));

    if (!m_db.isValid())
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    if (!m_db.isValid())
        return fail(QStringLiteral("Драйвер SQLite для Qt не установлен."));

    // mode=rw: the engine opens the file for reading and writing and never
    // creates it. Other programs may hold it open at the same time.
    QString uri = QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded);
    uri += QStringLiteral("?mode=rw");
    m_db.setDatabaseName(uri);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
    if (!m_db.open())
        return fail(engineText(m_db.lastError()));

    // SQLite quietly opens a write-protected file read-only.
    auto *handle = static_cast<sqlite3 *>(m_db.driver()->handle().value<void *>());
    if (handle && sqlite3_db_readonly(handle, "main") == 1) {
        m_db.close();
        return fail(QStringLiteral("Нет права на запись в файл базы данных."));
    }

    if (!checkTables()) {
        m_db.close();
        return false;
    }
    return true;
}

// A zero-byte or foreign file opens without complaint; the first read tells.
bool Database::checkTables()
{
    QString error;
    QSqlQuery probe(m_db);
    if (!probe.exec(QStringLiteral("select count(*) from sqlite_master"))) {
        return fail(engineText(probe.lastError()));
    }
    probe.finish();

    const int firmaColumns = columnCount(m_db, QStringLiteral("firma"), &error);
    if (!error.isEmpty())
        return fail(error);
    const int arcColumns = columnCount(m_db, QStringLiteral("arc"), &error);
    if (!error.isEmpty())
        return fail(error);

    if (firmaColumns < 0 && arcColumns < 0)
        return fail(QStringLiteral("В файле нет таблиц firma и arc: это не база данных программы."));
    if (firmaColumns < 0)
        return fail(QStringLiteral("В базе данных нет таблицы firma."));
    if (arcColumns < 0)
        return fail(QStringLiteral("В базе данных нет таблицы arc."));
    if (firmaColumns < 6)
        return fail(QStringLiteral("В таблице firma меньше шести столбцов."));
    if (arcColumns < 9)
        return fail(QStringLiteral("В таблице arc меньше девяти столбцов."));
    return true;
}

bool Database::query(const QString &sql, bool withRowid)
{
    m_current = ResultSet();
    if (!isOpen())
        return fail(QStringLiteral("База данных не открыта."));

    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!q.exec(sql))
        return fail(engineText(q.lastError()));

    const int columns = q.record().count();
    const int first = withRowid ? 1 : 0;
    QVector<ResultRow> rows;
    while (q.next()) {
        ResultRow row;
        if (withRowid)
            row.rowid = q.value(0).toLongLong();
        row.values.resize(columns - first);
        for (int c = first; c < columns; ++c) {
            const QVariant v = q.value(c);
            if (v.isNull())
                row.nullMask |= quint64(1) << (c - first);
            else
                row.values[c - first] = v.toString();
        }
        rows.append(std::move(row));
    }
    if (q.lastError().isValid())
        return fail(engineText(q.lastError()));
    m_current = ResultSet(std::move(rows));
    return true;
}

bool Database::selectFirma()
{
    return query(QStringLiteral("Select * from firma"), false);
}

bool Database::updateFirma(const Requisites &r)
{
    if (!isOpen())
        return fail(QStringLiteral("База данных не открыта."));
    QSqlQuery q(m_db);
    if (!q.prepare(QStringLiteral(
                "update firma set firma=? ,kodfirma=? ,bank=? ,kodbank=? ,rsbank=?")))
        return fail(engineText(q.lastError()));
    q.addBindValue(textValue(r.firma));
    q.addBindValue(textValue(r.kodfirma));
    q.addBindValue(textValue(r.bank));
    q.addBindValue(textValue(r.kodbank));
    q.addBindValue(textValue(r.rsbank));
    if (!q.exec())
        return fail(engineText(q.lastError()));
    if (q.numRowsAffected() < 1)
        return fail(QStringLiteral("В таблице firma нет строки реквизитов: сохранять некуда."));
    return true;
}

bool Database::insertOrder(const OrderRecord &o)
{
    if (!isOpen())
        return fail(QStringLiteral("База данных не открыта."));
    QSqlQuery q(m_db);
    if (!q.prepare(QStringLiteral(
                "insert into arc (id, suma, oderz, idoderz, bank, idbank, kredit, oznaka,datazap) "
                "values (?, ?, ?, ?, ?, ?, ?, ?, ?)")))
        return fail(engineText(q.lastError()));
    for (const QString *value : { &o.id, &o.suma, &o.oderz, &o.idoderz, &o.bank, &o.idbank,
                                  &o.kredit, &o.oznaka, &o.datazap })
        q.addBindValue(textValue(*value));
    if (!q.exec())
        return fail(engineText(q.lastError()));
    return true;
}

bool Database::selectArc()
{
    // Rows come back in the order they were saved.
    return query(QStringLiteral("Select rowid, * from arc order by rowid"), true);
}

static QString whereId(qint64 id, qint64 rowid)
{
    QString where = QStringLiteral(" where id=") + QString::number(id);
    if (rowid > 0)
        where += QStringLiteral(" and rowid=") + QString::number(rowid);
    return where;
}

bool Database::selectOrder(qint64 id, qint64 rowid)
{
    return query(QStringLiteral("Select rowid, * from arc") + whereId(id, rowid)
                         + QStringLiteral(" order by rowid"),
                 true);
}

bool Database::deleteOrder(qint64 id, qint64 rowid)
{
    if (!isOpen())
        return fail(QStringLiteral("База данных не открыта."));
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral("delete from arc") + whereId(id, rowid)))
        return fail(engineText(q.lastError()));
    return true;
}

bool Database::orderFromRow(const ResultSet &r, OrderRecord *o)
{
    OrderRecord read;
    QString *fields[] = { &read.id, &read.suma, &read.oderz, &read.idoderz, &read.bank,
                          &read.idbank, &read.kredit, &read.oznaka, &read.datazap };
    for (int c = 0; c < 9; ++c)
        if (!r.value(c, fields[c]))
            return false;
    *o = read;
    return true;
}

bool Database::requisitesFromRow(const ResultSet &r, Requisites *q)
{
    Requisites read;
    QString *fields[] = { &read.firma, &read.kodfirma, &read.bank, &read.kodbank, &read.rsbank };
    for (int c = 0; c < 5; ++c)
        if (!r.value(c + 1, fields[c]))
            return false;
    *q = read;
    return true;
}
