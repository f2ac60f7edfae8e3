#include "TestSupport.h"

#include "store/DeliveredDatabase.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
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

QString ProgramFolder::databasePath() const
{
    return QDir(m_dir.path()).filePath(QStringLiteral("vexa.mdb"));
}

MessageBoxAnswerer::MessageBoxAnswerer()
{
    connect(&m_timer, &QTimer::timeout, this, &MessageBoxAnswerer::poll);
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

void MessageBoxAnswerer::poll()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    SeenBox s;
    s.title = box->windowTitle();
    s.text = box->text();
    s.icon = box->icon();
    for (QAbstractButton *b : box->buttons())
        s.buttons << b->text();
    seen << s;
    const QList<QAbstractButton *> buttons = box->buttons();
    if (!buttons.isEmpty())
        buttons.first()->click();
    else
        box->close();
}

WhenModal::WhenModal(std::function<bool(QWidget *)> action)
    : m_action(std::move(action))
{
    connect(&m_timer, &QTimer::timeout, this, &WhenModal::poll);
    m_timer.start(10);
}

void WhenModal::poll()
{
    if (m_done)
        return;
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    // The action may open a modal window of its own (a message box); the
    // timer must not run the action again from that window's event loop.
    m_timer.stop();
    if (m_action(modal))
        m_done = true;
    else
        m_timer.start();
}

namespace {

template<typename F>
bool withConnection(const QString &path, F f)
{
    const QString name = QUuid::createUuid().toString();
    bool ok;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        ok = db.open() && f(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

// The file format's variable-length integer at data[*at]; moves *at past it.
quint64 readVarint(const QByteArray &data, int *at)
{
    quint64 value = 0;
    for (int i = 0; i < 9; ++i) {
        const auto byte = quint8(data[(*at)++]);
        if (i == 8)
            return (value << 8) | byte;
        value = (value << 7) | (byte & 0x7f);
        if (!(byte & 0x80))
            break;
    }
    return value;
}

// Bytes a record value of this serial type takes.
int serialSize(quint64 type)
{
    static const int integerSizes[] = { 0, 1, 2, 3, 4, 6, 8, 8, 0, 0 };
    return type >= 12 ? int((type - 12) / 2) : integerSizes[qMin<quint64>(type, 9)];
}

int bigEndian16(const QByteArray &data, int at)
{
    return (quint8(data[at]) << 8) | quint8(data[at + 1]);
}

// The offset in the file of the byte holding a table's root page number, in
// its schema row on page 1 (a leaf: the schema is small); -1 when none.
int rootPageByte(const QByteArray &file, const QByteArray &table)
{
    const int cells = bigEndian16(file, 103);
    for (int c = 0; c < cells; ++c) {
        int at = bigEndian16(file, 108 + 2 * c);
        readVarint(file, &at); // payload size
        readVarint(file, &at); // rowid
        const int headerStart = at;
        const int headerSize = int(readVarint(file, &at));
        quint64 types[5];
        for (quint64 &t : types)
            t = readVarint(file, &at);
        int body = headerStart + headerSize;
        const int nameAt = body + serialSize(types[0]);
        const QByteArray name = file.mid(nameAt, serialSize(types[1]));
        const int rootAt = nameAt + serialSize(types[1]) + serialSize(types[2]);
        if (name == table && types[3] == 1)
            return rootAt;
    }
    return -1;
}

} // namespace

bool damageDatabase(const QString &path, Damage damage)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite))
        return false;
    QByteArray file = f.readAll();
    if (file.size() < 512 || quint8(file[100]) != 0x0d)
        return false;
    const int pageSize = bigEndian16(file, 16) == 1 ? 65536 : bigEndian16(file, 16);
    const int rootByte = rootPageByte(file, "arc"), firmaRootByte = rootPageByte(file, "firma");
    if (rootByte < 0 || firmaRootByte < 0)
        return false;
    if (damage == Damage::RootOnSchemaPage) {
        file[rootByte] = 1;
    } else if (damage == Damage::RootOnFirmaPage) {
        file[rootByte] = file[firmaRootByte];
    } else {
        const qint64 page = qint64(quint8(file[rootByte]) - 1) * pageSize;
        if (page + pageSize > file.size() || quint8(file[page]) != 0x0d)
            return false;
        const int cells = bigEndian16(file, int(page) + 3) + (damage == Damage::CellCountOver ? 1 : -1);
        file[page + 3] = char(cells >> 8);
        file[page + 4] = char(cells & 0xff);
    }
    return f.seek(0) && f.write(file) == file.size() && f.flush();
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
    return withConnection(path, [&](QSqlDatabase &db) {
        for (const QString &statement : sql.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            if (statement.trimmed().isEmpty())
                continue;
            QSqlQuery q(db);
            if (!q.exec(statement))
                return false;
        }
        return true;
    });
}

bool execSql(const QString &path, const QString &sql, QString *error)
{
    return withConnection(path, [&](QSqlDatabase &db) {
        QSqlQuery q(db);
        const bool ok = q.exec(sql);
        if (!ok && error)
            *error = q.lastError().text();
        return ok;
    });
}

QList<QStringList> queryRows(const QString &path, const QString &sql)
{
    QList<QStringList> rows;
    withConnection(path, [&](QSqlDatabase &db) {
        QSqlQuery q(db);
        if (!q.exec(sql))
            return false;
        while (q.next()) {
            QStringList row;
            for (int c = 0; c < q.record().count(); ++c)
                row << (q.value(c).isNull() ? QStringLiteral("<NULL>") : q.value(c).toString());
            rows << row;
        }
        return true;
    });
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
