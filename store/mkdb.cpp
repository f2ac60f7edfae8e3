// Build step: puts the delivered empty vexa.mdb into the program folder,
// unless a database is already there.
#include "store/DeliveredDatabase.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: vexa_mkdb PATH\n";
        return 2;
    }
    const QString path = args.at(1);
    if (QFileInfo::exists(path))
        return 0; // keep the user's database
    QString error;
    if (!DeliveredDatabase::create(path, &error)) {
        QTextStream(stderr) << "vexa_mkdb: " << error << '\n';
        return 1;
    }
    return 0;
}
