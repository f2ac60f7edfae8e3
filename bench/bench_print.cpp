// Printing the filled sheet: the main window's printer (made and set up as
// the print command makes it) turned to a PDF file, and the document
// window's fields printed through SheetPrinter::print, the routine behind
// the "Печать" command. Median of 50:
//   print_ms
// An empty page on the same printer, alternating with the sheet, is noted
// on stderr for comparison: most of a sheet's time is the PDF engine
// embedding the subsets of the four faces.

#include "BenchProgram.h"
#include "BenchSupport.h"
#include "app/MDIForm1.h"
#include "app/SheetPrinter.h"
#include "document/DocumentFill.h"
#include "document/Form1.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int Runs = 50;
constexpr int WarmUp = 3;

OrderRecord sampleOrder()
{
    OrderRecord o;
    o.id = QStringLiteral("1207");
    o.suma = QStringLiteral("98765,43");
    o.oderz = QStringLiteral("ТОВ \"Будiвельна компанiя Київ-Захiд\"");
    o.idoderz = QStringLiteral("30123456");
    o.bank = QStringLiteral("АТ КБ \"ПриватБанк\" м. Київ");
    o.idbank = QStringLiteral("305299");
    o.kredit = QStringLiteral("26001052612345");
    o.oznaka = QStringLiteral("Оплата за будiвельнi матерiали згiдно рахунку № 4512 вiд 02.03.2026, "
                              "у т.ч. ПДВ 16460,91 грн.");
    o.datazap = QStringLiteral("07.03.2026");
    return o;
}

Requisites sampleRequisites()
{
    Requisites r;
    r.firma = QStringLiteral("ТОВ \"Вексарон Трейд\"");
    r.kodfirma = QStringLiteral("41234567");
    r.bank = QStringLiteral("АТ \"Ощадбанк\" м. Київ");
    r.kodbank = QStringLiteral("300465");
    r.rsbank = QStringLiteral("26004012345678");
    return r;
}

bool blankPage(QPrinter &printer)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    return painter.end();
}

} // namespace

int main(int argc, char *argv[])
{
    BenchProgram::offscreenByDefault();
    QApplication app(argc, argv);

    QTemporaryDir folder;
    if (!folder.isValid() || !BenchSupport::makeProgramFolder(folder.path(), 0))
        return 1;

    MDIForm1 main(folder.path());
    if (!BenchProgram::showMainWindow(main))
        return 1;
    DocumentFill::fill(*main.documentWindow(), sampleOrder(), sampleRequisites());
    QApplication::processEvents();

    const QString pdf = QDir(folder.path()).filePath(QStringLiteral("sheet.pdf"));
    QPrinter &printer = main.printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);

    std::vector<double> sheet, blank;
    QElapsedTimer timer;
    for (int run = 0; run < WarmUp + Runs; ++run) {
        timer.start();
        const bool printed = SheetPrinter::print(printer, main.documentWindow()->fields());
        const double a = timer.nsecsElapsed() / 1e6;
        const qint64 sheetBytes = QFileInfo(pdf).size();

        timer.start();
        const bool empty = blankPage(printer);
        const double b = timer.nsecsElapsed() / 1e6;

        if (!printed || !empty || sheetBytes <= 0) {
            std::fprintf(stderr, "printing to %s failed\n", qPrintable(pdf));
            return 1;
        }
        if (run >= WarmUp) {
            sheet.push_back(a);
            blank.push_back(b);
        }
    }

    const double a = BenchSupport::median(sheet), b = BenchSupport::median(blank);
    std::fprintf(stderr, "# print: spread +-%.0f%%; an empty page on the same printer %.2f ms\n",
                 BenchSupport::spreadPercent(sheet), b);
    std::printf("print_ms %.2f ms\n", a);
    return 0;
}
