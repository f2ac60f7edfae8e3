#pragma once

#include <QString>

class Form1;
struct OrderRecord;

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
    // Opens the order entry for a new order filled from order: its amount,
    // recipient and purpose, with a new number and today's date.
    virtual void openOrderEntryFrom(const OrderRecord &order) = 0;
};
