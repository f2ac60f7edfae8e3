#include "TestSupport.h"

#include "store/DeliveredDatabase.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

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

} // namespace

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
