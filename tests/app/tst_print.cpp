// Printing through a real CUPS server: the private server of the "cups"
// fixture (tests/print/cups-start.sh): its PDF queue that takes any paper
// the default printer, and two office printers without custom sizes, on A4
// and on Letter. Each printed page is read back with poppler's tools and
// with MuPDF (tests/print/pdf-facts.py) and checked: paper, one page, the
// sheet's rectangles at true size and in place, the texts, where they stand
// and how they read back, text rather than a picture.
#include "app/MDIForm1.h"
#include "app/SheetPrinter.h"
#include "app/StartUp.h"
#include "document/Module1.h"
#include "document/SheetPainter.h"
#include "document/DocumentFill.h"
#include "document/Form1.h"
#include "document/SheetLayout.h"
#include "support/TestSupport.h"

#include <QtPrintSupport>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtWidgets>
#include <QtTest>

using TestSupport::MessageBoxAnswerer;

namespace {

constexpr double MmPerPt = 25.4 / 72.0;
constexpr double PtPerTwip = 1.0 / Sheet::TwipsPerPoint;

// A tool's standard output; *exitCode tells how it ended.
QString tool(const QString &program, const QStringList &args, int *exitCode = nullptr)
{
    QProcess p;
    p.start(QStandardPaths::findExecutable(program, { "/usr/bin", "/usr/sbin" }), args);
    const bool finished = p.waitForFinished(60000);
    if (exitCode)
        *exitCode = finished && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The printed page against the sheet: one page of pageMm, no pictures, every caption and field
// text, and words that stand alone at their places (±1 mm).
void checkPage(const QString &pdf, const QPrinter &printer, const SheetFields &fields, QSizeF pageMm)
{
    const QString info = tool("pdfinfo", { pdf });
    QVERIFY2(info.contains(QRegularExpression("^Pages:\\s+1$", QRegularExpression::MultilineOption)),
             qPrintable(info));
    const auto size = QRegularExpression("Page size:\\s+([\\d.]+) x ([\\d.]+) pts").match(info);
    const QSizeF mm = QSizeF(size.captured(1).toDouble(), size.captured(2).toDouble()) * MmPerPt;
    QVERIFY2(qAbs(mm.width() - pageMm.width()) <= 1 && qAbs(mm.height() - pageMm.height()) <= 1,
             qPrintable(QString("page %1 x %2 mm").arg(mm.width()).arg(mm.height())));
    // Vector text, not a screen grab: no image, only the list's two header lines.
    QCOMPARE(tool("pdfimages", { "-list", pdf }).count('\n'), 2);

    const QString text = tool("pdftotext", { "-raw", pdf, "-" }).simplified();
    const QString bbox = tool("pdftotext", { "-bbox", pdf, "-" });
    const QPointF origin = SheetPrinter::printableTopLeft(printer);
    int placed = 0;
    for (const Sheet::Text &t : Sheet::texts()) {
        const QString s = (t.field == Sheet::Field::None ? t.text : fields.text(t.field)).simplified();
        if (!s.contains(QRegularExpression("\\w")))
            continue; // empty, or only the quotation marks of a blank day
        QVERIFY2(text.contains(s), qPrintable(QString("%1 \"%2\" missing").arg(t.name, s)));
        // A left-aligned text's first word at the left edge, a centred single
        // word in the middle; the letters' top at the element's top.
        const QString word = s.section(' ', 0, 0);
        const bool centred = t.align & Qt::AlignHCenter;
        if (word.size() < 3 || text.count(word) != 1 || (centred && word != s))
            continue;
        const auto m = QRegularExpression(QString("xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\"[^>]*>%1<")
                                                  .arg(QRegularExpression::escape(word.toHtmlEscaped())))
                               .match(bbox);
        const double x = centred ? (m.captured(1).toDouble() + m.captured(3).toDouble()) / 2 : m.captured(1).toDouble();
        const QPointF at(x, m.captured(2).toDouble());
        const QPointF expected = origin + QPointF(t.left + (centred ? t.width / 2.0 : 0), t.top) / Sheet::TwipsPerPoint;
        QVERIFY2(m.hasMatch() && qAbs(at.x() - expected.x()) <= 1 / MmPerPt && qAbs(at.y() - expected.y()) <= 1 / MmPerPt,
                 qPrintable(QString("%1 \"%2\" at %3, %4 pt").arg(t.name, word).arg(at.x()).arg(at.y())));
        ++placed;
    }
    QVERIFY2(placed >= 10, qPrintable(QString("only %1 texts placed").arg(placed)));
}


// What MuPDF reads from the first page of a printed PDF (pdf-facts.py).
struct PageFacts
{
    int pages = 0;
    QSizeF size;     // points, as the page is shown
    int rotation = 0;
    QString text;
    struct Stroke
    {
        QRectF path;
        double width; // NaN: not known
        // The stroke's outer edge; an unknown width taken as `drawn`.
        QRectF outer(double drawn) const
        {
            const double w = qIsNaN(width) ? drawn : width;
            return path.adjusted(-w / 2, -w / 2, w / 2, w / 2);
        }
    };
    QList<Stroke> strokes;
    struct Glyph { QChar c; QRectF box; double baseline; };
    QList<Glyph> glyphs;
};

PageFacts readBack(const QString &pdf)
{
    int code = -1;
    const QString json = tool("/usr/bin/python3",
                              { qEnvironmentVariable("VEXA_SOURCE_DIR") + "/tests/print/pdf-facts.py", pdf }, &code);
    PageFacts f;
    if (code != 0)
        return f;
    const QJsonObject o = QJsonDocument::fromJson(json.toUtf8()).object();
    f.pages = o["pages"].toInt();
    f.size = QSizeF(o["width"].toDouble(), o["height"].toDouble());
    f.rotation = o["rotation"].toInt();
    f.text = o["text"].toString();
    for (const QJsonValue &v : o["strokes"].toArray()) {
        const QJsonArray a = v.toArray();
        f.strokes.append({ QRectF(QPointF(a[0].toDouble(), a[1].toDouble()), QPointF(a[2].toDouble(), a[3].toDouble())),
                           a[4].isNull() ? qQNaN() : a[4].toDouble() });
    }
    for (const QJsonValue &v : o["chars"].toArray()) {
        const QJsonArray a = v.toArray();
        f.glyphs.append({ a[0].toString().at(0),
                          QRectF(QPointF(a[1].toDouble(), a[2].toDouble()), QPointF(a[3].toDouble(), a[4].toDouble())),
                          a[5].toDouble() });
    }
    return f;
}

// The page as it is read once turned a quarter clockwise: a landscape page
// that CUPS laid on upright paper.
PageFacts turnedToLandscape(PageFacts page)
{
    const double h = page.size.height();
    const auto turn = [h](const QRectF &r) {
        return QRectF(QPointF(h - r.bottom(), r.left()), QPointF(h - r.top(), r.right()));
    };
    for (PageFacts::Stroke &s : page.strokes)
        s.path = turn(s.path);
    for (PageFacts::Glyph &g : page.glyphs) {
        g.box = turn(g.box);
        g.baseline = qQNaN(); // no longer across the page
    }
    page.size.transpose();
    return page;
}

// A sheet position in twips on the printed page, in points.
QRectF onPage(QPointF origin, double left, double top, double width, double height)
{
    return QRectF(origin + QPointF(left, top) * PtPerTwip, QSizeF(width, height) * PtPerTwip);
}

// The sheet's origin on the page, from its top-right empty box: the outer
// edge of the stroke that has that box's size.
QPointF sheetOrigin(const PageFacts &page)
{
    const Sheet::Rect &box = Sheet::rects().first(); // Shape1(8)
    const QSizeF size = QSizeF(box.width, box.height) * PtPerTwip;
    const double drawn = box.borderPixels * Sheet::TwipsPerPixel * PtPerTwip;
    for (const PageFacts::Stroke &s : page.strokes) {
        const QRectF outer = s.outer(drawn);
        if (qAbs(outer.width() - size.width()) < 0.3 && qAbs(outer.height() - size.height()) < 0.3)
            return outer.topLeft() - QPointF(box.left, box.top) * PtPerTwip;
    }
    return QPointF(-1000, -1000);
}

// Prints the document window's fields through the printer-setup dialog's
// choice of queue (and landscape when asked), then Print; the queue's
// output once the job is through.
void printOn(MDIForm1 &main, const QString &queue, bool landscape)
{
    MessageBoxAnswerer answerer;
    auto printed = qScopeGuard([&] {
        main.mnuPrint_Click();
        QVERIFY2(answerer.seen.isEmpty(), qPrintable(answerer.seen.value(0).text));
    });
    if (queue.isEmpty())
        return; // the default printer as it is
    auto *when = TestSupport::whenModal<QPrintDialog>([&](QPrintDialog *dialog) {
        auto accept = qScopeGuard([&] { dialog->accept(); });
        auto *printers = dialog->findChild<QComboBox *>("printers");
        printers->setCurrentIndex(printers->findText(queue));
        QCOMPARE(printers->currentText(), queue);
        if (!landscape)
            return;
        // The printer's own properties, as a user opens them: the
        // orientation on its page tab.
        TestSupport::WhenModal properties([&](QWidget *w) {
            if (w == dialog)
                return false;
            auto *radio = w->findChild<QRadioButton *>("landscape");
            if (radio)
                radio->click();
            QMetaObject::invokeMethod(w, "accept");
            return radio != nullptr;
        });
        dialog->findChild<QPushButton *>("properties")->click();
        QVERIFY(properties.done());
    });
    main.mnuPrintSetup_Click();
    QVERIFY(when->done());
    delete when;
}

// Waits until the queue is empty and its output file is there.
bool printedOut(const QString &queue, const QString &output)
{
    int code = 0;
    for (int i = 0; i < 600; ++i) {
        if (tool("lpstat", { "-o", queue }, &code).trimmed().isEmpty() && code == 0 && QFileInfo(output).size() > 0)
            return true;
        QTest::qWait(100);
    }
    return false;
}

// The sheet's text elements as the page shows them, with the glyphs drawn
// inside each, in reading order.
struct ElementOnPage
{
    const Sheet::Text *element;
    QRectF box;
    QList<PageFacts::Glyph> glyphs;
    // The lines joined with the blank they were wrapped at.
    QString text() const
    {
        QString s;
        for (int i = 0; i < glyphs.size(); ++i) {
            if (i > 0 && qAbs(glyphs[i].baseline - glyphs[i - 1].baseline) > 1 && !s.endsWith(' '))
                s += ' ';
            s += glyphs[i].c;
        }
        return s;
    }
    // Each line's text and its width from the first glyph's left to the
    // last one's right.
    QList<QPair<QString, double>> lines() const
    {
        QList<QPair<QString, double>> result;
        double left = 0;
        for (int i = 0; i < glyphs.size(); ++i) {
            if (i == 0 || qAbs(glyphs[i].baseline - glyphs[i - 1].baseline) > 1) {
                result.append({ QString(), 0 });
                left = glyphs[i].box.left();
            }
            result.last().first += glyphs[i].c;
            if (!glyphs[i].c.isSpace())
                result.last().second = glyphs[i].box.right() - left;
        }
        for (auto &line : result)
            line.first = line.first.trimmed();
        return result;
    }
};


// The test order of the printing tests.
OrderRecord testOrder()
{
    return { "7", "1234,56", "Ромашка ПП", "12345678", "АТ КБ Приватбанк", "305299", "26001234567890",
             "Оплата за папiр офiсний згiдно рахунку № 15 вiд 01.03.2026, у тому числi ПДВ 205,76 грн.",
             "07.03.2026" };
}

Requisites testRequisites()
{
    return { "Вексарон-Трейд ТОВ", "87654321", "АТ Ощадбанк", "300465", "2600400001" };
}

// A text's width in its element's font as designed, in twips.
double naturalWidth(const Sheet::Text &t, const QString &text)
{
    return QFontMetricsF(Sheet::font(t.face, t.points, t.bold)).horizontalAdvance(text);
}

// Words from the list, repeated, until the text is `times` as wide as the
// element's box (within half a per cent).
QString asWideAs(const Sheet::Text &t, double times, const QStringList &words)
{
    QString text;
    for (int i = 0; naturalWidth(t, text) < t.width * times; ++i)
        text += (text.isEmpty() ? "" : " ") + words[i % words.size()];
    while (naturalWidth(t, text) > t.width * (times + 0.005))
        text.chop(1);
    return text;
}

// The twelve-digit amount whose words are the longest: the longest group of
// three digits for each place.
QString longestAmount()
{
    QString digits;
    for (int place = 3; place >= 0; --place) {
        int best = 0;
        qsizetype longest = -1;
        for (int group = 1; group < 1000; ++group) {
            const qsizetype length
                    = Module1::AmountToWords(QString::number(group) + QString(3 * place, '0')).size();
            if (length > longest) {
                longest = length;
                best = group;
            }
        }
        digits += QString::number(best).rightJustified(3, '0');
    }
    return digits + ",99";
}

// Sorts the page's glyphs into the text elements whose boxes hold them:
// a glyph's advance across, the face's ascent and descent up and down, or,
// for a mark with no ink below its baseline, up to the baseline. Names the
// first glyph that lies in no box.
QString sortIntoElements(const PageFacts &page, QPointF origin, QList<ElementOnPage> *elements)
{
    for (const Sheet::Text &t : Sheet::texts())
        elements->append({ &t, onPage(origin, t.left, t.top, t.width, t.height), {} });
    for (const PageFacts::Glyph &g : page.glyphs) {
        const bool blank = g.c.isSpace(); // no ink; MuPDF also puts blanks of its own between texts
        const bool inkAboveBaseline = QString("\"'").contains(g.c);
        const QRectF ink = inkAboveBaseline ? QRectF(g.box.topLeft(), QPointF(g.box.right(), g.baseline)) : g.box;
        auto inside = std::find_if(elements->begin(), elements->end(), [&](const ElementOnPage &e) {
            return blank ? e.box.contains(g.box.center()) : e.box.adjusted(-0.05, -0.05, 0.05, 0.05).contains(ink);
        });
        if (inside != elements->end())
            inside->glyphs.append(g);
        else if (!blank)
            return QString("\"%1\" at %2, %3 - %4, %5 pt is in no box")
                    .arg(g.c).arg(g.box.left()).arg(g.box.top()).arg(g.box.right()).arg(g.box.bottom());
    }
    for (ElementOnPage &e : *elements)
        while (!e.glyphs.isEmpty() && e.glyphs.last().c.isSpace())
            e.glyphs.removeLast();
    return QString();
}

// What is wrong with how an element shows its text, if anything: whole and
// in order unless cut at a blank; never condensed below the floor, except
// the amount in words; a condensed line no narrower than it needs, so
// filling its box.
QString condensingFault(const ElementOnPage &e, const QString &whole)
{
    const Sheet::Text &t = *e.element;
    const QString shown = e.text();
    if (shown.trimmed().isEmpty())
        return QString();
    if (shown != whole && !(whole.startsWith(shown) && whole.at(shown.size()) == ' '))
        return QString("%1 shows \"%2\"").arg(t.name, shown);
    double ink = 0, natural = 0;
    for (const auto &line : e.lines()) {
        ink += line.second;
        natural += naturalWidth(t, line.first) * PtPerTwip;
    }
    const double stretch = ink / natural;
    if (t.field != Sheet::Field::AmountInWords && stretch < Sheet::CondenseFloor / 100.0 - 0.005)
        return QString("%1 at %2").arg(t.name).arg(stretch);
    if (stretch < 0.995 && shown == whole && e.lines().size() == 1 && ink < e.box.width() * 0.98)
        return QString("%1 at %2 fills %3 of %4 pt").arg(t.name).arg(stretch).arg(ink).arg(e.box.width());
    return QString();
}
} // namespace

class TestPrint : public QObject
{
    Q_OBJECT
    QString m_dir = qEnvironmentVariable("VEXA_CUPS_DIR");
    QString m_queue = qEnvironmentVariable("VEXA_CUPS_QUEUE");
    QString m_output = m_dir + "/out/print.pdf";

private slots:
    void initTestCase()
    {
        qunsetenv("LPDEST"); // nothing but the private server's default chooses the printer
        qunsetenv("PRINTER");
        QFile unavailable(m_dir + "/unavailable");
        const QString problem = m_queue.isEmpty() ? "not run under the ctest fixture \"cups\""
                : unavailable.open(QIODevice::ReadOnly) ? QString::fromUtf8(unavailable.readAll())
                : QPrinterInfo::defaultPrinterName() != m_queue ? "the default printer is not " + m_queue
                                                               : QString();
        if (problem.isEmpty())
            return;
        if (qEnvironmentVariableIsSet("CI")) // there the server must be there
            QFAIL(qPrintable("CUPS is needed: " + problem));
        QSKIP(qPrintable("CUPS not available: " + problem));
    }

