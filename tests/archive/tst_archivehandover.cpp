// The archive window's two buttons for handing orders to the bank, driven
// through the main window's "Архив" command on a real database: "QR-код"
// shows the chosen order's code, "Экспорт..." writes the listed orders
// through Qt's file dialog; both come after the old buttons in tab order.

#include "support/RunningProgram.h"

#include "archive/QrWindow.h"
#include "archive/frmArc.h"

#include <QtTest>
#include <QtWidgets>

namespace {

struct Program : TestSupport::RunningProgram
{
    bool load()
    {
        return folder.isValid() && main.MDIForm_Load() && (main.show(), true)
                && sql("insert into arc values ('1', '100,00', 'ТОВ \"Перший\"', '30123456', 'Банк', '305299', "
                       "'UA213223130000026007233566001', 'Оплата 1', '01.02.2026')")
                && sql("insert into arc values ('2', '200,50', 'ТОВ \"Другий\"', '30123457', 'Банк', '305299', "
                       "'UA473052990000026005026707459', 'Оплата 2', '02.02.2026')")
                && sql("insert into arc values ('3', '3.00', 'ТОВ \"Третій\"', '30123458', 'Банк', '305299', "
                       "'26001052612345', 'Оплата 3', '03.02.2026')");
    }
    frmArc *archive(const std::function<void(frmArc *)> &action)
    {
        return TestSupport::duringCommand<frmArc>(command("mnuArchive"), action);
    }
};

QPushButton *button(QWidget *d, const char *name) { return d->findChild<QPushButton *>(QString::fromLatin1(name)); }

void chooseLine(frmArc *d, int row)
{
    auto *list = d->findChild<QTableView *>(QStringLiteral("ListView1"));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(row, 0)).center());
}

} // namespace

class TstArchiveHandover : public QObject
{
    Q_OBJECT

private slots:
    void buttonsAfterTheOldOnes()
    {
        Program p;
        QVERIFY(p.load());
        QVERIFY(p.archive([](frmArc *d) {
            QCOMPARE(button(d, "Command4")->text(), QStringLiteral("QR-код"));
            QCOMPARE(button(d, "Command5")->text(), QStringLiteral("Экспорт..."));
            QStringList order;
            QWidget *w = button(d, "Command1");
            for (int k = 0; k < 40 && order.size() < 6; ++k, w = w->nextInFocusChain())
                if (w->focusPolicy() & Qt::TabFocus)
                    order << w->objectName();
            QCOMPARE(order, QStringList({ "Command1", "Command2", "ListView1", "Command3", "Command4", "Command5" }));
            // Within the window and clear of the old buttons.
            QVERIFY(d->rect().contains(button(d, "Command5")->geometry()));
            QVERIFY(!button(d, "Command5")->geometry().intersects(button(d, "Command3")->geometry()));
        }));
    }

    void qrCodeOfTheChosenLine()
    {
        Program p;
        QVERIFY(p.load());
        QString recipient, link;
        QString noLine;
        QVERIFY(p.archive([&](frmArc *d) {
            // Before any line is chosen there is nothing to show.
            TestSupport::whenModal<QMessageBox>([&](QMessageBox *box) {
                noLine = box->text();
                box->accept();
            }, d);
            QTest::mouseClick(button(d, "Command4"), Qt::LeftButton);
            chooseLine(d, 1);
            TestSupport::whenModal<QrWindow>([&](QrWindow *w) {
                recipient = w->findChild<QLabel *>(QStringLiteral("QrRecipient"))->text();
                link = w->payload().link;
                w->reject();
            }, d);
            QTest::mouseClick(button(d, "Command4"), Qt::LeftButton);
            QVERIFY(d->isVisible()); // the archive stays open
        }));
        QCOMPARE(noLine, QStringLiteral("Выберите поручение в списке."));
        QCOMPARE(recipient, QStringLiteral("Получатель: ТОВ \"Другий\""));
        QVERIFY(link.startsWith(QLatin1String("https://qr.bank.gov.ua/")));
    }

    // "Экспорт..." asks for the file in Qt's file dialog with both formats;
    // cancelling it writes nothing. (What is written is tried through
    // Handover::exportTo in tst_orderexport: answering the dialog with a
    // name races with its folder view being filled in a thread.)
    void exportAsksForTheFile()
    {
        Program p;
        QVERIFY(p.load());
        QString title;
        QStringList filters;
        QVERIFY(p.archive([&](frmArc *d) {
            TestSupport::whenModal<QFileDialog>([&](QFileDialog *f) {
                title = f->windowTitle();
                filters = f->nameFilters();
                f->reject();
            }, d);
            QTest::mouseClick(button(d, "Command5"), Qt::LeftButton);
            QVERIFY(d->isVisible());
        }));
        QCOMPARE(title, QStringLiteral("Экспорт поручений"));
        QCOMPARE(filters, QStringList({ "Обмен с банком, 1CClientBankExchange (*.txt)", "Таблица CSV (*.csv)" }));
        QCOMPARE(QDir(p.folder.path()).entryList(QDir::Files), QStringList{ "vexa.mdb" });
    }
};

QTEST_MAIN(TstArchiveHandover)
#include "tst_archivehandover.moc"
