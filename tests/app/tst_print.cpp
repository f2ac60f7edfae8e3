// Printing through a real CUPS server: the private server of the "cups"
// fixture (tests/print/cups-start.sh) with a PDF queue as the default
// printer. Each printed page is read back with poppler's tools and checked:
// size, one page, the texts and where they stand, vector text and lines.
#include "app/MDIForm1.h"
#include "app/SheetPrinter.h"
#include "document/DocumentFill.h"
#include "document/Form1.h"
#include "document/SheetFonts.h"
#include "document/SheetLayout.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

using TestSupport::MessageBoxAnswerer;
using TestSupport::ProgramFolder;

namespace {

constexpr double MmPerTwip = 25.4 / 1440.0;
constexpr double PtPerTwip = 1.0 / 20.0;
constexpr double MmTolerance = 1.0;
constexpr double PtTolerance = MmTolerance * 72.0 / 25.4;

struct Tool
{
    int exitCode = -1;
    QString out;
    QString err;
};

Tool run(const QString &program, const QStringList &arguments)
{
    QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        path = QStandardPaths::findExecutable(program, { QStringLiteral("/usr/sbin"),
                                                        QStringLiteral("/usr/bin") });
    Tool t;
    QProcess p;
    p.start(path.isEmpty() ? program : path, arguments);
    if (!p.waitForFinished(60000)) {
        t.err = QStringLiteral("%1 did not finish: %2").arg(program, p.errorString());
        p.kill();
        p.waitForFinished();
        return t;
    }
    t.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    t.out = QString::fromUtf8(p.readAllStandardOutput());
    t.err = QString::fromUtf8(p.readAllStandardError());
    return t;
}

struct Word
{
    QString text;
    QRectF box; // points, from the page's top-left corner
};

struct PdfPage
{
    int pages = 0;
    QSizeF sizePt;
    QString text; // all text, blanks and line breaks made single blanks
    QList<Word> words;
    int embeddedFonts = 0;
    int images = 0;
    QImage raster; // 96 dots per inch, grey
    QString problem;
};

// Reads a printed PDF back with pdfinfo, pdftotext, pdffonts, pdfimages and
// pdftoppm.
PdfPage readPdf(const QString &path, const QString &scratch)
{
    PdfPage page;
    const Tool info = run(QStringLiteral("pdfinfo"), { path });
    if (info.exitCode != 0) {
        page.problem = QStringLiteral("pdfinfo: ") + info.err;
        return page;
    }
    const QRegularExpression pagesRx(QStringLiteral("^Pages:\\s+(\\d+)"),
                                     QRegularExpression::MultilineOption);
    const QRegularExpression sizeRx(QStringLiteral("^Page size:\\s+([\\d.]+) x ([\\d.]+) pts"),
                                    QRegularExpression::MultilineOption);
    page.pages = pagesRx.match(info.out).captured(1).toInt();
    const auto size = sizeRx.match(info.out);
    page.sizePt = QSizeF(size.captured(1).toDouble(), size.captured(2).toDouble());

    page.text = run(QStringLiteral("pdftotext"), { QStringLiteral("-raw"), path,
                                                   QStringLiteral("-") })
                        .out.simplified();

    const QString bbox = run(QStringLiteral("pdftotext"),
                             { QStringLiteral("-bbox"), path, QStringLiteral("-") })
                                 .out;
    const QRegularExpression wordRx(QStringLiteral(
            "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    for (auto it = wordRx.globalMatch(bbox); it.hasNext();) {
        const auto m = it.next();
        Word w;
        w.box = QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                       QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()));
        w.text = m.captured(5)
                         .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
                         .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
                         .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
                         .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        page.words << w;
    }

    // Table rows follow the dashed line under the header.
    auto rowsAfterHeader = [](const QString &table) {
        const QStringList lines = table.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QStringList rows;
        bool body = false;
        for (const QString &line : lines) {
            if (body)
                rows << line;
            else if (line.startsWith(QStringLiteral("---")))
                body = true;
        }
        return rows;
    };
    // Columns: name, type, encoding, emb, sub, uni, object, ID.
    for (const QString &row : rowsAfterHeader(run(QStringLiteral("pdffonts"), { path }).out)) {
        const QStringList cols = row.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (cols.size() >= 6 && cols.at(cols.size() - 5) == QLatin1String("yes"))
            ++page.embeddedFonts;
    }
    page.images = rowsAfterHeader(run(QStringLiteral("pdfimages"),
                                      { QStringLiteral("-list"), path })
                                          .out)
                          .size();

