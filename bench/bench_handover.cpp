// Handing orders to the bank:
//   export_ms        10 000 orders made into the 1CClientBankExchange text
//                    (Windows-1251) and written whole through a temporary
//                    file and a rename, median of 15
//   export_plain_ms  the same bytes written line by line with stdio and
//                    synced, the floor any export has to pay, median of 15
//   qr_ms            one order's payment QR code built and drawn into an
//                    image at four pixels a module, median of 50
//   export_ratio     export_ms / export_plain_ms
// The two export sides alternate, so that both see the same disk.

#include "BenchSupport.h"
#include "archive/OrderExport.h"
#include "archive/PaymentQr.h"
#include "archive/QrSymbol.h"

#include <QGuiApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <unistd.h>

namespace {

constexpr int Orders = 10000;
constexpr int ExportRuns = 15;
constexpr int QrRuns = 50;

OrderRecord orderFor(int id)
{
    const QString n = QString::number(id);
    return { n, QString::number(id % 100000) + QStringLiteral(",") + QString::number(10 + id % 90),
             QStringLiteral("ТОВ \"Будівельна компанія %1\"").arg(id), QStringLiteral("30123456"),
             QStringLiteral("АТ КБ \"ПриватБанк\" м. Київ"), QStringLiteral("305299"),
             QStringLiteral("UA213223130000026007233566001"),
             QStringLiteral("Оплата за будівельні матеріали згідно рахунку № %1 від 02.03.2026, у т.ч. ПДВ 20%").arg(id),
             QStringLiteral("07.03.2026") };
}

const Requisites Payer{ QStringLiteral("ТОВ \"Вексарон Трейд\""), QStringLiteral("41234567"),
                        QStringLiteral("АТ \"Ощадбанк\" м. Київ"), QStringLiteral("300465"),
                        QStringLiteral("UA303348510000026206114040874") };

bool plainWrite(const QString &path, const QByteArray &bytes)
{
    std::FILE *file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file)
        return false;
    bool ok = true;
    for (qsizetype start = 0; ok && start < bytes.size();) {
        qsizetype end = bytes.indexOf('\n', start);
        end = end < 0 ? bytes.size() : end + 1;
        ok = std::fwrite(bytes.constData() + start, 1, size_t(end - start), file) == size_t(end - start);
        start = end;
    }
    ok = ok && std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
    return std::fclose(file) == 0 && ok;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QTemporaryDir folder;
    QVector<OrderRecord> orders;
    for (int id = 1; id <= Orders; ++id)
        orders << orderFor(id);
    const QString exported = folder.filePath(QStringLiteral("orders.txt"));
    const QString plain = folder.filePath(QStringLiteral("plain.txt"));

    std::vector<double> exportMs, plainMs;
    QElapsedTimer timer;
    QByteArray bytes;
    for (int run = 0; run < ExportRuns + 1; ++run) {
        timer.start();
        const OrderExport::Prepared p = OrderExport::prepare(orders, Payer, OrderExport::Format::ClientBank,
                                                             QDateTime::currentDateTime());
        QString error;
        const bool written = OrderExport::writeFile(exported, p.bytes, true, &error);
        const double a = timer.nsecsElapsed() / 1e6;
        bytes = p.bytes;

        timer.start();
        const bool plainWritten = plainWrite(plain, bytes);
        const double b = timer.nsecsElapsed() / 1e6;
        if (!written || !plainWritten || p.written != Orders) {
            std::fprintf(stderr, "export failed: %s\n", qPrintable(error));
            return 1;
        }
        if (run > 0) { // the first run warms the caches
            exportMs.push_back(a);
            plainMs.push_back(b);
        }
    }

    std::vector<double> qrMs;
    for (int run = 0; run < QrRuns + 3; ++run) {
        timer.start();
        const PaymentQr::Payload payload = PaymentQr::build(orders[run], Payer);
        const QrSymbol symbol = QrSymbol::encode(payload.link.toLatin1());
        const QImage image = symbol.image(4);
        const double ms = timer.nsecsElapsed() / 1e6;
        if (symbol.isNull() || image.isNull())
            return 1;
        if (run >= 3)
            qrMs.push_back(ms);
    }

    const double a = BenchSupport::median(exportMs), b = BenchSupport::median(plainMs);
    std::fprintf(stderr, "# export: %lld bytes; spread +-%.0f%% against +-%.0f%%; qr spread +-%.0f%%\n",
                 static_cast<long long>(bytes.size()), BenchSupport::spreadPercent(exportMs),
                 BenchSupport::spreadPercent(plainMs), BenchSupport::spreadPercent(qrMs));
    std::printf("export_ms %.1f ms\n", a);
    std::printf("export_plain_ms %.1f ms\n", b);
    std::printf("qr_ms %.2f ms\n", BenchSupport::median(qrMs));
    std::printf("export_ratio %.2f x\n", a / b);
    return 0;
}
