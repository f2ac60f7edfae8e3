#pragma once

// The real main window on a fresh program folder, for the tests that drive
// the program through its commands. Header only: the tests that use it link
// the application library, the support library does not.
#include "app/MDIForm1.h"
#include "document/Form1.h"
#include "support/TestSupport.h"

#include <QAction>

namespace TestSupport {

struct RunningProgram
{
    ProgramFolder folder;
    MDIForm1 main{ folder.path() };

    // Loads the database and shows the window, as the program starts.
    bool start() { return folder.isValid() && main.MDIForm_Load() && (main.show(), true); }
    QString db() const { return folder.databasePath(); }
    bool sql(const QString &statement) { return execSql(db(), statement); }
    QList<QStringList> rows(const QString &query) const { return queryRows(db(), query); }
    QAction *command(const char *name) { return main.findChild<QAction *>(QString::fromLatin1(name)); }
    // The texts of the document's fifteen fields, in field order.
    QStringList sheet()
    {
        QStringList texts;
        for (int f = 0; f < Sheet::FieldCount; ++f)
            texts << main.documentWindow()->field(Sheet::Field(f));
        return texts;
    }
};

} // namespace TestSupport
