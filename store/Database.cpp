#include "store/Database.h"

#include "store/Statement.h"

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <sys/resource.h>
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

constexpr const char *DiskFull = "Нет места на диске для базы данных.";
constexpr const char *RestoreCopy = "Восстановите файл из резервной копии: в повреждённый файл программа ничего не записывает.";

// SQLite keeps the full path of the file and of its journal ("-journal"
// added) in buffers of 512 bytes.
constexpr int LongestPathBytes = 512 - 8;

// What an engine failure means for the user, in a sentence. systemErrno:
// the error of the system call that failed, when there was one.
QString sentenceFor(int code, int systemErrno)
{
    // A file that may not grow (ulimit -f: EFBIG) is a full disk to the user.
    if ((code & 0xff) == SQLITE_IOERR && (systemErrno == EFBIG || systemErrno == ENOSPC))
        return QString::fromUtf8(DiskFull);
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("База данных занята другой программой.");
    case SQLITE_FULL:
        return QString::fromUtf8(DiskFull);
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return QStringLiteral("Нет права на запись в файл базы данных.");
    case SQLITE_CANTOPEN:
        return QStringLiteral("Файл базы данных не открывается.");
    case SQLITE_CORRUPT:
        return QStringLiteral("Файл базы данных повреждён. ") + QString::fromUtf8(RestoreCopy);
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

// Whether a write may have failed because the file would pass the
// system's file-size limit (ulimit -f): the engine reports only a failed
// write, and the errno (EFBIG) is gone by then.
bool nearFileSizeLimit(const QString &path)
{
    rlimit limit;
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return false;
    const qint64 room = 2 * 65536; // a page of the largest size, and the journal's own
    return QFileInfo(path).size() + room >= qint64(limit.rlim_cur);
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
    QString text = what.isEmpty() ? sentenceFor(code, sqlite3_system_errno(m_db)) : what;
    if (what.isEmpty() && code == SQLITE_IOERR_WRITE && nearFileSizeLimit(m_path))
        text = QString::fromUtf8(DiskFull) + QStringLiteral(" Файл базы данных достиг предела размера файлов (ulimit -f).");
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

// Every check that needs no engine: the path, the file and its folder. The
// folder is taken from the path as given: Qt's absolute path would lose the
// bytes of a folder name that is not UTF-8.
bool Database::checkFileBeforeOpening()
{
    const QByteArray name = QFile::encodeName(m_path);
    char resolved[PATH_MAX];
    errno = 0;
    const bool isResolved = ::realpath(name.constData(), resolved) != nullptr;
    const QByteArray full = isResolved ? QByteArray(resolved) : name;
    if (full.size() > LongestPathBytes || (!isResolved && errno == ENAMETOOLONG))
        return fail(QStringLiteral("Путь к файлу базы данных слишком длинный: %1 байт, а SQLite открывает "
                                   "файл только по пути не длиннее %2 байт. Перенесите папку программы "
                                   "туда, где путь к ней короче.")
                            .arg(full.size())
                            .arg(LongestPathBytes));

    const QFileInfo info(m_path);
    const QFileInfo folder(info.path());
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
    return true;
}

bool Database::open(const QString &path)
{
    close();
    m_path = path;
    m_error.clear();
    m_warning.clear();
    if (!checkFileBeforeOpening())
        return false;
    // Past a file-size limit (ulimit -f) the system kills a writer with
    // SIGXFSZ; ignored, the write fails with EFBIG and the save is told
    // as failed, like one on a full disk.
    std::signal(SIGXFSZ, SIG_IGN);

    // A plain file name, not a URI: the bytes of the path go to the system
    // as they are, whatever the folder's name holds. Without
    // SQLITE_OPEN_CREATE the engine never creates the file; other programs
    // may hold it open at the same time.
    QByteArray name = QFile::encodeName(path);
    if (!name.startsWith('/'))
        name.prepend("./"); // never taken for a "file:" URI
    const int rc = sqlite3_open_v2(name.constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        engineFailure(QString());
        close();
        return false;
    }
    sqlite3_extended_result_codes(m_db, 1);
    // The file may come from another program: its schema runs no functions
    // and cannot be changed by a statement (SQLite's advice for such files).
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);

    // SQLite quietly opens a write-protected file read-only.
    if (sqlite3_db_readonly(m_db, "main") != 0) {
        close();
        return fail(QStringLiteral("Нет права на запись в файл базы данных."));
    }
    sqlite3_busy_handler(m_db, waitForLock, &m_lockWait);

    // Nothing is written before these checks: a refused file stays as it was.
    if (!checkIntegrity() || !checkTables()) {
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

    m_fileId = fileId(path);
    return true;
}

// A damaged file opens without complaint and takes an order that is lost
// afterwards. SQLite's quick check reads every page once and checks the
// structure of each tree (not that indexes match their tables).
bool Database::checkIntegrity()
{
    if (!execute("select count(*) from sqlite_master"))
        return false;
    Statement check(m_db, "PRAGMA quick_check(1)");
    if (!check.prepared() || !check.row())
        return engineFailure(QString());
    const QString verdict = check.text(0);
    if (verdict == QLatin1String("ok"))
        return true;
    return fail(QStringLiteral("Файл базы данных повреждён: проверка SQLite нашла ошибку. ")
                + QString::fromUtf8(RestoreCopy) + QLatin1Char('\n') + verdict);
}

// firma and arc must be tables: a view (perhaps an endless one) in place of
// one is refused before anything reads it. arc needs rowids, which tell
// apart two orders that share a number.
bool Database::checkTableKind(const char *table)
{
    const QString name = QString::fromLatin1(table);
    Statement s(m_db, "select type from sqlite_master where name = ? collate nocase "
                      "and type in ('table', 'view')");
    if (!s.prepared())
        return engineFailure(QString());
    s.bindText(1, name);
    if (!s.row())
        return s.done() || engineFailure(QString()); // a missing table is told by its columns
    if (s.text(0) != QLatin1String("table"))
        return fail(QStringLiteral("%1 в базе данных не таблица, а представление (view): программа хранит "
                                   "данные только в таблицах firma и arc.")
                            .arg(name));
    if (name != QLatin1String("arc") || Statement(m_db, "select rowid from main.arc limit 0").prepared())
        return true;
    if (!QString::fromUtf8(sqlite3_errmsg(m_db)).startsWith(QLatin1String("no such column")))
        return engineFailure(QString()); // say, a virtual table of a module this engine lacks
    return fail(QStringLiteral("Таблица arc объявлена WITHOUT ROWID: программа различает поручения "
                               "с одинаковым номером по rowid, а в такой таблице его нет."));
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
    if (!checkTableKind("firma") || !checkTableKind("arc"))
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
    if (fileId(m_path) != m_fileId)
        return fail(QStringLiteral("Файл базы данных удалён или заменён другим, пока программа работала."));
    if (!info.isWritable())
        return fail(QStringLiteral("Нет права на запись в файл базы данных."));
    if (!QFileInfo(info.path()).isWritable())
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
    m_warning.clear();
    if (!readyToChange())
        return false;
    bool ran = false;
    if (writeRequisites(r, &ran))
        return true;
    return ran && settleFailedChange([&](bool *inFile) {
        Requisites stored;
        bool found = false;
        const bool read = readRequisites(&stored, &found);
        *inFile = found && stored == r;
        return read;
    });
}

// *ran: a statement reached the engine (and may have changed the file).
bool Database::writeRequisites(const Requisites &r, bool *ran)
{
    const QString *values[] = { &r.firma, &r.kodfirma, &r.bank, &r.kodbank, &r.rsbank };
    Statement update(m_db, "update firma set firma=? ,kodfirma=? ,bank=? ,kodbank=? ,rsbank=?");
    if (!update.prepared())
        return engineFailure(QString());
    for (int i = 0; i < 5; ++i)
        update.bindText(i + 1, *values[i]);
    *ran = true;
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
    m_warning.clear();
    if (!readyToChange())
        return false;
    sqlite3_set_last_insert_rowid(m_db, 0);
    {
        Statement s(m_db, InsertOrder);
        if (!s.prepared())
            return engineFailure(QString());
        const QString *values[] = { &o.id, &o.suma, &o.oderz, &o.idoderz, &o.bank,
                                    &o.idbank, &o.kredit, &o.oznaka, &o.datazap };
        for (int i = 0; i < 9; ++i)
            s.bindText(i + 1, *values[i]);
        if (s.run()) {
            if (sqlite3_changes(m_db) != 1)
                return fail(QStringLiteral("Таблица arc не приняла строку поручения."));
            return true;
        }
        engineFailure(QString());
    }
    // Without a row number the row was never made.
    const qint64 rowid = sqlite3_last_insert_rowid(m_db);
    return rowid != 0 && settleFailedChange([&](bool *inFile) {
        StoredOrder stored;
        bool found = false;
        const bool read = readOrder(rowid, &stored, &found);
        *inFile = found && stored.order == o;
        return read;
    });
}

// A change statement failed. A lock, a constraint or a full disk stops it
// before anything is kept; an I/O error may come after its commit (the
// folder could not be synced once the journal was gone) or before (the
// engine rolls back the journal left behind at the next read). A fresh read
// tells which: what is in the file is reported saved, with the disk's
// warning; what is not, not saved; never a guess.
bool Database::settleFailedChange(const std::function<bool(bool *inFile)> &readBack)
{
    if ((sqlite3_extended_errcode(m_db) & 0xff) != SQLITE_IOERR)
        return false;
    const QString failure = m_error;
    bool inFile = false;
    if (!readBack(&inFile))
        return fail(QStringLiteral("Неизвестно, записано ли изменение: после ошибки файл базы данных не "
                                   "читается. Проверьте архив, прежде чем повторять.\n")
                    + failure);
    if (!inFile)
        return fail(failure);
    m_error.clear();
    m_warning = QStringLiteral("Изменение записано в файл, но диск сообщил об ошибке: при сбое питания оно "
                               "может пропасть. Сделайте резервную копию файла базы данных.\n")
            + failure;
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
    m_warning.clear();
    if (!readyToChange())
        return false;
    {
        Statement s(m_db, "delete from arc where rowid = ?");
        if (!s.prepared())
            return engineFailure(QString());
        s.bindInt(1, rowid);
        if (s.run()) {
            if (sqlite3_changes(m_db) != 1)
                return fail(QStringLiteral("Такого поручения в архиве уже нет: ничего не удалено."));
            return true;
        }
        engineFailure(QString());
    }
    return settleFailedChange([&](bool *inFile) {
        StoredOrder stored;
        bool found = true;
        const bool read = readOrder(rowid, &stored, &found);
        *inFile = !found;
        return read;
    });
}
