#pragma once

#include <QString>

class Form1;
struct OrderRecord;

// What the dialogs may ask of the main window: its status text, the
// document window and the order entry. Nothing else.
class DocumentHost
{
public:
    virtual ~DocumentHost() = default;

    // Replaces the text of the status bar's first panel.
    virtual void setStatusText(const QString &text) = 0;
    virtual QString statusText() const = 0;
    // The document window, created on first use.
    virtual Form1 *documentWindow() = 0;
    // Opens the order entry as "Новый" does, with the order's amount,
    // recipient and purpose already typed in, a newly proposed number and
    // today's date. Nothing is saved until the user saves.
    virtual void openOrderEntryFrom(const OrderRecord &order) = 0;
};
