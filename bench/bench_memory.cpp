// Peak resident memory (VmHWM) of the program after opening the archive
// with 32 767 orders: a child process runs the real start-up (pause 0) on a
// program folder whose vexa.mdb holds the orders, opens the archive through
// the "Архив" command, lets the list draw, closes it with "Отмена" and
// reports its peak. Against the bare Qt program of bench_bare_qt. The
// database is filled by this parent process, so the filling is not counted.
// Medians of a few runs each:
//   memory_mb, memory_qt_mb, memory_qt_ratio (ours / bare Qt)

#include "BenchSupport.h"
#include "app/MDIForm1.h"
#include "app/StartUp.h"
#include "archive/frmArc.h"
#include "store/DeliveredDatabase.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int Runs = 5;

// The measured side: the program's start-up and archive in this process,
// the archive holding `orders` lines.
int child(const QString &folder, int orders)
{
    int lines = -1;
    const auto main = StartUp(folder, 0);
    if (!main)
        return 1;
    QTimer::singleShot(0, main.get(), [&] {
        auto *dialog = qobject_cast<frmArc *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        auto *list = dialog->findChild<QTableView *>(QStringLiteral("ListView1"));
        list->viewport()->repaint();
        lines = list->model()->rowCount();
        dialog->findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    });
    main->mnuArchive_Click();
    QApplication::processEvents();
    if (lines != orders) {
        std::fprintf(stderr, "the archive showed %d lines\n", lines);
        return 1;
    }
    std::printf("%ld\n", BenchSupport::peakResidentKb());
    return 0;
}

// Runs a program that prints its peak in kB; -1 on failure.
double peakMb(const QString &program, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program),
                     process.readAllStandardError().constData());
        return -1;
    }
    bool ok = false;
    const long kb = process.readAllStandardOutput().trimmed().toLong(&ok);
    return ok && kb > 0 ? kb / 1024.0 : -1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 3 && std::strcmp(argv[1], "--child") == 0) {
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Vexaron"));
        return child(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
    }

    QCoreApplication app(argc, argv);
    QTemporaryDir folder, emptyFolder;
    const QString path = QDir(folder.path()).filePath(QStringLiteral("vexa.mdb"));
    QString error;
    if (!folder.isValid() || !emptyFolder.isValid() || !DeliveredDatabase::create(path, &error)
        || !DeliveredDatabase::create(QDir(emptyFolder.path()).filePath(QStringLiteral("vexa.mdb")),
                                      &error)
        || !BenchSupport::fillArchive(path)) {
        std::fprintf(stderr, "cannot make the archive: %s\n", qPrintable(error));
        return 1;
    }
    const QString orders = QString::number(BenchSupport::ArchiveOrders);

    const QString self = QCoreApplication::applicationFilePath();
    const QString bare = QStringLiteral(VEXA_BARE_QT);
    std::vector<double> ours, theirs;
    for (int run = 0; run < Runs; ++run) {
        const double a = peakMb(self, { QStringLiteral("--child"), folder.path(), orders });
        const double b = peakMb(bare, { QStringLiteral("--memory") });
        if (a < 0 || b < 0)
            return 1;
        ours.push_back(a);
        theirs.push_back(b);
    }

    // What the orders themselves cost: the same run on an empty archive.
    const double empty = peakMb(self, { QStringLiteral("--child"), emptyFolder.path(), QStringLiteral("0") });
    if (empty < 0)
        return 1;

    const double a = BenchSupport::median(ours), b = BenchSupport::median(theirs);
    std::fprintf(stderr, "# memory: %.1f MB with an empty archive\n", empty);
    std::printf("memory_mb %.1f MB\n", a);
    std::printf("memory_qt_mb %.1f MB\n", b);
    std::printf("memory_qt_ratio %.2f x\n", a / b);
    return 0;
}