    const QString prefix = scratch + QStringLiteral("/raster");
    run(QStringLiteral("pdftoppm"), { QStringLiteral("-r"), QStringLiteral("96"),
                                      QStringLiteral("-gray"), QStringLiteral("-png"),
                                      QStringLiteral("-singlefile"), path, prefix });
    page.raster.load(prefix + QStringLiteral(".png"));
    return page;
}

// The first word on the page with this text.
const Word *findWord(const PdfPage &page, const QString &text)
{
    for (const Word &w : page.words)
        if (w.text == text)
            return &w;
    return nullptr;
}

// The order every printing test fills in.
OrderRecord testOrder()
{
    OrderRecord o;
    o.id = QStringLiteral("7");
    o.suma = QStringLiteral("1234,56");
    o.oderz = QStringLiteral("Ромашка ПП");
    o.idoderz = QStringLiteral("12345678");
    o.bank = QStringLiteral("АТ КБ Приватбанк");
    o.idbank = QStringLiteral("305299");
    o.kredit = QStringLiteral("26001234567890");
    o.oznaka = QStringLiteral("Оплата за папiр офiсний згiдно рахунку № 15 вiд 01.03.2026, "
                              "у тому числi ПДВ 205,76 грн.");
    o.datazap = QStringLiteral("07.03.2026");
    return o;
}

Requisites testRequisites()
{
    Requisites r;
    r.firma = QStringLiteral("Вексарон-Трейд ТОВ");
    r.kodfirma = QStringLiteral("87654321");
    r.bank = QStringLiteral("АТ Ощадбанк");
    r.kodbank = QStringLiteral("300465");
    r.rsbank = QStringLiteral("26004000012345");
    return r;
}

bool dark(const QImage &image, double x, double y)
{
    // A one-pixel line may fall between two raster pixels: look around it.
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const QPoint p(qRound(x) + dx, qRound(y) + dy);
            if (image.valid(p) && qGray(image.pixel(p)) < 128)
                return true;
        }
    return false;
}

} // namespace

class TestPrint : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void printsFilledOrder_data();
    void printsFilledOrder();
    void printsBareForm();
    void setupChoiceUsedByNextPrint();
    void cancelledSetupChangesNothing();
    void switchedQueueAndLostQueue();

private:
    QString cupsProblem();
    // Waits until the queue has finished with every job and the file is there.
    bool waitForJob(const QString &queue, const QString &file);
    QString cupsLog() const;
    // pageMm: the paper the page must have.
    void checkPage(const QString &pdf, const SheetFields &fields, const QPrinter &printer,
                   const QSizeF &pageMm = sheetMm());
    static QSizeF sheetMm() { return QSizeF(Sheet::WidthTwips, Sheet::HeightTwips) * MmPerTwip; }
    static QSizeF chosenPaperMm(const QPrinter &printer)
    {
        return printer.pageLayout().fullRect(QPageLayout::Millimeter).size();
    }
    static void trigger(MDIForm1 &main, const QString &how);

    QString m_dir;
    QString m_queue;
    QString m_output;
    std::unique_ptr<QTemporaryDir> m_scratch;
};

// Why the private server cannot be used; empty when it can.
QString TestPrint::cupsProblem()
{
    m_dir = qEnvironmentVariable("VEXA_CUPS_DIR");
    m_queue = qEnvironmentVariable("VEXA_CUPS_QUEUE");
    if (m_dir.isEmpty() || m_queue.isEmpty())
        return QStringLiteral("not started under the ctest fixture \"cups\"");
    QFile unavailable(m_dir + QStringLiteral("/unavailable"));
    if (unavailable.open(QIODevice::ReadOnly))
        return QString::fromUtf8(unavailable.readAll()).trimmed();
    m_output = m_dir + QStringLiteral("/out/print.pdf");
    if (QPrinterInfo::defaultPrinterName() != m_queue)
        return QStringLiteral("the default printer is \"%1\", not the private queue %2 (CUPS_SERVER=%3)")
                .arg(QPrinterInfo::defaultPrinterName(), m_queue, qEnvironmentVariable("CUPS_SERVER"));
    return QString();
}

