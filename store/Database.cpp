#include "store/Database.h"

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <QVariant>

#include <sqlite3.h>
#include <sys/stat.h>

namespace {

QAtomicInt connectionCounter;

// The device and inode of a file, or a pair of zeros when there is none.
std::pair<quint64, quint64> fileId(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return { 0, 0 };
    return { quint64(st.st_dev), quint64(st.st_ino) };
}

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

// The busy wait: another copy of the program or another program holds the
// file locked. SQLite's own wait sleeps ever longer, up to 100 ms a try, so
// a copy that saves one order after another can keep a waiting copy out for
// the whole timeout; trying every millisecond gets it in between two saves.
int waitForLock(void *since, int attempts)
{
    auto *waited = static_cast<QElapsedTimer *>(since);
    if (attempts == 0)
        waited->start();
    if (waited->elapsed() >= Database::BusyTimeoutMs)
        return 0;
    sqlite3_sleep(1);
    return 1;
}

// The engine's own handle of an open connection.
sqlite3 *sqliteHandle(const QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
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
    const QFileInfo folder(info.absolutePath());
    if (!info.exists() && folder.isDir() && !folder.isExecutable())
        return fail(QStringLiteral("Нет доступа к папке базы данных."));
    if (!info.exists())
        return fail(QStringLiteral("Файл базы данных не найден."));
    if (info.isDir())
        return fail(QStringLiteral("На месте файла базы данных находится папка."));
    if (!info.isFile())
        return fail(QStringLiteral("Это не обычный файл."));
    if (!info.isReadable())
        return fail(QStringLiteral("Нет права на чтение файла базы данных."));
    if (!info.isWritable())
        return fail(QStringLiteral("Нет права на запись в файл базы данных."));
    // Every change first writes a journal beside the file.
    if (!folder.isWritable())
        return fail(QStringLiteral("Нет права на запись в папку базы данных."));

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
    sqlite3 *handle = sqliteHandle(m_db);
    if (!handle || sqlite3_db_readonly(handle, "main") != 0) {
        m_db.close();
        return fail(QStringLiteral("Нет права на запись в файл базы данных."));
    }
    sqlite3_busy_handler(handle, waitForLock, &m_lockWait);

    if (!checkTables()) {
        m_db.close();
        return false;
    }

    // A rollback journal, deleted at each commit, and not WAL: other
    // programs open this file too, perhaps over a network share or with an
    // older engine, and WAL would need shared memory beside the file and
    // change its format for all of them. A file some other program keeps
    // in WAL stays so. EXTRA syncs the journal, then the file, then the
    // folder once the journal is deleted: an order reported saved outlives
    // a crash of the program or of the machine.
    QSqlQuery pragma(m_db);
    pragma.exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
    if (!pragma.exec(QStringLiteral("PRAGMA synchronous=EXTRA"))) {
        fail(engineText(pragma.lastError()));
        pragma.finish();
        m_db.close();
        return false;
    }
    pragma.finish();

    m_fileId = fileId(info.absoluteFilePath());
    return true;
}

// The engine goes on writing into the file it opened even when that file
// has been removed, replaced or made read-only meanwhile: the order would
// be reported saved and then be lost. Each change checks first.
bool Database::checkStillWritable()
{
    const QFileInfo info(m_path);
    if (fileId(info.absoluteFilePath()) != m_fileId)
        return fail(QStringLiteral("Файл базы данных удалён или заменён другим, пока программа работала."));
    if (!info.isWritable())
        return fail(QStringLiteral("Нет права на запись в файл базы данных."));
    if (!QFileInfo(info.absolutePath()).isWritable())
        return fail(QStringLiteral("Нет права на запись в папку базы данных."));
    return true;
}

bool Database::readyToChange()
{
    if (!isOpen())
        return fail(QStringLiteral("База данных не открыта."));
    return checkStillWritable();
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

// Reads straight through the engine's own interface on the connection's
// handle: the rows of a full archive come back several times faster than
// through QSqlQuery, which wraps every value in a QVariant first.
bool Database::query(const QString &sql, bool withRowid)
{
    m_current = ResultSet();
    if (!isOpen())
        return fail(QStringLiteral("База данных не открыта."));
    sqlite3 *handle = sqliteHandle(m_db);
    if (!handle)
        return fail(QStringLiteral("База данных не открыта."));

    const QByteArray text = sql.toUtf8();
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(handle, text.constData(), int(text.size()), &statement, nullptr) != SQLITE_OK) {
        const QString error = QString::fromUtf8(sqlite3_errmsg(handle));
        sqlite3_finalize(statement);
        return fail(error);
    }

    const int columns = sqlite3_column_count(statement);
    const int first = withRowid ? 1 : 0;
    QVector<ResultRow> rows;
    int step;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        ResultRow row;
        if (withRowid)
            row.rowid = sqlite3_column_int64(statement, 0);
        row.values.resize(columns - first);
        QString *value = row.values.data();
        for (int c = first; c < columns; ++c, ++value) {
            if (sqlite3_column_type(statement, c) == SQLITE_NULL) {
                row.nullMask |= quint64(1) << (c - first);
                continue;
            }
            const auto *chars = reinterpret_cast<const char *>(sqlite3_column_text(statement, c));
            const int bytes = sqlite3_column_bytes(statement, c);
            *value = chars ? QString::fromUtf8(chars, bytes) : QString::fromLatin1("", 0);
        }
        rows.append(std::move(row));
    }
    if (step != SQLITE_DONE) {
        const QString error = QString::fromUtf8(sqlite3_errmsg(handle));
        sqlite3_finalize(statement);
        return fail(error);
    }
    sqlite3_finalize(statement);
    m_current = ResultSet(std::move(rows));
    return true;
}

bool Database::selectFirma()
{
    return query(QStringLiteral("Select * from firma"), false);
}

bool Database::updateFirma(const Requisites &r)
{
    if (!readyToChange())
        return false;
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
    if (!readyToChange())
        return false;
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
    if (!readyToChange())
        return false;
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
