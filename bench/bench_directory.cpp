// The order entry on a large archive. First the recipient directory: one
// keystroke in the recipient box of a real order-entry dialog until its
// list is filled and drawn, with 100 000 archived orders, against a plain
// SQLite LIKE query for the same text on the same file (every matching row
// stepped, newest first). The keystrokes are those of typing a recipient
// that is rare in the archive, so the last ones read the whole table.
// Then opening the order entry ("Новый" until the dialog is shown) with
// 1 000 000 archived orders. Each is timed several times; medians are
// printed.

#include "BenchSupport.h"
#include "app/MDIForm1.h"
#include "document/SheetFonts.h"
#include "entry/frmCreate.h"
#include "store/DeliveredDatabase.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <sqlite3.h>

#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr int DirectoryOrders = 100000;
constexpr int EntryOrders = 1000000;
constexpr int Runs = 7;
// A recipient of fillArchive's, typed one character after another.
const QString Typed = QStringLiteral("Одержувач 4321");

using BenchSupport::median;

// This thread's CPU time in milliseconds: on a machine shared with other
// work the wall time says more about the others than about us.
double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The plain query: LIKE over the names, the matching rows stepped newest
// first and their five recipient columns read.
double plainLike(const QString &path, const QString &typed, int *matches)
{
    QElapsedTimer timer;
    timer.start();
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *select = nullptr;
    sqlite3_prepare_v2(db,
                       "select oderz, idoderz, bank, idbank, kredit from arc where oderz like ? "
                       "order by rowid desc",
                       -1, &select, nullptr);
    const QByteArray pattern = ("%" + typed + "%").toUtf8();
    sqlite3_bind_text(select, 1, pattern.constData(), int(pattern.size()), SQLITE_TRANSIENT);
    int rows = 0;
    qint64 bytes = 0;
    while (sqlite3_step(select) == SQLITE_ROW) {
        ++rows;
        for (int c = 0; c < 5; ++c)
            bytes += sqlite3_column_bytes(select, c);
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
    *matches = bytes > 0 ? rows : 0;
    return timer.nsecsElapsed() / 1e6;
}

// One character typed at the end of the box, until the list is drawn.
double keystroke(QLineEdit *box, QChar c, QAbstractItemView *list, int *offered, double *cpuMs)
{
    const double cpuStart = threadCpuMs();
    QElapsedTimer timer;
    timer.start();
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(box, &press);
    if (list->isVisible())
        list->viewport()->repaint();
    const double ms = timer.nsecsElapsed() / 1e6;
    *cpuMs = threadCpuMs() - cpuStart;
    *offered = list->isVisible() ? list->model()->rowCount() : 0;
    return ms;
}

// Times typing Typed into a fresh dialog's recipient box, keystroke by
// keystroke, against the plain query for the same text. Keeps the slowest
// keystroke of each run and the plain query's time for that text.
bool timeDirectory(MDIForm1 &main, const QString &path, std::vector<double> *ours,
                   std::vector<double> *plain, std::vector<double> *oursCpu)
{
    frmCreate dialog(main.database(), main, &main);
    dialog.show();
    auto *box = dialog.findChild<QLineEdit *>(QStringLiteral("Text3"));
    // The list is a window of its own, made with the dialog.
    QAbstractItemView *list = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("Text3_list"))
            list = qobject_cast<QAbstractItemView *>(w);
    }
    if (!list)
        return false;
    box->setFocus();
    QApplication::processEvents();
    double slowest = -1, plainForSlowest = 0, cpuForSlowest = 0;
    for (int i = 0; i < Typed.size(); ++i) {
        int offered = 0, matches = 0;
        double cpu = 0;
        const double ms = keystroke(box, Typed.at(i), list, &offered, &cpu);
        const double like = plainLike(path, Typed.left(i + 1), &matches);
        if (offered == 0 || matches == 0) {
            std::fprintf(stderr, "nothing offered for %s\n", qPrintable(Typed.left(i + 1)));
            return false;
        }
        if (ms > slowest) {
            slowest = ms;
            plainForSlowest = like;
            cpuForSlowest = cpu;
        }
    }
    list->hide();
    ours->push_back(slowest);
    plain->push_back(plainForSlowest);
    oursCpu->push_back(cpuForSlowest);
    return true;
}

// "Новый" until the dialog is shown, then "Отмена".
double openEntry(MDIForm1 &main, QString *number, double *cpuMs)
{
    double cpuStart = 0;
    QElapsedTimer timer;
    double ms = -1;
    QTimer::singleShot(0, &main, [&] {
        auto *dialog = qobject_cast<frmCreate *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        ms = timer.nsecsElapsed() / 1e6;
        *cpuMs = threadCpuMs() - cpuStart;
        *number = dialog->order().id;
        dialog->Command1_Click();
    });
    cpuStart = threadCpuMs();
    timer.start();
    main.mnuNew_Click();
    return ms;
}

bool makeArchive(QTemporaryDir &folder, int orders)
{
    return folder.isValid() && BenchSupport::makeProgramFolder(folder.path(), orders);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SheetFonts::registerFonts();

    QTemporaryDir small;
    if (!makeArchive(small, DirectoryOrders))
        return 1;
    {
        MDIForm1 main(small.path());
        if (!main.MDIForm_Load())
            return 1;
        main.show();
        QApplication::processEvents();
        std::vector<double> ours, plain, oursCpu;
        for (int run = 0; run < Runs; ++run) {
            if (!timeDirectory(main, main.databasePath(), &ours, &plain, &oursCpu))
                return 1;
        }
        const double a = median(ours), b = median(plain);
        std::printf("directory_ms %.1f ms\n", a);
        std::printf("directory_cpu_ms %.1f ms\n", median(oursCpu));
        std::printf("directory_like_ms %.1f ms\n", b);
        std::printf("directory_sqlite_ratio %.2f x\n", a / b);
    }

    QTemporaryDir large;
    if (!makeArchive(large, EntryOrders))
        return 1;
    MDIForm1 main(large.path());
    if (!main.MDIForm_Load())
        return 1;
    main.show();
    QApplication::processEvents();
    std::vector<double> opening, openingCpu;
    for (int run = 0; run < Runs; ++run) {
        QString number;
        double cpu = 0;
        const double ms = openEntry(main, &number, &cpu);
        if (ms < 0 || number != QString::number(EntryOrders + 1)) {
            std::fprintf(stderr, "the order entry proposed %s\n", qPrintable(number));
            return 1;
        }
        opening.push_back(ms);
        openingCpu.push_back(cpu);
    }
    std::printf("entry_open_ms %.1f ms\n", median(opening));
    std::printf("entry_open_cpu_ms %.1f ms\n", median(openingCpu));
    return 0;
}
