#pragma once

#include <QString>

#include <sqlite3.h>

// One prepared statement on the engine's handle, finalized when it goes out
// of scope. Values are bound by position (1-based) as UTF-8 text or 64-bit
// integers; a column reads back as text, NULL as an empty text.
class Statement
{
public:
    Statement(sqlite3 *db, const char *sql)
    {
        m_rc = sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr);
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool prepared() const { return m_rc == SQLITE_OK && m_stmt; }

    // An empty text is bound as '' and never as NULL.
    void bindText(int position, const QString &text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_stmt, position, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    void bindInt(int position, qint64 value) { sqlite3_bind_int64(m_stmt, position, value); }

    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step() { return m_rc = sqlite3_step(m_stmt); }
    bool row() { return step() == SQLITE_ROW; }
    // Runs a statement that returns no rows.
    bool run() { return step() == SQLITE_DONE; }
    // True once the rows ran out without an error.
    bool done() const { return m_rc == SQLITE_DONE; }

    QString text(int column) const
    {
        const auto *chars = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
        if (!chars)
            return QString::fromLatin1("", 0);
        return QString::fromUtf8(chars, sqlite3_column_bytes(m_stmt, column));
    }
    qint64 integer(int column) const { return sqlite3_column_int64(m_stmt, column); }
    int type(int column) const { return sqlite3_column_type(m_stmt, column); }

    sqlite3_stmt *get() const { return m_stmt; }

private:
    sqlite3_stmt *m_stmt = nullptr;
    int m_rc = SQLITE_OK;
};
