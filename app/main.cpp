#include "app/StartUp.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vexaron"));
    // Lets the desktop match the window to its menu entry (vexaron.desktop).
    QGuiApplication::setDesktopFileName(QStringLiteral("vexaron"));
    return RunProgram(QCoreApplication::applicationDirPath());
}
