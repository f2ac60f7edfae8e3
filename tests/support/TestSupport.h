#pragma once

#include <QAction>
#include <QImage>
#include <QMessageBox>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <utility>

namespace TestSupport {

// A program folder in a temporary directory holding a freshly delivered
// vexa.mdb.
class ProgramFolder
{
public:
    ProgramFolder();
    bool isValid() const { return m_valid; }
    QString path() const { return m_dir.path(); }
    QString databasePath() const { return m_dir.filePath(QStringLiteral("vexa.mdb")); }

private:
    QTemporaryDir m_dir;
    bool m_valid = false;
};

// What a message box showed.
struct SeenBox
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

// Answers every message box that comes up while it lives, by pressing its
// first button (OK), and remembers what each one showed.
class MessageBoxAnswerer : public QObject
{
public:
    MessageBoxAnswerer();
    QList<SeenBox> seen;
    // The one box seen as "title|icon|buttons|text" (icon: "error" for
    // Critical), or how many were seen when not one.
    QString single() const;

private:
    QTimer m_timer;
};

// Runs action on each modal window that appears (for example a dialog
// opened with exec()) until it returns true, then stops watching.
class WhenModal : public QObject
{
public:
    explicit WhenModal(std::function<bool(QWidget *)> action);
    bool done() const { return m_done; }

private:
    QTimer m_timer;
    bool m_done = false;
};

// Runs action once on the first modal window of type T that appears.
template<typename T>
WhenModal *whenModal(std::function<void(T *)> action, QObject *owner = nullptr)
{
    auto *w = new WhenModal([action](QWidget *widget) {
        T *t = qobject_cast<T *>(widget);
        if (t)
            action(t);
        return t != nullptr;
    });
    w->setParent(owner);
    return w;
}

// For a test program that is its own second process: when args starts
// with "nobody", takes that word off and, when running as root, becomes the
// user nobody so that file permissions apply. False when that failed.
bool becomeNobodyIfAsked(QStringList *args);

// Makes a SQLite file at path by running sql; for foreign or damaged files.
bool writeSqlite(const QString &path, const QString &sql);
// Damages a SQLite file the way a failing disk or a careless program does:
//   RootOnSchemaPage  arc's root page number in the schema made 1 (the
//                     schema's own page)
//   RootOnFirmaPage   arc's root page number made firma's: two tables on
//                     one tree
//   CellCountShort    arc's root page (a leaf) counts one cell less
//   CellCountOver     arc's root page (a leaf) counts one cell more
enum class Damage { RootOnSchemaPage, RootOnFirmaPage, CellCountShort, CellCountOver };
bool damageDatabase(const QString &path, Damage damage);
// Runs sql on an existing file through a separate connection.
bool execSql(const QString &path, const QString &sql, QString *error = nullptr);
// The rows of a query through a separate connection, each row as its columns'
// texts ("<NULL>" for NULL).
QList<QStringList> queryRows(const QString &path, const QString &sql);
// A file's bytes, or `missing` when it cannot be read.
QByteArray fileBytes(const QString &path, const QByteArray &missing = {});
// Runs a program to its end (two minutes at most): whether it exited with 0,
// and its standard output (with its errors when mergeErrors).
std::pair<bool, QString> run(const QString &program, const QStringList &args, bool mergeErrors = true,
                             const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment());

// Types text into a widget key by key, as a user does (QTest::keyClicks
// takes Latin-1 only).
inline void typeKeys(QWidget *widget, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// Compares a drawn picture with the reference tests/NAME.png of the source
// tree, allowing a few pixels of font smoothing; a line or box out of place,
// a border of another width, a colour or a wrapped text changed all exceed
// that. Returns what differs (the picture drawn is saved beside it), or an
// empty string. With VEXA_UPDATE_PICTURES set it writes the reference.
QString differsFromReference(const QImage &picture, const QString &name);

// Triggers command and runs action on the modal dialog of type D it opens,
// once that is active; a dialog the action left open is closed with
// done(-1). Returns the dialog, or null when none of type D came up.
template<typename D>
D *duringCommand(QAction *command, const std::function<void(D *)> &action)
{
    D *seen = nullptr;
    std::unique_ptr<WhenModal> watcher(whenModal<D>([&](D *dialog) {
        seen = dialog;
        if (QTest::qWaitForWindowActive(dialog))
            action(dialog);
        if (dialog->isVisible())
            dialog->done(-1);
    }));
    command->trigger();
    return seen;
}

} // namespace TestSupport
