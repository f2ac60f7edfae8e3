#include "TestSupport.h"

#include "store/DeliveredDatabase.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace TestSupport {

ProgramFolder::ProgramFolder()
{
    m_valid = m_dir.isValid() && DeliveredDatabase::create(databasePath());
}

MessageBoxAnswerer::MessageBoxAnswerer()
{
    connect(&m_timer, &QTimer::timeout, this, [this] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        seen << SeenBox{ box->windowTitle(), box->text(), box->icon(), {} };
        for (QAbstractButton *b : box->buttons())
            seen.last().buttons << b->text();
        if (box->buttons().isEmpty())
            box->close();
        else
            box->buttons().first()->click();
    });
    m_timer.start(10);
}

QString MessageBoxAnswerer::single() const
{
    if (seen.size() != 1)
        return QStringLiteral("%1 boxes").arg(seen.size());
    const SeenBox &b = seen.first();
    return QStringLiteral("%1|%2|%3|%4")
            .arg(b.title, b.icon == QMessageBox::Critical ? QStringLiteral("error") : QString::number(b.icon))
            .arg(b.buttons.size())
            .arg(b.text);
}

WhenModal::WhenModal(std::function<bool(QWidget *)> action)
{
    connect(&m_timer, &QTimer::timeout, this, [this, action] {
        QWidget *modal = QApplication::activeModalWidget();
        if (m_done || !modal || !modal->isVisible())
            return;
        // The action may open a modal window of its own (a message box); the
        // timer must not run the action again from that window's event loop.
        m_timer.stop();
        m_done = action(modal);
        if (!m_done)
            m_timer.start();
    });
    m_timer.start(10);
}

namespace {

// Runs the statements on a connection of its own to path, up to the first
// that fails; the rows of the last into *rows.
bool runSql(const QString &path, const QStringList &statements, QList<QStringList> *rows = nullptr,
            QString *error = nullptr)
{
    const QString name = QUuid::createUuid().toString();
    bool ok;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        ok = db.open();
        for (int i = 0; ok && i < statements.size(); ++i) {
            QSqlQuery q(db);
            ok = q.exec(statements[i]);
            if (!ok && error)
                *error = q.lastError().text();
            while (ok && rows && q.next()) {
                rows->append(QStringList());
                for (int c = 0; c < q.record().count(); ++c)
                    rows->last() << (q.value(c).isNull() ? QStringLiteral("<NULL>") : q.value(c).toString());
            }
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

} // namespace

bool damageDatabase(const QString &path, Damage damage)
{
    const QString arcRoot = "(select rootpage from sqlite_master where name = 'arc')";
    if (damage == Damage::RootOnSchemaPage || damage == Damage::RootOnFirmaPage)
        return writeSqlite(path, "pragma writable_schema = on; update sqlite_master set rootpage = "
                                         + (damage == Damage::RootOnSchemaPage ? "1" : QString(arcRoot).replace("arc", "firma"))
                                         + " where name = 'arc'");
    const QList<QStringList> page = queryRows(path, "select " + arcRoot + " - 1, page_size from pragma_page_size");
    // The cell count of a b-tree page: two bytes at 3.
    const qint64 at = page.value(0).value(0).toLongLong() * page.value(0).value(1).toLongLong();
    QFile f(path);
    if (at <= 0 || !f.open(QIODevice::ReadWrite) || !f.seek(at))
        return false;
    QByteArray header = f.read(5);
    if (header.size() != 5 || header[0] != 0x0d)
        return false;
    const int cells = (quint8(header[3]) << 8 | quint8(header[4])) + (damage == Damage::CellCountOver ? 1 : -1);
    header[3] = char(cells >> 8);
    header[4] = char(cells);
    return f.seek(at) && f.write(header) == 5 && f.flush();
}

bool becomeNobodyIfAsked(QStringList *args)
{
    if (args->value(0) != QLatin1String("nobody"))
        return true;
    args->removeFirst();
    if (::geteuid() != 0)
        return true;
    const passwd *nobody = ::getpwnam("nobody");
    return nobody && ::setgroups(0, nullptr) == 0 && ::setgid(nobody->pw_gid) == 0
            && ::setuid(nobody->pw_uid) == 0;
}

bool writeSqlite(const QString &path, const QString &sql)
{
    QStringList statements = sql.split(QLatin1Char(';'));
    statements.removeIf([](const QString &s) { return s.trimmed().isEmpty(); });
    return runSql(path, statements);
}

bool execSql(const QString &path, const QString &sql, QString *error)
{
    return runSql(path, { sql }, nullptr, error);
}

QByteArray fileBytes(const QString &path, const QByteArray &missing)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : missing;
}

std::pair<bool, QString> run(const QString &program, const QStringList &args, bool mergeErrors,
                             const QProcessEnvironment &env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(mergeErrors ? QProcess::MergedChannels : QProcess::SeparateChannels);
    p.start(program, args);
    const bool ok = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return { ok, QString::fromUtf8(p.readAllStandardOutput()) };
}

QList<QStringList> queryRows(const QString &path, const QString &sql)
{
    QList<QStringList> rows;
    runSql(path, { sql }, &rows);
    return rows;
}

QString differsFromReference(const QImage &picture, const QString &name)
{
    const QString path = qEnvironmentVariable("VEXA_SOURCE_DIR") + "/tests/" + name + ".png";
    const QImage drawn = picture.convertToFormat(QImage::Format_RGB32);
    if (qEnvironmentVariableIsSet("VEXA_UPDATE_PICTURES"))
        return drawn.save(path) ? QString() : "cannot write " + path;
    const QImage reference = QImage(path).convertToFormat(QImage::Format_RGB32);
    if (reference.size() != drawn.size())
        return "the reference " + path + " is missing or of another size";
    int differing = 0;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x) {
            const QRgb a = drawn.pixel(x, y), b = reference.pixel(x, y);
            differing += qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b)) > 48;
        }
    const int allowed = 4 + drawn.width() * drawn.height() / 20000;
    if (differing <= allowed)
        return QString();
    const QString seen = QDir::temp().filePath(QString(name).replace('/', '-') + "-drawn.png");
    drawn.save(seen);
    return QStringLiteral("%1 pixels differ from %2 (%3 may); drawn: %4").arg(differing).arg(path).arg(allowed).arg(seen);
}

} // namespace TestSupport
