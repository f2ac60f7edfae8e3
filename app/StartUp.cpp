#include "app/StartUp.h"

#include "app/MDIForm1.h"
#include "document/SheetFonts.h"

#include <QApplication>
#include <QThread>

std::unique_ptr<MDIForm1> StartUp(const QString &programFolder, int pauseMs)
{
    SheetFonts::registerFonts();
    auto main = std::make_unique<MDIForm1>(programFolder);
    if (!main->MDIForm_Load())
        return nullptr;
    main->showMaximized();
    QCoreApplication::processEvents(); // let the main window appear before the pause

    // A plain blocking wait: the main window does not respond during it.
    if (pauseMs > 0)
        QThread::msleep(static_cast<unsigned long>(pauseMs));

    main->showDocumentWindow();
    return main;
}

int RunProgram(const QString &programFolder)
{
    // Only the start-up benchmark shortens the pause.
    int pauseMs = 1000;
    const QByteArray benchPause = qgetenv("VEXARON_BENCH_PAUSE_MS");
    if (!benchPause.isEmpty())
        pauseMs = benchPause.toInt();

    const auto main = StartUp(programFolder, pauseMs);
    if (!main)
        return 1;
    return QApplication::exec();
}
