#pragma once

#include "app/MDIForm1.h"

#include <QApplication>

// What the benchmarks that drive the real main window share.
namespace BenchProgram {

// Offscreen unless the caller chose a platform.
inline void offscreenByDefault()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Loads the main window on its program folder and shows it with the
// document window, as start-up does (the pause left out).
inline bool showMainWindow(MDIForm1 &main)
{
    if (!main.MDIForm_Load())
        return false;
    main.show();
    main.showDocumentWindow();
    QApplication::processEvents();
    return true;
}

} // namespace BenchProgram