void TestPrint::initTestCase()
{
    // Nothing but the private server's default may choose the printer.
    qunsetenv("LPDEST");
    qunsetenv("PRINTER");
    QVERIFY(SheetFonts::registerFonts());

    const QString problem = cupsProblem();
    if (problem.isEmpty())
        return;
    // On CI the server must be there: a missing one is a failure, not a skip.
    if (qEnvironmentVariableIsSet("CI"))
        QFAIL(qPrintable(QStringLiteral("CUPS is needed and not available: ") + problem));
    QSKIP(qPrintable(QStringLiteral("CUPS not available: ") + problem));
}

void TestPrint::init()
{
    m_scratch = std::make_unique<QTemporaryDir>();
    QVERIFY(m_scratch->isValid());
    QFile::remove(m_output);
}

void TestPrint::cleanup()
{
    if (QTest::currentTestFailed())
        qWarning().noquote() << "CUPS error log:\n" << cupsLog();
    m_scratch.reset();
}

QString TestPrint::cupsLog() const
{
    QFile log(m_dir + QStringLiteral("/log/error_log"));
    if (!log.open(QIODevice::ReadOnly))
        return QStringLiteral("(no log)");
    const QStringList lines = QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'));
    return lines.mid(qMax(0, lines.size() - 40)).join(QLatin1Char('\n'));
}

bool TestPrint::waitForJob(const QString &queue, const QString &file)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 60000) {
        const Tool jobs = run(QStringLiteral("lpstat"), { QStringLiteral("-o"), queue });
        if (jobs.exitCode == 0 && jobs.out.trimmed().isEmpty() && QFileInfo(file).size() > 0)
            return true;
        QTest::qWait(100);
    }
    qWarning().noquote() << "jobs still queued:"
                         << run(QStringLiteral("lpstat"), { QStringLiteral("-o") }).out;
    return false;
}

void TestPrint::trigger(MDIForm1 &main, const QString &how)
{
    if (how == QLatin1String("menu")) {
        main.findChild<QAction *>(QStringLiteral("mnuPrint"))->trigger();
    } else {
        auto *toolbar = main.findChild<QToolBar *>(QStringLiteral("Toolbar1"));
        QAction *action = main.findChild<QAction *>(QStringLiteral("Toolbar1_Button4"));
        QVERIFY(toolbar && action);
        auto *button = qobject_cast<QToolButton *>(toolbar->widgetForAction(action));
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
    }
}