    void sheetOnThePrintersPaper_data()
    {
        QTest::addColumn<QString>("queue");
        QTest::addColumn<QString>("output");
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<QSizeF>("paper");      // points, as the page stands
        QTest::addColumn<QPointF>("printable"); // the printable area's top-left corner, points
        // The generic printer's margins: 18 pt at the sides, 36 pt at top and bottom.
        QTest::newRow("A4, no custom sizes") << "VexaA4" << "A4.pdf" << false << QSizeF(595, 842) << QPointF(18, 36);
        QTest::newRow("Letter, no custom sizes") << "VexaLetter" << "Letter.pdf" << false << QSizeF(612, 792)
                                                 << QPointF(18, 36);
        // Turned to landscape: 36 pt at the sides, 18 pt at top and bottom.
        QTest::newRow("A4 landscape") << "VexaA4" << "A4.pdf" << true << QSizeF(842, 595) << QPointF(36, 18);
        QTest::newRow("custom sizes, A4 by default") << m_queue << "print.pdf" << false << QSizeF(595, 842)
                                                     << QPointF(0, 0);
        QTest::newRow("no setup: the default printer") << "" << "print.pdf" << false << QSizeF(595, 842)
                                                       << QPointF(0, 0);
    }

    // The sheet on one page of the paper the printer-setup dialog left,
    // upright, at true size, its top-left corner at the printable area's;
    // its text reads back with the blanks it has.
    void sheetOnThePrintersPaper()
    {
        QFETCH(QString, queue);
        QFETCH(QString, output);
        QFETCH(bool, landscape);
        QFETCH(QSizeF, paper);
        QFETCH(QPointF, printable);
        output = m_dir + "/out/" + output;
        QFile::remove(output);

        TestSupport::ProgramFolder folder;
        MDIForm1 main(folder.path());
        QVERIFY(main.MDIForm_Load());
        main.show();
        main.showDocumentWindow();
        DocumentFill::fill(*main.documentWindow(), testOrder(), testRequisites());
        printOn(main, queue, landscape);
        if (QTest::currentTestFailed())
            return;
        QVERIFY2(printedOut(queue.isEmpty() ? m_queue : queue, output), "the print job did not come out of the queue");

        const PageFacts printed = readBack(output);
        QCOMPARE(printed.pages, 1);
        // The paper comes out upright; a landscape page lies turned on it.
        QCOMPARE(printed.size.width() < printed.size.height(), true);
        const PageFacts page = landscape ? turnedToLandscape(printed) : printed;
        QVERIFY2(qAbs(page.size.width() - paper.width()) <= 1 && qAbs(page.size.height() - paper.height()) <= 1,
                 qPrintable(QString("page %1 x %2 pt").arg(page.size.width()).arg(page.size.height())));
        const QPointF origin = sheetOrigin(page);
        QVERIFY2(QLineF(origin, printable).length() <= 0.5 / MmPerPt,
                 qPrintable(QString("sheet at %1, %2 pt").arg(origin.x()).arg(origin.y())));
        // Every rectangle at its place and size, its border as thick as drawn.
        constexpr double within = 0.1 / MmPerPt;
        for (const Sheet::Rect &r : Sheet::rects()) {
            const QRectF expected = onPage(origin, r.left, r.top, r.width, r.height);
            const double drawn = r.borderPixels * Sheet::TwipsPerPixel * PtPerTwip;
            const bool found = std::any_of(page.strokes.begin(), page.strokes.end(), [&](const PageFacts::Stroke &s) {
                const QRectF outer = s.outer(drawn);
                return qAbs(outer.left() - expected.left()) <= within && qAbs(outer.top() - expected.top()) <= within
                        && qAbs(outer.right() - expected.right()) <= within
                        && qAbs(outer.bottom() - expected.bottom()) <= within
                        && (qIsNaN(s.width) || qAbs(s.width - drawn) < 0.05);
            });
            QVERIFY2(found, qPrintable(r.name));
        }
        // Blanks read back as blanks; the Latin I of the heading as drawn.
        QVERIFY2(page.text.contains("ПЛАТIЖНЕ ДОРУЧЕННЯ  №"), qPrintable(page.text));
        QVERIFY2(page.text.contains("Одержано банком"), qPrintable(page.text));
        QVERIFY2(page.text.contains("Оплата за папiр офiсний"), qPrintable(page.text));
        QVERIFY(!page.text.contains('\t'));
    }

