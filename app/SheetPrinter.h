#pragma once

#include <QPageLayout>
#include <QPrinter>
#include <QString>

class SheetFields;

// Printing the payment-order sheet. The sheet is drawn by the same painter
// routine as the document window, in twips, scaled to the printer's
// resolution, so the paper shows what the window shows, at true size and as
// vector output.
namespace SheetPrinter {

// Sets up a freshly made printer for the sheet: the paper the printer has
// by default, upright, the job's name.
void prepare(QPrinter &printer);

// The top-left corner of the printable area on the page as the printer is
// set (paper, orientation), in points from the page's top-left corner.
QPointF printableTopLeft(const QPrinter &printer);

// Prints the sheet with these fields, at true size, as one page of the
// paper and orientation the printer is set to, at the top-left corner of
// the printable area. False when anything fails: no printer, the printer
// gone from the system, the painter refused, or the printer reporting an
// error.
bool print(QPrinter &printer, const SheetFields &fields);

// What the printer-setup dialog may change, so that a cancelled dialog can
// leave the printer exactly as it was.
struct Settings
{
    QPrinter::OutputFormat format = QPrinter::NativeFormat;
    QString printerName;
    QString outputFileName;
    QPageLayout layout;
    QPrinter::ColorMode colorMode = QPrinter::Color;
    QPrinter::DuplexMode duplex = QPrinter::DuplexNone;
    int copies = 1;
    bool collate = true;
    QPrinter::PrintRange printRange = QPrinter::AllPages;
    int fromPage = 0;
    int toPage = 0;
};
Settings settings(const QPrinter &printer);
void restore(QPrinter &printer, const Settings &settings);

} // namespace SheetPrinter
