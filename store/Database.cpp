#include "store/Database.h"

#include "store/Statement.h"

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <sys/stat.h>

namespace {

// The device and inode of a file, or a pair of zeros when there is none.
std::pair<quint64, quint64> fileId(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return { 0, 0 };
    return { quint64(st.st_dev), quint64(st.st_ino) };
}

// What an engine failure means for the user, in a sentence.
QString sentenceFor(int code)
{
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("База данных занята другой программой.");
    case SQLITE_FULL:
        return QStringLiteral("Нет места на диске для базы данных.");
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return QStringLiteral("Нет права на запись в файл базы данных.");
    case SQLITE_CANTOPEN:
        return QStringLiteral("Файл базы данных не открывается.");
    case SQLITE_CORRUPT:
        return QStringLiteral("Файл базы данных повреждён.");
    case SQLITE_NOTADB:
        return QStringLiteral("Файл не является базой данных.");
    case SQLITE_IOERR:
        return QStringLiteral("Ошибка чтения или записи файла базы данных.");
    case SQLITE_CONSTRAINT:
        return QStringLiteral("Таблица не принимает такую запись.");
    case SQLITE_TOOBIG:
        return QStringLiteral("Значение слишком велико для базы данных.");
    case SQLITE_NOMEM:
        return QStringLiteral("Не хватает памяти.");
    default:
        return QStringLiteral("Ошибка базы данных.");
    }
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

constexpr const char *InsertOrder =
        // "or abort": the statement's own conflict rule overrides one that
        // another program declared on the table (ignore, replace), so an
        // insert either adds its row or fails.
        "insert or abort into arc (id, suma, oderz, idoderz, bank, idbank, kredit, oznaka,datazap) "
        "values (?, ?, ?, ?, ?, ?, ?, ?, ?)";
constexpr const char *SelectOrderColumns =
        "select rowid, id, suma, oderz, idoderz, bank, idbank, kredit, oznaka, datazap from arc";

// The nine columns that follow the rowid in SelectOrderColumns.
StoredOrder orderFromRow(const Statement &s)
{
    StoredOrder stored;
    stored.rowid = s.integer(0);
    OrderRecord &o = stored.order;
    QString *fields[] = { &o.id, &o.suma, &o.oderz, &o.idoderz, &o.bank,
                          &o.idbank, &o.kredit, &o.oznaka, &o.datazap };
    for (int c = 0; c < 9; ++c)
        *fields[c] = s.text(c + 1);
    return stored;
}

} // namespace

Database::Database() = default;

Database::~Database()
{
    close();
}

void Database::close()
{
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

bool Database::fail(const QString &text)
{
    m_error = text;
    return false;
}

bool Database::engineFailure(const QString &what)
{
    if (!m_db)
        return fail(what.isEmpty() ? QStringLiteral("База данных не открыта.") : what);
    const int code = sqlite3_extended_errcode(m_db);
    QString text = what.isEmpty() ? sentenceFor(code) : what;
    const QString engine = QString::fromUtf8(sqlite3_errmsg(m_db)).trimmed();
    if (!engine.isEmpty() && code != SQLITE_OK)
        text += QLatin1Char('\n') + engine;
    return fail(text);
}

bool Database::execute(const char *sql)
{
    Statement s(m_db, sql);
    if (!s.prepared())
        return engineFailure(QString());
    while (s.row()) { }
    return s.done() || engineFailure(QString());
}

bool Database::open(const QString &path)
{
    close();
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

    // mode=rw: the engine opens the file for reading and writing and never
    // creates it. Other programs may hold it open at the same time.
    QString uri = QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded);
    uri += QStringLiteral("?mode=rw");
    const int rc = sqlite3_open_v2(uri.toUtf8().constData(), &m_db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI, nullptr);
    if (rc != SQLITE_OK) {
        engineFailure(QString());
        close();
        return false;
    }
    sqlite3_extended_result_codes(m_db, 1);

    // SQLite quietly opens a write-protected file read-only.
    if (sqlite3_db_readonly(m_db, "main") != 0) {
        close();
        return fail(QStringLiteral("Нет права на запись в файл базы данных."));
    }
    sqlite3_busy_handler(m_db, waitForLock, &m_lockWait);

    if (!checkTables()) {
        close();
        return false;
    }

    // A rollback journal, deleted at each commit, and not WAL: other
    // programs open this file too, perhaps over a network share or with an
    // older engine, and WAL would need shared memory beside the file and
    // change its format for all of them. A file some other program keeps
    // in WAL stays so. EXTRA syncs the journal, then the file, then the
    // folder once the journal is deleted: an order reported saved outlives
    // a crash of the program or of the machine.
    execute("PRAGMA journal_mode=DELETE");
    if (!execute("PRAGMA synchronous=EXTRA")) {
        close();
        return false;
    }

    m_fileId = fileId(info.absoluteFilePath());
    return true;
}

bool Database::tableColumns(const char *table, int *columns)
{
    Statement s(m_db, "select count(*) from pragma_table_info(?)");
    if (!s.prepared())
        return engineFailure(QString());
    s.bindText(1, QString::fromLatin1(table));
    if (!s.row())
        return engineFailure(QString());
    *columns = int(s.integer(0));
    return true;
}

