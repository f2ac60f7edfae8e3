// Printing through the private CUPS server of the "cups" fixture
// (tests/print/cups-start.sh): its default PDF queue takes any paper, VexaA4
// and VexaLetter take standard sizes only. Each printed page is read back
// with MuPDF (tests/print/pdf-facts.py) and checked: one page of the paper,
// drawn rather than a picture, the sheet's rectangles at true size at the
// printable area's corner, every glyph inside its element's box, every text
// whole (a long one condensed, a longer one cut), and the text read back.
#include "document/DocumentFill.h"
#include "document/Form1.h"
#include "document/SheetPainter.h"
#include "support/RunningProgram.h"

#include <QtPrintSupport>
#include <QtWidgets>
#include <QtTest>

namespace {

constexpr double PtPerMm = 72 / 25.4;
constexpr double PtPerTwip = 1.0 / Sheet::TwipsPerPoint;

// A system tool's run: whether it ended well, and its standard output.
std::pair<bool, QString> tool(const QString &program, const QStringList &args)
{
    return TestSupport::run(QStandardPaths::findExecutable(program, { "/usr/bin", "/usr/sbin" }), args, false);
}

struct Stroke { QRectF path; double width; }; // width NaN: not known
struct Glyph { QChar c; QRectF box; double baseline; };
// What MuPDF reads from the first page, in points as the page is shown.
struct Page
{
    int pages = 0;
    QSizeF size;
    QString text;
    QList<Stroke> strokes;
    QList<Glyph> glyphs;
};

Page readBack(const QString &pdf)
{
    // Also run by tests/print/printed-page.sh, without the test's environment.
    const QJsonObject o = QJsonDocument::fromJson(tool("python3", { VEXA_PDF_FACTS, pdf }).second.toUtf8()).object();
    Page page { o["pages"].toInt(), QSizeF(o["width"].toDouble(), o["height"].toDouble()),
                o["text"].toString(), {}, {} };
    const auto rect = [](const QJsonValue &a, int i) {
        return QRectF(QPointF(a[i].toDouble(), a[i + 1].toDouble()),
                      QPointF(a[i + 2].toDouble(), a[i + 3].toDouble()));
    };
    for (const QJsonValue &v : o["strokes"].toArray())
        page.strokes.append({ rect(v, 0), v[4].isNull() ? qQNaN() : v[4].toDouble() });
    for (const QJsonValue &v : o["chars"].toArray())
        page.glyphs.append({ v[0].toString().at(0), rect(v, 1), v[5].toDouble() });
    return page;
}

// A landscape page as it reads once turned a quarter clockwise off the
// upright paper CUPS laid it on. The glyphs' baselines no longer run across.
void turnToLandscape(Page &page)
{
    const double h = page.size.height();
    for (Stroke &s : page.strokes)
        s.path = QRectF(QPointF(h - s.path.bottom(), s.path.left()), QPointF(h - s.path.top(), s.path.right()));
    page.glyphs.clear();
    page.size.transpose();
}

// The rectangle of the sheet whose stroke is not on the page at its place
// and size (±0.1 mm), as thick as drawn; empty when all are there.
QString missingRectangle(const Page &page, QPointF origin)
{
    for (const Sheet::Rect &r : Sheet::rects()) {
        const QRectF expected(origin + QPointF(r.left, r.top) * PtPerTwip, QSizeF(r.width, r.height) * PtPerTwip);
        const double drawn = r.borderPixels * Sheet::TwipsPerPixel * PtPerTwip;
        if (std::none_of(page.strokes.begin(), page.strokes.end(), [&](const Stroke &s) {
            const double w = qIsNaN(s.width) ? drawn : s.width; // the border's outer edge
            const QRectF outer = s.path.adjusted(-w / 2, -w / 2, w / 2, w / 2);
            return QLineF(outer.topLeft(), expected.topLeft()).length() <= 0.1 * PtPerMm
                    && QLineF(outer.bottomRight(), expected.bottomRight()).length() <= 0.1 * PtPerMm
                    && qAbs(w - drawn) < 0.05;
            }))
            return r.name;
    }
    return QString();
}

// What is wrong with the printed texts, if anything: every glyph with ink
// lies in an element's box (a mark with no ink below its baseline, up to the
// baseline), and each element shows its whole text (blanks aside: MuPDF
// adds its own); only `cut`, too long for its box even condensed, may show
// just the beginning that fits.
QString textFault(const Page &page, QPointF origin, const Form1 &document, Sheet::Field cut)
{
    const auto &texts = Sheet::texts();
    QStringList shown(texts.size());
    for (const Glyph &g : page.glyphs) {
        QRectF ink = g.box;
        if (QString("\"'").contains(g.c))
            ink.setBottom(g.baseline);
        const auto in = std::find_if(texts.begin(), texts.end(), [&](const Sheet::Text &t) {
            const QRectF box(origin + QPointF(t.left, t.top) * PtPerTwip, QSizeF(t.width, t.height) * PtPerTwip);
            return box.adjusted(-0.05, -0.05, 0.05, 0.05).contains(ink);
        });
        if (in == texts.end() && !g.c.isSpace())
            return QString("\"%1\" at %2, %3 pt is in no box").arg(g.c).arg(g.box.left()).arg(g.box.top());
        if (!g.c.isSpace())
            shown[in - texts.begin()] += g.c;
    }
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const Sheet::Text &t = texts[i];
        const QString whole = QString(t.field == Sheet::Field::None ? t.text : document.field(t.field)).remove(' ');
        if (whole.contains(QRegularExpression("\\w")) && shown[i] != whole // not only the quotes of a blank day
            && !(t.field == cut && cut != Sheet::Field::None && !shown[i].isEmpty() && whole.startsWith(shown[i])))
            return QString("%1 shows \"%2\"").arg(t.name, shown[i]);
    }
    return QString();
}

} // namespace