// The printed page against the sheet: size, one page, every caption and
// field text, a few texts and every rectangle and rule at their places.
void TestPrint::checkPage(const QString &pdf, const SheetFields &fields, const QPrinter &printer,
                          const QSizeF &pageMm)
{
    const PdfPage page = readPdf(pdf, m_scratch->path());
    QVERIFY2(page.problem.isEmpty(), qPrintable(page.problem));
    QCOMPARE(page.pages, 1);
    const double widthMm = page.sizePt.width() * 25.4 / 72.0;
    const double heightMm = page.sizePt.height() * 25.4 / 72.0;
    QVERIFY2(qAbs(widthMm - pageMm.width()) <= MmTolerance && qAbs(heightMm - pageMm.height()) <= MmTolerance,
             qPrintable(QStringLiteral("page %1 x %2 mm, expected %3 x %4 mm")
                                .arg(widthMm).arg(heightMm).arg(pageMm.width()).arg(pageMm.height())));

    // Text, not a picture of text.
    QVERIFY(page.embeddedFonts >= 1);
    QCOMPARE(page.images, 0);

    for (const Sheet::Text &t : Sheet::texts()) {
        const QString text = (t.field == Sheet::Field::None ? t.text : fields.text(t.field)).simplified();
        if (!text.contains(QRegularExpression(QStringLiteral("\\w"))))
            continue; // empty, or only the quotation marks of a blank day
        QVERIFY2(page.text.contains(text),
                 qPrintable(QStringLiteral("%1 \"%2\" missing from the page").arg(t.name, text)));
    }

    // Where some texts stand: the first word of left-aligned texts at the
    // left edge of their element, one-word centred texts in its middle; the
    // top of the letters at the element's top.
    const QPointF origin = printer.pageLayout().paintRectPoints().topLeft();
    int placed = 0;
    for (const Sheet::Text &t : Sheet::texts()) {
        const QString text = t.field == Sheet::Field::None ? t.text : fields.text(t.field);
        const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.isEmpty() || words.first().size() < 3)
            continue;
        const bool centred = t.align & Qt::AlignHCenter;
        if (centred && words.size() != 1)
            continue;
        const Word *w = findWord(page, words.first());
        if (!w || page.text.count(words.first()) != 1)
            continue; // the same word elsewhere on the sheet: not a position check
        const double expectedX = origin.x()
                + (centred ? (t.left + t.width / 2.0) : double(t.left)) * PtPerTwip;
        const double x = centred ? w->box.center().x() : w->box.left();
        const double expectedY = origin.y() + t.top * PtPerTwip;
        QVERIFY2(qAbs(x - expectedX) <= PtTolerance && qAbs(w->box.top() - expectedY) <= PtTolerance,
                 qPrintable(QStringLiteral("%1 \"%2\" at (%3, %4) pt, expected (%5, %6)")
                                    .arg(t.name, words.first())
                                    .arg(x).arg(w->box.top()).arg(expectedX).arg(expectedY)));
        ++placed;
    }
    QVERIFY2(placed >= 10, qPrintable(QStringLiteral("only %1 texts placed").arg(placed)));

    // Rectangles and rule lines, drawn as lines, at their places (96 dpi:
    // 15 twips to a pixel).
    QVERIFY2(!page.raster.isNull(), "pdftoppm gave no picture");
    const QPointF px = origin * (96.0 / 72.0);
    for (const Sheet::Rect &r : Sheet::rects()) {
        const double midY = px.y() + (r.top + r.height / 2.0) / Sheet::TwipsPerPixel;
        const double midX = px.x() + (r.left + r.width / 2.0) / Sheet::TwipsPerPixel;
        QVERIFY2(dark(page.raster, px.x() + r.left / double(Sheet::TwipsPerPixel), midY),
                 qPrintable(r.name + QStringLiteral(" left edge")));
        QVERIFY2(dark(page.raster, px.x() + (r.left + r.width) / double(Sheet::TwipsPerPixel) - 1, midY),
                 qPrintable(r.name + QStringLiteral(" right edge")));
        QVERIFY2(dark(page.raster, midX, px.y() + r.top / double(Sheet::TwipsPerPixel)),
                 qPrintable(r.name + QStringLiteral(" top edge")));
    }
    for (const Sheet::Line &l : Sheet::lines())
        QVERIFY2(dark(page.raster, px.x() + (l.x1 + l.x2) / 2.0 / Sheet::TwipsPerPixel,
                      px.y() + l.y1 / double(Sheet::TwipsPerPixel)),
                 qPrintable(l.name));
    // The empty box at the top right stays empty inside.
    for (const Sheet::Rect &r : Sheet::rects())
        if (r.name == QLatin1String("Shape1(8)"))
            QVERIFY(!dark(page.raster, px.x() + (r.left + r.width / 2.0) / Sheet::TwipsPerPixel,
                          px.y() + (r.top + r.height / 2.0) / Sheet::TwipsPerPixel));
}

void TestPrint::printsFilledOrder_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("menu item") << QStringLiteral("menu");
    QTest::newRow("toolbar button 4") << QStringLiteral("toolbar");
}

