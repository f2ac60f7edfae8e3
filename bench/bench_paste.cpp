// Pasting an unbroken word of 300 000 characters into the order entry's
// purpose box, until the box has been laid out and drawn. Qt's own word
// wrap looks for a break at every line of such a word (about 20 s); the
// box wraps it anywhere instead. The median of several pastes is printed.

#include "BenchProgram.h"
#include "BenchSupport.h"
#include "entry/frmCreate.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

int main(int argc, char *argv[])
{
    BenchProgram::offscreenByDefault();
    QApplication app(argc, argv);
    constexpr int Runs = 5;
    QTemporaryDir dir;
    if (!dir.isValid() || !BenchSupport::makeProgramFolder(dir.path(), 0))
        return 1;
    MDIForm1 main(dir.path());
    if (!BenchProgram::showMainWindow(main)) {
        std::fprintf(stderr, "bench_paste: the main window did not load\n");
        return 1;
    }
    QApplication::clipboard()->setText(QString(300000, QLatin1Char('x')));

    std::vector<double> times;
    for (int run = 0; run < Runs; ++run) {
        frmCreate dialog(main.database(), main, &main);
        dialog.show();
        QApplication::processEvents();
        auto *purpose = dialog.findChild<QPlainTextEdit *>(QStringLiteral("Text8"));
        purpose->setFocus();
        QElapsedTimer timer;
        timer.start();
        purpose->paste();
        purpose->viewport()->repaint();
        QApplication::processEvents();
        times.push_back(timer.nsecsElapsed() / 1e6);
        if (purpose->document()->characterCount() < 300000) {
            std::fprintf(stderr, "bench_paste: the word was not pasted\n");
            return 1;
        }
    }
    std::printf("paste_word_300k_ms %.1f ms\n", BenchSupport::median(times));
    return 0;
}
