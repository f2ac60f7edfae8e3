#include "store/DeliveredDatabase.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

static void initStoreResources()
{
    Q_INIT_RESOURCE(store);
}

namespace DeliveredDatabase {

QString schemaScript()
{
    initStoreResources();
    QFile file(QStringLiteral(":/store/schema.sql"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

static bool setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

bool create(const QString &path, QString *error)
{
    if (QFileInfo::exists(path))
        return setError(error, QStringLiteral("%1 already exists").arg(path));
    const QString script = schemaScript();
    if (script.isEmpty())
        return setError(error, QStringLiteral("the schema script is missing"));

    // Built under a temporary name and moved into place, so that an
    // interrupted build never leaves a half-made database behind.
    const QString temp = path + QStringLiteral(".part");
    QFile::remove(temp);
    sqlite3 *db = nullptr;
    const QByteArray tempName = QFile::encodeName(temp);
    int rc = sqlite3_open_v2(tempName.constData(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    char *message = nullptr;
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, script.toUtf8().constData(), nullptr, nullptr, &message);
    const QString text = QString::fromUtf8(message ? message : sqlite3_errmsg(db));
    sqlite3_free(message);
    sqlite3_close(db);
    if (rc != SQLITE_OK) {
        QFile::remove(temp);
        return setError(error, text);
    }
    // rename() refuses to replace a file that appeared meanwhile.
    if (!QFile::rename(temp, path)) {
        QFile::remove(temp);
        return setError(error, QStringLiteral("cannot move the new database to %1").arg(path));
    }
    return true;
}

} // namespace DeliveredDatabase