    // Texts wider than their boxes: condensed just enough, wrapped only
    // below the floor, never outside the box; an account, a code and the
    // amount in words always whole.
    void longTextsStayInTheirBoxes()
    {
        const Sheet::Text &bank = Sheet::elementFor(Sheet::Field::RecipientBank);
        const Sheet::Text &name = Sheet::elementFor(Sheet::Field::RecipientName);
        const QString iban = "UA213223130000026007233566001", code = "3012345678";
        const QString bankName = asWideAs(bank, 1.05, { "Акцiонерне", "товариство", "«Державний", "ощадний", "банк",
                                                        "України»,", "фiлiя", "Головне", "управлiння", "по", "м.Києву" });
        const QString recipient = asWideAs(name, 1.6, { "Товариство", "з", "обмеженою", "вiдповiдальнiстю",
                                                        "«Вексарон-Трейд", "Схiд»" });
        OrderRecord order = testOrder();
        order.suma = longestAmount();
        order.oderz = recipient;
        order.idoderz = code;
        order.bank = bankName;
        order.kredit = iban;
        Requisites requisites = testRequisites();
        requisites.kodfirma = code;
        requisites.rsbank = iban;

        const QString output = m_dir + "/out/print.pdf";
        QFile::remove(output);
        TestSupport::ProgramFolder folder;
        MDIForm1 main(folder.path());
        QVERIFY(main.MDIForm_Load());
        main.show();
        main.showDocumentWindow();
        DocumentFill::fill(*main.documentWindow(), order, requisites);
        const SheetFields fields = main.documentWindow()->fields();
        MessageBoxAnswerer answerer;
        main.mnuPrint_Click();
        QVERIFY(answerer.seen.isEmpty());
        QVERIFY2(printedOut(m_queue, output), "the print job did not come out of the queue");
        const PageFacts page = readBack(output);
        QList<ElementOnPage> elements;
        const QString stray = sortIntoElements(page, sheetOrigin(page), &elements);
        QVERIFY2(stray.isEmpty(), qPrintable(stray));
        for (const ElementOnPage &e : elements) {
            const Sheet::Text &t = *e.element;
            const QString fault = condensingFault(e, t.field == Sheet::Field::None ? t.text : fields.text(t.field));
            QVERIFY2(fault.isEmpty(), qPrintable(fault));
        }
        const auto shown = [&](Sheet::Field f) {
            return std::find_if(elements.begin(), elements.end(), [&](const ElementOnPage &e) {
                return e.element->field == f;
            })->text();
        };
        QCOMPARE(shown(Sheet::Field::DebitAccount), iban);
        QCOMPARE(shown(Sheet::Field::CreditAccount), iban);
        QCOMPARE(shown(Sheet::Field::PayerCode), code);
        QCOMPARE(shown(Sheet::Field::RecipientCode), code);
        QCOMPARE(shown(Sheet::Field::RecipientBank), bankName);
        QCOMPARE(shown(Sheet::Field::AmountInWords), fields.text(Sheet::Field::AmountInWords));
        QVERIFY(recipient.startsWith(shown(Sheet::Field::RecipientName) + " "));
    }

