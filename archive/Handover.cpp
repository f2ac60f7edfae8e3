#include "archive/Handover.h"

#include "archive/QrWindow.h"
#include "dialogkit/Message.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

const QString ClientBankFilter = QStringLiteral("Обмен с банком, 1CClientBankExchange (*.txt)");
const QString CsvFilter = QStringLiteral("Таблица CSV (*.csv)");

QString shownPath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString leftOutText(const QStringList &leftOut)
{
    return QStringLiteral("Не выгружены поручения, сумма которых записана не в виде «0,00» (%1):\n")
                   .arg(leftOut.size())
            + leftOut.join(QLatin1Char('\n'));
}

QString reportText(const QString &path, const OrderExport::Prepared &prepared)
{
    QStringList parts;
    parts << QStringLiteral("В файл %1 выгружено поручений: %2.").arg(shownPath(path)).arg(prepared.written);
    if (prepared.replaced > 0)
        parts << QStringLiteral("Знаков, которых нет в кодировке Windows-1251, записано ближайшими: %1.")
                         .arg(prepared.replaced);
    if (!prepared.leftOut.isEmpty())
        parts << leftOutText(prepared.leftOut);
    return parts.join(QStringLiteral("\n\n"));
}

bool confirmReplace(QWidget *parent, const QString &path)
{
    return QMessageBox::question(parent, DialogKit::programName(),
                                 QStringLiteral("Файл %1 уже есть. Заменить его?").arg(shownPath(path)),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            == QMessageBox::Yes;
}

} // namespace

namespace Handover {

void showQrCode(QWidget *parent, const OrderRecord &order, const Requisites &payer)
{
    QrWindow window(order, payer, parent);
    window.exec();
}

void exportOrders(QWidget *parent, const QVector<OrderRecord> &orders, const Requisites &payer)
{
    if (orders.isEmpty()) {
        DialogKit::show(parent, DialogKit::notice(QStringLiteral("В архиве нет поручений для экспорта.")));
        return;
    }
    QString filter = ClientBankFilter;
    // The replace question is asked by exportTo, once, for both formats.
    QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("Экспорт поручений"), QString(),
                                                ClientBankFilter + QStringLiteral(";;") + CsvFilter,
                                                &filter, QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty())
        return;
    const bool csv = filter == CsvFilter;
    if (QFileInfo(path).suffix().isEmpty())
        path += csv ? QStringLiteral(".csv") : QStringLiteral(".txt");
    exportTo(parent, path, csv ? OrderExport::Format::Csv : OrderExport::Format::ClientBank, orders, payer);
}

bool exportTo(QWidget *parent, const QString &path, OrderExport::Format format,
              const QVector<OrderRecord> &orders, const Requisites &payer)
{
    const OrderExport::Prepared prepared =
            OrderExport::prepare(orders, payer, format, QDateTime::currentDateTime());
    if (prepared.written == 0) {
        DialogKit::show(parent, DialogKit::failure(QStringLiteral("Файл не записан: выгружать нечего."),
                                                   leftOutText(prepared.leftOut)));
        return false;
    }
    const bool exists = QFileInfo::exists(path);
    if (exists && !confirmReplace(parent, path))
        return false;
    QString error;
    if (!OrderExport::writeFile(path, prepared.bytes, exists, &error)) {
        const QString notDone = exists ? QStringLiteral("Файл %1 не записан, прежний файл не изменен.")
                                       : QStringLiteral("Файл %1 не записан.");
        DialogKit::show(parent, DialogKit::failure(notDone.arg(shownPath(path)), error));
        return false;
    }
    DialogKit::show(parent, DialogKit::notice(reportText(path, prepared)));
    return true;
}

} // namespace Handover
