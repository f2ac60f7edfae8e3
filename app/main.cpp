#include "app/MDIForm1.h"
#include "app/StartUp.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vexaron"));

    // Only the start-up benchmark shortens the pause.
    int pauseMs = 1000;
    const QByteArray benchPause = qgetenv("VEXARON_BENCH_PAUSE_MS");
    if (!benchPause.isEmpty())
        pauseMs = benchPause.toInt();

    const auto main = StartUp(QCoreApplication::applicationDirPath(), pauseMs);
    if (!main)
        return 1;
    return app.exec();
}