void TestPrint::printsFilledOrder()
{
    QFETCH(QString, how);
    ProgramFolder folder;
    QVERIFY(folder.isValid());
    MDIForm1 main(folder.path());
    QVERIFY(main.MDIForm_Load());
    main.show();
    main.showDocumentWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&main));

    Form1 *document = main.documentWindow();
    document->setFields(DocumentFill::filled(document->fields(), testOrder(), testRequisites()));
    const SheetFields shown = document->fields();
    QCOMPARE(shown.text(Sheet::Field::OrderNumber), QStringLiteral("7"));
    main.setStatusText(QStringLiteral("Сохранено"));
    QCOMPARE(main.printer().printerName(), m_queue);
    // The sheet's own page, not a standard size near it.
    QVERIFY(main.printer().pageLayout().pageSize().isEquivalentTo(SheetPrinter::sheetPageSize()));
    QCOMPARE(main.printer().pageLayout().pageSize().id(), QPageSize::Custom);

    MessageBoxAnswerer answerer;
    trigger(main, how);
    QTest::qWait(50);
    QVERIFY2(answerer.seen.isEmpty(), qPrintable(answerer.seen.value(0).text));
    QCOMPARE(main.statusText(), QStringLiteral("Сохранено"));
    QCOMPARE(document->fields(), shown);

    QVERIFY2(waitForJob(m_queue, m_output), "the print job did not come out of the queue");
    checkPage(m_output, shown, main.printer());

    // tests/print/printed-page.sh keeps the page for a picture.
    const QString keep = qEnvironmentVariable("VEXA_KEEP_PRINT");
    if (!keep.isEmpty() && how == QLatin1String("menu")) {
        QFile::remove(keep);
        QVERIFY(QFile::copy(m_output, keep));
    }
}

void TestPrint::printsBareForm()
{
    ProgramFolder folder;
    MDIForm1 main(folder.path());
    QVERIFY(main.MDIForm_Load());
    MessageBoxAnswerer answerer;
    main.mnuPrint_Click();
    QVERIFY(answerer.seen.isEmpty());
    QVERIFY(waitForJob(m_queue, m_output));
    const SheetFields bare;
    checkPage(m_output, bare, main.printer());

    const PdfPage page = readPdf(m_output, m_scratch->path());
    QVERIFY(page.text.contains(Sheet::dateLineBlank().simplified()));
    for (const QString &value : { testOrder().oderz, testRequisites().firma, testOrder().suma })
        QVERIFY2(!page.text.contains(value), qPrintable(value));
}

// Picks the dialog's "print to file" entry; names the file when given.
static void choosePdfFile(QPrintDialog *dialog, const QString &file)
{
    auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
    auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("filename"));
    QVERIFY(printers && name);
    const int pdf = printers->count() - 1;
    QVERIFY(printers->itemText(pdf).contains(QStringLiteral("PDF")));
    printers->setCurrentIndex(pdf);
    name->setText(file);
}

void TestPrint::setupChoiceUsedByNextPrint()
{
    ProgramFolder folder;
    MDIForm1 main(folder.path());
    QVERIFY(main.MDIForm_Load());
    Form1 *document = main.documentWindow();
    document->setFields(DocumentFill::filled(document->fields(), testOrder(), testRequisites()));
    const QString file = m_scratch->filePath(QStringLiteral("chosen.pdf"));

    QString statusWhileOpen;
    auto *when = TestSupport::whenModal<QPrintDialog>([&](QPrintDialog *dialog) {
        auto closeAnyway = qScopeGuard([dialog] { if (dialog->isVisible()) dialog->reject(); });
        statusWhileOpen = main.statusText();
        QCOMPARE(dialog->objectName(), QStringLiteral("CommonDialog1"));
        choosePdfFile(dialog, file);
        dialog->accept();
    }, this);
    main.findChild<QAction *>(QStringLiteral("mnuPrintSetup"))->trigger();
    QVERIFY(when->done());
    QCOMPARE(statusWhileOpen, QStringLiteral("Настройка"));
    QCOMPARE(main.statusText(), QStringLiteral("Настройка"));
    QCOMPARE(main.printer().outputFormat(), QPrinter::PdfFormat);

    MessageBoxAnswerer answerer;
    main.mnuPrint_Click();
    QVERIFY(answerer.seen.isEmpty());
    QVERIFY(QFileInfo(file).size() > 0);
    // On the paper the dialog left set, the sheet at its true size.
    checkPage(file, document->fields(), main.printer(), chosenPaperMm(main.printer()));
    // Nothing went to the queue.
    QVERIFY(waitForJob(m_queue, file));
    QVERIFY(!QFileInfo::exists(m_output));
    QCOMPARE(main.statusText(), QStringLiteral("Настройка"));
}

