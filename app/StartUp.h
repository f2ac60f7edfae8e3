#pragma once

#include <QString>

#include <memory>

class MDIForm1;

// Start-up's first step: shows the main window maximized, its load step
// having opened the database and made the document window, which is not
// shown yet. Null when the database could not be opened; the reason has been
// shown to the user.
std::unique_ptr<MDIForm1> ShowMainWindow(const QString &programFolder);

// Starts the program: shows the main window (its load step opens the
// database), pauses, then shows the document window. Returns null when the
// database could not be opened; the reason has been shown to the user.
std::unique_ptr<MDIForm1> StartUp(const QString &programFolder, int pauseMs = 1000);

// Dialogs that Qt itself draws (the printer dialog, the file dialog, the
// standard buttons) speak the interface's language, Russian, from Qt's own
// translations (Debian package qt6-translations-l10n). The program's own
// texts are untouched. False when the translations are not installed.
bool loadToolkitTranslations();

// The whole run with the program folder given: start-up, then the event
// loop. Returns the process's exit status (non-zero when the database could
// not be opened).
int RunProgram(const QString &programFolder);