    void printsFilledOrder_data()
    {
        QTest::addColumn<QString>("setup"); // what the print dialog was left on first: "file", "queue"; empty: not opened
        QTest::addColumn<bool>("accept");
        QTest::newRow("menu item") << "" << false; // the row tests/print/printed-page.sh runs
        QTest::newRow("set up: print to a PDF file") << "file" << true;
        QTest::newRow("set up: another queue, then lost") << "queue" << true;
        QTest::newRow("set up, cancelled") << "file" << false;
    }

    // Print leaves the screen and the status as they were. What the print
    // dialog leaves chosen is what the next Print uses; a cancelled dialog
    // changes nothing. A chosen queue since removed from the system is no printer.
    void printsFilledOrder()
    {
        QFETCH(QString, setup);
        QFETCH(bool, accept);
        const QString second = "VexaSecond", secondOutput = m_dir + "/out/second.pdf";
        QTemporaryDir scratch;
        const QString file = scratch.filePath("chosen.pdf");
        QFile::remove(secondOutput);
        QFile::remove(m_output);
        int code = 0;
        if (setup == "queue")
            tool("lpadmin", { "-p", second, "-E", "-v", "file://" + secondOutput, "-P", m_dir + "/etc/pdf-queue.ppd" },
                 &code);
        QCOMPARE(code, 0);
        auto removeQueue = qScopeGuard([&] { tool("lpadmin", { "-x", second }); });

        TestSupport::ProgramFolder folder;
        MDIForm1 main(folder.path());
        QVERIFY(main.MDIForm_Load());
        main.show();
        main.showDocumentWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        DocumentFill::fill(*main.documentWindow(), { "7", "1234,56", "Ромашка ПП", "12345678", "АТ КБ Приватбанк",
            "305299", "26001234567890", "Оплата за папiр офiсний згiдно рахунку № 15 вiд 01.03.2026, у тому числi "
            "ПДВ 205,76 грн.", "07.03.2026" }, { "Вексарон-Трейд ТОВ", "87654321", "АТ Ощадбанк", "300465", "2600400001" });
        if (!setup.isEmpty()) {
            auto *when = TestSupport::whenModal<QPrintDialog>([&](QPrintDialog *dialog) {
                auto close = qScopeGuard([&] { accept ? dialog->accept() : dialog->reject(); });
                auto *printers = dialog->findChild<QComboBox *>("printers");
                printers->setCurrentIndex(setup == "file" ? printers->count() - 1 : printers->findText(second));
                QVERIFY(printers->currentText().contains(setup == "file" ? "PDF" : second));
                if (setup == "file")
                    dialog->findChild<QLineEdit *>("filename")->setText(file);
            }, this);
            main.mnuPrintSetup_Click();
            QVERIFY(when->done());
        }
        const SheetFields shown = main.documentWindow()->fields();
        main.setStatusText("Сохранено");

        MessageBoxAnswerer answerer;
        main.findChild<QAction *>("mnuPrint")->trigger();
        QVERIFY2(answerer.seen.isEmpty(), qPrintable(answerer.seen.value(0).text));
        QCOMPARE(main.statusText(), QString("Сохранено"));
        QCOMPARE(main.documentWindow()->fields(), shown);
        const QString out = !accept ? m_output : setup == "file" ? file : secondOutput;
        QTRY_VERIFY2_WITH_TIMEOUT(tool("lpstat", { "-o", setup == "queue" ? second : m_queue }, &code).trimmed().isEmpty()
                                          && code == 0 && QFileInfo(out).size() > 0,
                                  "the print job did not come out of the queue", 60000);
        for (const QString &other : { m_output, file, secondOutput })
            QVERIFY2(other == out || !QFileInfo::exists(other), qPrintable(other));
        // The printer's own paper, or the paper the dialog left.
        const QSizeF paper = main.printer().pageLayout().fullRect(QPageLayout::Millimeter).size();
        checkPage(out, main.printer(), shown, paper);

        const QString keep = qEnvironmentVariable("VEXA_KEEP_PRINT"); // tests/print/printed-page.sh
        if (!keep.isEmpty() && setup.isEmpty()) {
            QFile::remove(keep);
            QVERIFY(QFile::copy(m_output, keep));
        }
        if (setup != "queue")
            return;
        tool("lpadmin", { "-x", second }, &code);
        QCOMPARE(code, 0);
        main.mnuPrint_Click();
        QCOMPARE(answerer.single(), QString("Vexaron|error|1|Нет связи с принтером."));
    }

    // Qt's own printer dialog speaks Russian like the rest of the program
    // (last: the translation stays loaded for the rest of the run).
    void printerDialogInRussian()
    {
        QVERIFY2(loadToolkitTranslations(), "qt6-translations-l10n is not installed");
        TestSupport::ProgramFolder folder;
        MDIForm1 main(folder.path());
        QVERIFY(main.MDIForm_Load());
        main.show();
        QString title, properties;
        auto *when = TestSupport::whenModal<QPrintDialog>([&](QPrintDialog *dialog) {
            title = dialog->windowTitle();
            properties = dialog->findChild<QPushButton *>("properties")->text();
            dialog->reject();
        }, this);
        main.mnuPrintSetup_Click();
        QVERIFY(when->done());
        QCOMPARE(title, QString("Печать"));
        QCOMPARE(properties.remove('&'), QString("Свойства"));
        QCOMPARE(main.statusText(), QString("Настройка"));
    }
};

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