void TestPrint::cancelledSetupChangesNothing()
{
    ProgramFolder folder;
    MDIForm1 main(folder.path());
    QVERIFY(main.MDIForm_Load());
    const QPageLayout layoutBefore = main.printer().pageLayout();
    const QString file = m_scratch->filePath(QStringLiteral("cancelled.pdf"));

    auto *when = TestSupport::whenModal<QPrintDialog>([&](QPrintDialog *dialog) {
        auto closeAnyway = qScopeGuard([dialog] { if (dialog->isVisible()) dialog->reject(); });
        choosePdfFile(dialog, file);
    }, this);
    main.mnuPrintSetup_Click();
    QVERIFY(when->done());
    QCOMPARE(main.statusText(), QStringLiteral("Настройка"));
    QCOMPARE(main.printer().outputFormat(), QPrinter::NativeFormat);
    QCOMPARE(main.printer().printerName(), m_queue);
    QVERIFY(main.printer().pageLayout().isEquivalentTo(layoutBefore));

    MessageBoxAnswerer answerer;
    main.mnuPrint_Click();
    QVERIFY(answerer.seen.isEmpty());
    QVERIFY(waitForJob(m_queue, m_output));
    QVERIFY(!QFileInfo::exists(file));
    checkPage(m_output, main.documentWindow()->fields(), main.printer());
}

// Another queue chosen in the dialog takes the next print; once that queue
// is removed from the system, Print says there is no printer.
void TestPrint::switchedQueueAndLostQueue()
{
    const QString second = QStringLiteral("VexaSecond");
    const QString secondOutput = m_dir + QStringLiteral("/out/second.pdf");
    QFile::remove(secondOutput);
    const Tool added = run(QStringLiteral("lpadmin"),
                           { QStringLiteral("-p"), second, QStringLiteral("-E"), QStringLiteral("-v"),
                             QStringLiteral("file://") + secondOutput, QStringLiteral("-P"),
                             m_dir + QStringLiteral("/etc/pdf-queue.ppd") });
    QVERIFY2(added.exitCode == 0, qPrintable(added.err));
    auto removeQueue = qScopeGuard([&] {
        run(QStringLiteral("lpadmin"), { QStringLiteral("-x"), second });
    });

    ProgramFolder folder;
    MDIForm1 main(folder.path());
    QVERIFY(main.MDIForm_Load());
    auto *when = TestSupport::whenModal<QPrintDialog>([&](QPrintDialog *dialog) {
        auto closeAnyway = qScopeGuard([dialog] { if (dialog->isVisible()) dialog->reject(); });
        auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
        QVERIFY(printers);
        const int index = printers->findText(second);
        QVERIFY(index >= 0);
        printers->setCurrentIndex(index);
        dialog->accept();
    }, this);
    main.mnuPrintSetup_Click();
    QVERIFY(when->done());
    QCOMPARE(main.printer().printerName(), second);

    MessageBoxAnswerer answerer;
    main.mnuPrint_Click();
    QVERIFY(answerer.seen.isEmpty());
    QVERIFY(waitForJob(second, secondOutput));
    QVERIFY(!QFileInfo::exists(m_output));
    checkPage(secondOutput, main.documentWindow()->fields(), main.printer(),
              chosenPaperMm(main.printer()));

    const Tool removed = run(QStringLiteral("lpadmin"), { QStringLiteral("-x"), second });
    QVERIFY2(removed.exitCode == 0, qPrintable(removed.err));
    QFile::remove(secondOutput);
    main.setStatusText(QStringLiteral("Сохранено"));
    main.mnuPrint_Click();
    QTRY_COMPARE(answerer.seen.size(), 1);
    QCOMPARE(answerer.seen.first().text, QStringLiteral("Нет связи с принтером."));
    QCOMPARE(answerer.seen.first().title, QStringLiteral("Vexaron"));
    QCOMPARE(answerer.seen.first().icon, QMessageBox::Critical);
    QCOMPARE(answerer.seen.first().buttons.size(), 1);
    QCOMPARE(main.statusText(), QStringLiteral("Сохранено"));
    QTest::qWait(200);
    QVERIFY(!QFileInfo::exists(secondOutput));
    QVERIFY(!QFileInfo::exists(m_output));
}

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
