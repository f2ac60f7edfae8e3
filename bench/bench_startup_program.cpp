// The timed side of bench_startup: the program's own start-up, as
// app/main.cpp runs it, up to the main window shown with the database open
// (the program folder is this executable's folder), then the end of the run
// once the event loop has taken what showing it queued. The pause and the
// document window that follows it are left out.

#include "app/MDIForm1.h"
#include "app/StartUp.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vexaron"));
    QGuiApplication::setDesktopFileName(QStringLiteral("vexaron"));
    loadToolkitTranslations(); // as RunProgram does first
    const auto main = ShowMainWindow(QCoreApplication::applicationDirPath());
    if (!main)
        return 1;
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return QApplication::exec();
}
