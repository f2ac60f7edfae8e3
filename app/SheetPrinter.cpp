#include "app/SheetPrinter.h"

#include "document/SheetFields.h"
#include "document/SheetFonts.h"
#include "document/SheetLayout.h"
#include "document/SheetPainter.h"

#include <QPainter>
#include <QPrintEngine>
#include <QPrinterInfo>

namespace SheetPrinter {

namespace {

constexpr double TwipsPerInch = 1440.0;
constexpr double PointsPerInch = 72.0;

} // namespace

QPointF printableTopLeft(const QPrinter &printer)
{
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(QPageLayout::Point);
    // The printer's margins, as its description gives them for the paper
    // upright; Qt leaves them so on a landscape page.
    const QMarginsF margins = layout.minimumMargins();
    if (layout.orientation() == QPageLayout::Landscape) {
        // CUPS turns a landscape page a quarter turn counter-clockwise onto
        // the paper: its left edge lies on the paper's bottom, its top on
        // the paper's left.
        return QPointF(margins.bottom(), margins.left());
    }
    return QPointF(margins.left(), margins.top());
}

void prepare(QPrinter &printer)
{
    // The printer keeps its own paper and margins, as its queue describes
    // them: the sheet goes on that page, upright. A page of the sheet's own
    // size would be turned and centred by every printer that takes no
    // custom sizes.
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setDocName(QStringLiteral("Платежное поручение"));
    printer.setCreator(QStringLiteral("Vexaron"));
}

bool print(QPrinter &printer, const SheetFields &fields)
{
    if (printer.outputFormat() == QPrinter::NativeFormat) {
        // A printer removed or unreachable since it was chosen would take
        // the job without complaint and print nothing.
        if (printer.printerName().isEmpty()
            || QPrinterInfo::printerInfo(printer.printerName()).isNull())
            return false;
    }

    SheetFonts::registerFonts();
    // The sheet is placed from the paper's corner: Qt's own margins (10
    // points unless the printer needs more) are not the printable area's.
    printer.setFullPage(true);
    QPainter painter;
    // With no printer at all Qt falls back to a PDF file without a name,
    // and begin() refuses.
    if (!painter.begin(&printer))
        return false;
    painter.translate(printableTopLeft(printer) * printer.resolution() / PointsPerInch);
    const double scale = printer.resolution() / TwipsPerInch;
    painter.scale(scale, scale);
    Sheet::paint(painter, fields);
    const bool ended = painter.end();
    return ended && printer.printerState() != QPrinter::Error;
}

Settings settings(const QPrinter &printer)
{
    Settings s;
    s.format = printer.outputFormat();
    s.printerName = printer.printerName();
    s.outputFileName = printer.outputFileName();
    s.layout = printer.pageLayout();
    s.colorMode = printer.colorMode();
    s.duplex = printer.duplex();
    s.copies = printer.copyCount();
    s.collate = printer.collateCopies();
    s.printRange = printer.printRange();
    s.fromPage = printer.fromPage();
    s.toPage = printer.toPage();
    return s;
}

void restore(QPrinter &printer, const Settings &s)
{
    if (s.format == QPrinter::NativeFormat) {
        printer.setOutputFileName(QString()); // back to the system's printers
        printer.setOutputFormat(QPrinter::NativeFormat);
        if (!s.printerName.isEmpty())
            printer.setPrinterName(s.printerName);
    } else {
        printer.setOutputFormat(s.format);
        if (s.outputFileName.isEmpty()) // an empty name would switch back to the system's printers
            printer.printEngine()->setProperty(QPrintEngine::PPK_OutputFileName, QString());
        else
            printer.setOutputFileName(s.outputFileName);
    }
    printer.setPageLayout(s.layout);
    printer.setColorMode(s.colorMode);
    printer.setDuplex(s.duplex);
    printer.setCopyCount(s.copies);
    printer.setCollateCopies(s.collate);
    printer.setPrintRange(s.printRange);
    if (s.fromPage <= s.toPage)
        printer.setFromTo(s.fromPage, s.toPage);
}

} // namespace SheetPrinter
