// Opening the archive with 32 767 saved orders: from the "Архив" command
// to the list filled and drawn, against a plain read of the same rows
// through the SQLite C API in the same process. Each is timed several
// times; the median is printed.

#include "BenchProgram.h"
#include "BenchSupport.h"
#include "app/MDIForm1.h"
#include "archive/frmArc.h"
#include "document/SheetFonts.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Orders = BenchSupport::ArchiveOrders;
constexpr int Runs = 7;

using BenchSupport::fillArchive;
using BenchSupport::median;

// The plain read: every row, every column's text.
double plainRead(const QString &path, qint64 *bytes)
{
    QElapsedTimer timer;
    timer.start();
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *select = nullptr;
    sqlite3_prepare_v2(db, "Select * from arc", -1, &select, nullptr);
    qint64 total = 0;
    int rows = 0;
    while (sqlite3_step(select) == SQLITE_ROW) {
        ++rows;
        for (int c = 0; c < 9; ++c) {
            const unsigned char *text = sqlite3_column_text(select, c);
            if (text)
                total += sqlite3_column_bytes(select, c) + text[0];
        }
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
    const double ms = timer.nsecsElapsed() / 1e6;
    *bytes = total + rows;
    return ms;
}

// The "Архив" command until the list is filled and drawn, then "Отмена".
double openArchive(MDIForm1 &main, int *lines)
{
    QElapsedTimer timer;
    double ms = -1;
    QTimer::singleShot(0, &main, [&] {
        auto *dialog = qobject_cast<frmArc *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        auto *list = dialog->findChild<QTableView *>(QStringLiteral("ListView1"));
        list->viewport()->repaint();
        ms = timer.nsecsElapsed() / 1e6;
        *lines = list->model()->rowCount();
        dialog->findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    });
    timer.start();
    main.mnuArchive_Click();
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    BenchProgram::offscreenByDefault();
    QApplication app(argc, argv);
    SheetFonts::registerFonts();

    QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath(QStringLiteral("vexa.mdb"));
    if (!folder.isValid() || !BenchSupport::makeProgramFolder(folder.path(), BenchSupport::ArchiveOrders))
        return 1;

    MDIForm1 main(folder.path());
    if (!BenchProgram::showMainWindow(main))
        return 1;

    std::vector<double> ours, plain;
    for (int run = 0; run < Runs; ++run) {
        int lines = 0;
        const double ms = openArchive(main, &lines);
        if (ms < 0 || lines != Orders) {
            std::fprintf(stderr, "the archive showed %d lines instead of %d\n", lines, Orders);
            return 1;
        }
        ours.push_back(ms);
        qint64 bytes = 0;
        plain.push_back(plainRead(path, &bytes));
        if (bytes <= 0)
            return 1;
    }

    const double a = median(ours), b = median(plain);
    std::printf("archive_ms %.1f ms\n", a);
    std::printf("archive_sqlite_ms %.1f ms\n", b);
    std::printf("archive_sqlite_ratio %.2f x\n", a / b);
    return 0;
}
