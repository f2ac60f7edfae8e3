// Printing through a real CUPS server: the private server of the "cups"
// fixture (tests/print/cups-start.sh), its PDF queue the default printer.
// Each printed page is read back with poppler's tools and checked: size,
// one page, the texts and where they stand, text rather than a picture.
#include "app/MDIForm1.h"
#include "document/DocumentFill.h"
#include "document/Form1.h"
#include "document/SheetLayout.h"
#include "support/TestSupport.h"

#include <QtPrintSupport>
#include <QtWidgets>
#include <QtTest>

using TestSupport::MessageBoxAnswerer;

namespace {

constexpr double MmPerPt = 25.4 / 72.0;

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

// The printed page against the sheet: one page of pageMm (the sheet's own
// page unless the dialog chose paper), no pictures, every caption and field
// text, and words that stand alone at their places (±1 mm).
void checkPage(const QString &pdf, const QPrinter &printer, const SheetFields &fields, QSizeF pageMm = {})
{
    if (pageMm.isEmpty())
        pageMm = QSizeF(Sheet::WidthTwips, Sheet::HeightTwips) / 1440.0 * 25.4;
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
    const QPointF origin = printer.pageLayout().paintRectPoints().topLeft();
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
        // Unless chosen in the dialog, the sheet's own page; else the paper the dialog left.
        const QSizeF paper = main.printer().pageLayout().fullRect(QPageLayout::Millimeter).size();
        checkPage(out, main.printer(), shown, accept ? paper : QSizeF());

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
};

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
