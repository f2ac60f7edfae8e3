// The floor for start-up and memory: a bare Qt program that shows an empty
// main window maximized and quits as soon as the event loop has taken what
// showing it queued, the same way the program does under the start-up
// benchmark. With --memory it prints its peak resident memory in kB.

#include <QApplication>
#include <QMainWindow>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

// VmHWM in kB, read here so that this program links nothing beyond Qt.
long peakResidentKb()
{
    std::FILE *status = std::fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmHWM: %ld", &kb) == 1)
            break;
    std::fclose(status);
    return kb;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.showMaximized();
    QCoreApplication::processEvents();
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    const int status = QApplication::exec();
    if (argc > 1 && std::strcmp(argv[1], "--memory") == 0)
        std::printf("%ld\n", peakResidentKb());
    return status;
}
