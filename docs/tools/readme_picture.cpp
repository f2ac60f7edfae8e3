// Draws the main window with a filled order, as the README shows it: a
// program folder with requisites and one saved order, the order put back on
// the sheet from the archive, and the maximized window saved as a PNG.
#include "app/MDIForm1.h"
#include "app/StartUp.h"
#include "archive/frmArc.h"
#include "store/Database.h"
#include "store/DeliveredDatabase.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: readme_picture OUT.png\n";
        return 2;
    }
    QTemporaryDir folder;
    const QString db = QDir(folder.path()).filePath(QStringLiteral("vexa.mdb"));
    if (!DeliveredDatabase::create(db))
        return 1;
    {
        Database store;
        if (!store.open(db)
            || !store.saveRequisites({ QStringLiteral("ТОВ \"Вексарон Трейд\""), QStringLiteral("32855961"),
                                    QStringLiteral("АТ КБ \"ПриватБанк\", м. Київ"),
                                    QStringLiteral("305299"), QStringLiteral("26002052712345") })
            || !store.insertOrder({ QStringLiteral("17"), QStringLiteral("12345,67"),
                                    QStringLiteral("ФОП Петренко Оксана Іванівна"),
                                    QStringLiteral("2845012345"),
                                    QStringLiteral("АТ \"Ощадбанк\", м. Львів"), QStringLiteral("325796"),
                                    QStringLiteral("26004000012345"),
                                    QStringLiteral("Оплата за послуги з обслуговування комп'ютерної "
                                                   "техніки згідно рахунку № 112 від 01.12.2026, "
                                                   "без ПДВ"),
                                    QStringLiteral("05.12.2026") })) {
            QTextStream(stderr) << store.errorText() << '\n';
            return 1;
        }
    }

    auto main = StartUp(folder.path(), 0);
    if (!main)
        return 1;
    main->showNormal();
    main->resize(1024, 768);
    // The archive's reprint fills the sheet, as a user would do it.
    frmArc archive(main->database(), *main, main.get());
    archive.Form_Load();
    archive.ListView1_ItemClick(0);
    archive.Command2_Click();
    QCoreApplication::processEvents();
    main->setStatusText(QStringLiteral("Готово:"));
    if (!main->grab().save(QString::fromLocal8Bit(argv[1])))
        return 1;
    return 0;
}
