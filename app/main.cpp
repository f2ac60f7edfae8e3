#include "app/StartUp.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vexaron"));
    return RunProgram(QCoreApplication::applicationDirPath());
}
