#pragma once

#include "archive/OrderExport.h"
#include "store/Records.h"

#include <QVector>

class QWidget;

// Handing archived orders to the bank: the two commands of the archive
// window, each a function of the orders and the company's requisites, so
// that any list of orders can offer them.
namespace Handover {

// "QR-код": the payment QR window for one order, modal over parent.
void showQrCode(QWidget *parent, const OrderRecord &order, const Requisites &payer);

// "Экспорт...": asks for a file and a format (Qt's file dialog; the
// format follows the chosen filter), then runs exportTo.
void exportOrders(QWidget *parent, const QVector<OrderRecord> &orders, const Requisites &payer);

// Writes the orders to path: asks before replacing an existing file, then
// tells what was written, what was left out and how many characters were
// changed to fit Windows-1251, or why nothing was written. True when the
// file was written.
bool exportTo(QWidget *parent, const QString &path, OrderExport::Format format,
              const QVector<OrderRecord> &orders, const Requisites &payer);

} // namespace Handover
