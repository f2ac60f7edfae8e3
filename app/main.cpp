#include "app/StartUp.h"

#include <QApplication>
#include <QFileInfo>

#include <climits>
#include <unistd.h>

namespace {

// The folder the program runs from. Qt's name for a folder whose name is not
// UTF-8 loses those bytes (they become U+FFFD) and names no folder at all;
// the program then works from inside its folder, by relative names, which
// keep every byte.
QString programFolder()
{
    const QString folder = QCoreApplication::applicationDirPath();
    if (QFileInfo::exists(folder))
        return folder;
    char executable[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", executable, sizeof executable);
    if (length <= 0 || size_t(length) == sizeof executable)
        return folder;
    QByteArray bytes(executable, int(length));
    bytes.truncate(bytes.lastIndexOf('/') + 1);
    return ::chdir(bytes.constData()) == 0 ? QStringLiteral(".") : folder;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vexaron"));
    // Lets the desktop match the window to its menu entry (vexaron.desktop).
    QGuiApplication::setDesktopFileName(QStringLiteral("vexaron"));
    return RunProgram(programFolder());
}