// A zero-byte or foreign file opens without complaint; the first read tells.
bool Database::checkTables()
{
    if (!execute("select count(*) from sqlite_master"))
        return false;
    int firmaColumns = 0;
    int arcColumns = 0;
    if (!tableColumns("firma", &firmaColumns) || !tableColumns("arc", &arcColumns))
        return false;

    if (firmaColumns == 0 && arcColumns == 0)
        return fail(QStringLiteral("В файле нет таблиц firma и arc: это не база данных программы."));
    if (firmaColumns == 0)
        return fail(QStringLiteral("В базе данных нет таблицы firma."));
    if (arcColumns == 0)
        return fail(QStringLiteral("В базе данных нет таблицы arc."));
    if (firmaColumns < 6)
        return fail(QStringLiteral("В таблице firma меньше шести столбцов."));
    if (arcColumns < 9)
        return fail(QStringLiteral("В таблице arc меньше девяти столбцов."));
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

bool Database::readRequisites(Requisites *requisites, bool *found)
{
    *found = false;
    if (!isOpen())
        return fail(QStringLiteral("База данных не открыта."));
    Statement s(m_db, "select firma, kodfirma, bank, kodbank, rsbank from firma limit 1");
    if (!s.prepared())
        return engineFailure(QString());
    if (s.row()) {
        *requisites = { s.text(0), s.text(1), s.text(2), s.text(3), s.text(4) };
        *found = true;
        return true;
    }
    return s.done() || engineFailure(QString());
}

bool Database::saveRequisites(const Requisites &r)
{
    if (!readyToChange())
        return false;
    const QString *values[] = { &r.firma, &r.kodfirma, &r.bank, &r.kodbank, &r.rsbank };
    Statement update(m_db, "update firma set firma=? ,kodfirma=? ,bank=? ,kodbank=? ,rsbank=?");
    if (!update.prepared())
        return engineFailure(QString());
    for (int i = 0; i < 5; ++i)
        update.bindText(i + 1, *values[i]);
    if (!update.run())
        return engineFailure(QString());
    if (sqlite3_changes(m_db) > 0)
        return true;

    // No row to overwrite: the table is empty (the delivered file always
    // holds one row), so the requisites become its one row.
    Statement insert(m_db, "insert or abort into firma (firma, kodfirma, bank, kodbank, rsbank) "
                           "select ?, ?, ?, ?, ? where not exists (select 1 from firma)");
    if (!insert.prepared())
        return engineFailure(QString());
    for (int i = 0; i < 5; ++i)
        insert.bindText(i + 1, *values[i]);
    if (!insert.run())
        return engineFailure(QString());
    if (sqlite3_changes(m_db) != 1)
        return fail(QStringLiteral("Строка реквизитов в таблице firma не изменилась."));
    return true;
}

bool Database::insertOrder(const OrderRecord &o)
{
    if (!readyToChange())
        return false;
    Statement s(m_db, InsertOrder);
    if (!s.prepared())
        return engineFailure(QString());
    const QString *values[] = { &o.id, &o.suma, &o.oderz, &o.idoderz, &o.bank,
                                &o.idbank, &o.kredit, &o.oznaka, &o.datazap };
    for (int i = 0; i < 9; ++i)
        s.bindText(i + 1, *values[i]);
    if (!s.run())
        return engineFailure(QString());
    if (sqlite3_changes(m_db) != 1)
        return fail(QStringLiteral("Таблица arc не приняла строку поручения."));
    return true;
}

bool Database::countOrders(qint64 *count)
{
    if (!isOpen())
        return fail(QStringLiteral("База данных не открыта."));
    Statement s(m_db, "select count(*) from arc");
    if (!s.prepared() || !s.row())
        return engineFailure(QString());
    *count = s.integer(0);
    return true;
}

bool Database::largestNumber(qint64 *number)
{
    if (!isOpen())
        return fail(QStringLiteral("База данных не открыта."));
    // Numbers sort before texts, so with an index on id the engine reads
    // the answer off the index's end; a text number of another program
    // (say '12a') is passed over.
    Statement s(m_db, "select max(id) from arc where id < ''");
    if (!s.prepared() || !s.row())
        return engineFailure(QString());
    const int type = s.type(0);
    if (type == SQLITE_INTEGER)
        *number = s.integer(0);
    else if (type == SQLITE_FLOAT)
        *number = qint64(sqlite3_column_double(s.get(), 0));
    else
        *number = 0;
    return true;
}

bool Database::readOrders(QVector<StoredOrder> *orders)
{
    orders->clear();
    if (!isOpen())
        return fail(QStringLiteral("База данных не открыта."));
    const QByteArray sql = QByteArray(SelectOrderColumns) + " order by rowid";
    Statement s(m_db, sql.constData());
    if (!s.prepared())
        return engineFailure(QString());
    while (s.row())
        orders->append(orderFromRow(s));
    return s.done() || engineFailure(QString());
}

bool Database::readOrder(qint64 rowid, StoredOrder *order, bool *found)
{
    *found = false;
    if (!isOpen())
        return fail(QStringLiteral("База данных не открыта."));
    const QByteArray sql = QByteArray(SelectOrderColumns) + " where rowid = ?";
    Statement s(m_db, sql.constData());
    if (!s.prepared())
        return engineFailure(QString());
    s.bindInt(1, rowid);
    if (s.row()) {
        *order = orderFromRow(s);
        *found = true;
        return true;
    }
    return s.done() || engineFailure(QString());
}

bool Database::deleteOrder(qint64 rowid)
{
    if (!readyToChange())
        return false;
    Statement s(m_db, "delete from arc where rowid = ?");
    if (!s.prepared())
        return engineFailure(QString());
    s.bindInt(1, rowid);
    if (!s.run())
        return engineFailure(QString());
    if (sqlite3_changes(m_db) != 1)
        return fail(QStringLiteral("Такого поручения в архиве уже нет: ничего не удалено."));
    return true;
}