class TestPrint : public QObject
{
    Q_OBJECT
    QString m_dir = qEnvironmentVariable("VEXA_CUPS_DIR");
    QString m_queue = qEnvironmentVariable("VEXA_CUPS_QUEUE");

private slots:
    void initTestCase()
    {
        qunsetenv("LPDEST"); // nothing but the private server's default chooses the printer
        qunsetenv("PRINTER");
        QFile unavailable(m_dir + "/unavailable"); // the server's start said why it could not
        const QString problem = m_queue.isEmpty() ? "not run under the ctest fixture \"cups\""
                : unavailable.open(QIODevice::ReadOnly) ? QString::fromUtf8(unavailable.readAll()) : QString();
        if (!problem.isEmpty() && qEnvironmentVariableIsSet("CI")) // there the server must be there
            QFAIL(qPrintable("CUPS is needed: " + problem));
        if (!problem.isEmpty())
            QSKIP(qPrintable("CUPS not available: " + problem));
        QCOMPARE(QPrinterInfo::defaultPrinterName(), m_queue);
    }

    void printsFilledOrder_data()
    {
        QTest::addColumn<QString>("setup");     // the printer-setup dialog's sessions, each a queue or "file",
                                                // then "landscape" or "cancelled"
        QTest::addColumn<bool>("longTexts");    // texts wider than their boxes
        QTest::addColumn<QString>("output");    // the one file printed
        QTest::addColumn<QSizeF>("paper");      // points, as the page stands
        QTest::addColumn<QPointF>("printable"); // the printable area's top-left corner: the sheet's, points
        const QSizeF a4(595, 842);
        QTest::newRow("menu item") << "" << false << "print.pdf" << a4 << QPointF(0, 0);
        QTest::newRow("long texts") << "" << true << "print.pdf" << a4 << QPointF(0, 0);
        // The generic printer's margins: 18 pt at the sides, 36 pt at top and bottom.
        QTest::newRow("A4, no custom sizes") << "VexaA4" << false << "A4.pdf" << a4 << QPointF(18, 36);
        QTest::newRow("A4 landscape") << "VexaA4 landscape" << false << "A4.pdf" << a4.transposed()
                                      << QPointF(36, 18);
        QTest::newRow("print to a PDF file") << "file" << false << "chosen.pdf" << a4 << QPointF(0, 0);
        QTest::newRow("Letter, then a file cancelled") << "VexaLetter, file cancelled" << false << "Letter.pdf"
                                                       << QSizeF(612, 792) << QPointF(18, 36);
        QTest::newRow("another queue, then lost") << "VexaSecond" << false << "Second.pdf" << a4 << QPointF(0, 0);
    }

