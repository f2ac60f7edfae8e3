#pragma once

#include "archive/PaymentQr.h"
#include "archive/QrSymbol.h"

#include <QDialog>

class QLabel;
class QPushButton;

// The payment QR code of one order: the code large enough to scan from the
// screen, with the recipient, the amount and the purpose under it, and the
// buttons "Копировать ссылку" and "Сохранить...". An order that can have
// no code shows why instead, and both buttons are disabled.
//
// Object names: the code QrCode, the texts QrRecipient, QrAmount,
// QrPurpose, QrNote (why there is no code, or that the purpose was cut),
// the buttons QrCopyLink, QrSave, QrClose.
class QrWindow : public QDialog
{
    Q_OBJECT

public:
    // A module is never drawn smaller than this many screen pixels, so that
    // a phone reads the code from the screen.
    static constexpr int MinModulePixels = 4;

    QrWindow(const OrderRecord &order, const Requisites &payer, QWidget *parent = nullptr);

    const PaymentQr::Payload &payload() const { return m_payload; }
    const QrSymbol &symbol() const { return m_symbol; }
    bool hasCode() const { return !m_symbol.isNull(); }
    // Screen pixels per module.
    int modulePixels() const { return m_modulePixels; }

    // Writes the code as PNG or SVG (by the suffix); false with a message
    // box telling why.
    bool saveTo(const QString &path);

public slots:
    void copyLink();
    void saveAs();

private:
    QLabel *addText(const char *name, const QString &text);
    QString noteText() const;

    PaymentQr::Payload m_payload;
    QrSymbol m_symbol;
    int m_modulePixels = MinModulePixels;
};
