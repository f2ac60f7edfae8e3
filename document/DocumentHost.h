#pragma once

#include <QString>

class Form1;

// What the dialogs may ask of the main window: its status text and the
// document window. Nothing else.
class DocumentHost
{
public:
    virtual ~DocumentHost() = default;

    // Replaces the text of the status bar's first panel.
    virtual void setStatusText(const QString &text) = 0;
    virtual QString statusText() const = 0;
    // The document window, created on first use.
    virtual Form1 *documentWindow() = 0;
};