    // What the printer-setup dialog leaves chosen is what Print uses; a
    // cancelled dialog changes nothing; a queue since removed is no printer.
    void printsFilledOrder()
    {
        QFETCH(QString, setup);
        QFETCH(bool, longTexts);
        QFETCH(QString, output);
        QFETCH(QSizeF, paper);
        QFETCH(QPointF, printable);
        const bool landscape = setup.contains("landscape");
        QTemporaryDir scratch;
        const QString path = output == "chosen.pdf" ? scratch.filePath(output) : m_dir + "/out/" + output;
        for (const QString &old : QDir(m_dir + "/out").entryList(QDir::Files))
            QVERIFY(QFile::remove(m_dir + "/out/" + old));
        QVERIFY(setup != "VexaSecond" || QProcess::execute("/usr/sbin/lpadmin", { "-p", setup, "-E", "-v",
                "file://" + m_dir + "/out/Second.pdf", "-P", m_dir + "/etc/pdf-queue.ppd" }) == 0);

        OrderRecord order { "7", "1234,56", "Ромашка ПП", "12345678", "АТ КБ Приватбанк", "305299", "2600123456",
                            "Оплата за папiр офiсний згiдно рахунку № 15 вiд 01.03.2026, у т.ч. ПДВ 205,76 грн.",
                            "07.03.2026" };
        Requisites requisites { "Вексарон-Трейд ТОВ", "87654321", "АТ Ощадбанк", "300465", "2600400001" };
        if (longTexts) { // wider than their boxes: a bank (1.15 times, condensed), a recipient (1.7 times,
                         // wrapped and cut), the longest amount in words (condensed as far as it needs)
            order.kredit = requisites.rsbank = "UA213223130000026007233566001";
            order.idoderz = requisites.kodfirma = "3012345678";
            order.bank = "Акцiонерне товариство «Державний ощадний банк України»";
            order.oderz = "Товариство з обмеженою вiдповiдальнiстю «Вексарон-Трейд Схiд», вiддiлення у м.Києвi";
            order.suma = "959959954959,99";
        }
        TestSupport::RunningProgram p;
        QVERIFY(p.start());
        p.main.showDocumentWindow();
        DocumentFill::fill(*p.main.documentWindow(), order, requisites);
        for (const QString &session : setup.split(", ", Qt::SkipEmptyParts)) {
            const QString choose = session.section(' ', 0, 0);
            QVERIFY(TestSupport::duringCommand<QPrintDialog>(p.main.findChild<QAction *>("mnuPrintSetup"),
                                                             [&](QPrintDialog *dialog) {
                auto *printers = dialog->findChild<QComboBox *>("printers");
                printers->setCurrentIndex(choose == "file" ? printers->count() - 1 : printers->findText(choose));
                dialog->findChild<QLineEdit *>("filename")->setText(scratch.filePath("chosen.pdf"));
                if (session.endsWith("landscape")) // as the printer's properties set it (Qt's own dialog)
                    dialog->printer()->setPageOrientation(QPageLayout::Landscape);
                session.endsWith("cancelled") ? dialog->reject() : dialog->accept();
            }));
        }
        TestSupport::MessageBoxAnswerer answerer;
        p.main.findChild<QAction *>("mnuPrint")->trigger();
        QVERIFY2(answerer.seen.isEmpty(), qPrintable(answerer.seen.value(0).text));
        QTRY_VERIFY2_WITH_TIMEOUT(QFileInfo(path).size() > 0 && tool("lpstat", { "-o" }) == std::pair(true, QString()),
                                  "the print job did not come out of the queue", 60000);
        QCOMPARE(QDir(m_dir + "/out").entryList(QDir::Files) + QDir(scratch.path()).entryList(QDir::Files),
                 QStringList { output });
        if (const QString keep = qEnvironmentVariable("VEXA_KEEP_PRINT"); !keep.isEmpty()) { // printed-page.sh
            QFile::remove(keep);
            QVERIFY(QFile::copy(path, keep));
        }

        // Drawn, not a picture: only the image list's header.
        QCOMPARE(tool("pdfimages", { "-list", path }).second.count('\n'), 2);
        // Named as the print queue and a PDF reader show it.
        const QString info = tool("pdfinfo", { path }).second;
        QVERIFY2(info.contains(QRegularExpression("Title: +Платежное поручение\nCreator: +Vexaron\n")),
                 qPrintable(info));
        Page page = readBack(path);
        QCOMPARE(page.pages, 1);
        if (landscape)
            turnToLandscape(page);
        QVERIFY2(qAbs(page.size.width() - paper.width()) <= 1 && qAbs(page.size.height() - paper.height()) <= 1,
                 qPrintable(QString("page %1 x %2 pt").arg(page.size.width()).arg(page.size.height())));
        const QString missing = missingRectangle(page, printable); // the sheet at the printable area's corner
        QVERIFY2(missing.isEmpty(), qPrintable(missing));
        // Blanks read back as blanks; the Latin I of the heading as drawn.
        for (const char *text : { "ПЛАТIЖНЕ ДОРУЧЕННЯ  №", "Одержано банком", "Оплата за папiр офiсний" })
            QVERIFY2(page.text.contains(text) && !page.text.contains('\t'), qPrintable(page.text));
        const Sheet::Field cut = longTexts ? Sheet::Field::RecipientName : Sheet::Field::None;
        const QString fault = landscape ? QString() : textFault(page, printable, *p.main.documentWindow(), cut);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));

        if (setup != "VexaSecond")
            return;
        QCOMPARE(QProcess::execute("/usr/sbin/lpadmin", { "-x", setup }), 0);
        p.main.mnuPrint_Click();
        QCOMPARE(answerer.single(), QString("Vexaron|error|1|Нет связи с принтером."));
    }
};

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
