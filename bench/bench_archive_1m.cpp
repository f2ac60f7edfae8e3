// The archive window with a million saved orders (made with SQLite
// directly): the "Архив" command until the first screen is drawn, against
// a plain SQLite read of every row; a search keystroke until the list is
// drawn again; sorting by a column; and the peak memory of the process.
// The first argument, when given, is the number of orders (for the
// per-order memory: run once with 0); the second, the number of
// recipients they are paid to in turn (each order its own by default).

#include "BenchProgram.h"
#include "BenchSupport.h"
#include "app/MDIForm1.h"
#include "archive/frmArc.h"
#include "document/SheetFonts.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

using BenchSupport::median;

double plainRead(const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *select = nullptr;
    sqlite3_prepare_v2(db, "Select * from arc", -1, &select, nullptr);
    qint64 total = 0;
    while (sqlite3_step(select) == SQLITE_ROW)
        for (int c = 0; c < 9; ++c)
            if (const unsigned char *text = sqlite3_column_text(select, c))
                total += sqlite3_column_bytes(select, c) + text[0];
    sqlite3_finalize(select);
    sqlite3_close(db);
    return total > 0 ? timer.nsecsElapsed() / 1e6 : -1;
}

// This thread's CPU time: on a machine shared with other work the wall
// time includes waiting for a core, so both are noted.
double cpuMs()
{
    timespec t {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

void note(const char *what, double wallMs, double cpu)
{
    std::fprintf(stderr, "# %s: %.1f ms (cpu %.1f ms), resident %.1f MB, peak %.1f MB\n", what, wallMs, cpu,
                 residentKb() / 1024.0, BenchSupport::peakResidentKb() / 1024.0);
}

struct Window
{
    frmArc *dialog;
    QTableView *list;
};

// Times action until the list has been drawn again.
double timed(const Window &w, const std::function<void()> &action, const char *what = nullptr,
             double *cpuSpent = nullptr)
{
    QElapsedTimer timer;
    const double cpu = cpuMs();
    timer.start();
    action();
    w.list->viewport()->repaint();
    const double ms = timer.nsecsElapsed() / 1e6;
    if (what)
        note(what, ms, cpuMs() - cpu);
    if (cpuSpent)
        *cpuSpent = cpuMs() - cpu;
    return ms;
}

void clickHeader(const Window &w, int section)
{
    QHeaderView *header = w.list->horizontalHeader();
    w.list->horizontalScrollBar()->setValue(header->sectionPosition(section));
    const QPointF at(header->sectionViewportPosition(section) + 10, header->height() / 2);
    const QPointF global = header->viewport()->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(header->viewport(), &press);
    QApplication::sendEvent(header->viewport(), &release);
}

// Inside the open window: keystrokes and sorts, printed.
void measureInside(const Window &w, int orders)
{
    auto *search = w.dialog->findChild<QLineEdit *>(QStringLiteral("txtSearch"));
    // A query typed key by key, then taken back (each change widens the
    // list again and reads every order's texts).
    std::vector<double> keys;
    double cpu = 0, slowestCpu = 0;
    QString typed;
    for (QChar c : QStringLiteral("банк 4 оплата 12345")) {
        typed += c;
        keys.push_back(timed(w, [&] { search->setText(typed); }, nullptr, &cpu));
        slowestCpu = std::max(slowestCpu, cpu);
    }
    while (!typed.isEmpty()) {
        typed.chop(1);
        keys.push_back(timed(w, [&] { search->setText(typed); }, nullptr, &cpu));
        slowestCpu = std::max(slowestCpu, cpu);
    }
    note("slowest keystroke", *std::max_element(keys.begin(), keys.end()), slowestCpu);
    std::printf("search_1m_ms %.1f ms\n", *std::max_element(keys.begin(), keys.end()));
    std::printf("search_1m_median_ms %.1f ms\n", median(keys));

    std::vector<double> amounts;
    for (int i = 0; i < 3; ++i) // up, down, back to the saved order
        amounts.push_back(timed(w, [&] { clickHeader(w, 1); }, "sort by amount"));
    std::printf("sort_1m_ms %.1f ms\n", *std::max_element(amounts.begin(), amounts.end()));
    const double textFirst = timed(w, [&] { clickHeader(w, 2); }, "sort by name, first");
    const double textAgain = timed(w, [&] { clickHeader(w, 2); }, "sort by name, again");
    std::printf("sort_text_1m_first_ms %.1f ms\n", textFirst);
    std::printf("sort_text_1m_again_ms %.1f ms\n", textAgain);
    if (w.list->model()->rowCount() != orders)
        std::fprintf(stderr, "the list shows %d lines instead of %d\n", w.list->model()->rowCount(), orders);
}

} // namespace

int main(int argc, char **argv)
{
    BenchProgram::offscreenByDefault();
    QApplication app(argc, argv);
    SheetFonts::registerFonts();
    const int orders = argc > 1 ? QString::fromLatin1(argv[1]).toInt() : 1000000;
    const int recipients = argc > 2 ? QString::fromLatin1(argv[2]).toInt() : 0;

    QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath(QStringLiteral("vexa.mdb"));
    if (!folder.isValid() || !BenchSupport::makeProgramFolder(folder.path(), orders, recipients))
        return 1;
    MDIForm1 main(folder.path());
    if (!BenchProgram::showMainWindow(main))
        return 1;

    std::vector<double> opens, plain;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        double ms = -1;
        double cpu = cpuMs();
        const bool last = run == 2;
        QTimer::singleShot(0, &main, [&] {
            auto *dialog = qobject_cast<frmArc *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            Window w { dialog, dialog->findChild<QTableView *>(QStringLiteral("ListView1")) };
            w.list->viewport()->repaint();
            ms = timer.nsecsElapsed() / 1e6;
            note("open", ms, cpuMs() - cpu);
            if (last && orders > 0)
                measureInside(w, orders);
            dialog->findChild<QPushButton *>(QStringLiteral("Command1"))->click();
        });
        timer.start();
        main.mnuArchive_Click();
        if (ms < 0)
            return 1;
        opens.push_back(ms);
        if (orders > 0)
            plain.push_back(plainRead(path));
    }
    std::printf("archive_1m_ms %.1f ms\n", median(opens));
    if (orders > 0) {
        std::printf("archive_1m_sqlite_ms %.1f ms\n", median(plain));
        std::printf("archive_1m_sqlite_ratio %.2f x\n", median(opens) / median(plain));
    }
    std::printf("memory_1m_mb %.1f MB\n", BenchSupport::peakResidentKb() / 1024.0);
    return 0;
}
