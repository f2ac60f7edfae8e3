// The order-entry dialog on its own: layout, opening, the two entry checks,
// the fill of the document and the save, each against a real database file
// and the real main window as its host.

#include "EntryFixture.h"

#include "document/SheetFonts.h"

#include <QFontInfo>

using namespace EntryFixture;
using Sheet::Field;
using TestSupport::MessageBoxAnswerer;

Q_DECLARE_METATYPE(OrderRecord)

namespace {

const QString MissingValue = QStringLiteral("Пропущено значение");
const QString BadAmount = QStringLiteral("Не верно введена сумма");
const QString Saved = QStringLiteral("Запис виконано!");
const QString NoRequisites = QStringLiteral(
        "Реквизиты предприятия не заполнены. Сначала заполните их: меню «Заполнение», "
        "пункт «Реквизиты предприятия».");

} // namespace

class TstFrmCreate : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Program> program;
    std::unique_ptr<frmCreate> dialog;

    // A fresh dialog over the loaded main window, shown as "Новый" shows it.
    frmCreate *open()
    {
        dialog = std::make_unique<frmCreate>(program->main->database(), *program->main,
                                             program->main.get());
        dialog->show();
        return dialog.get();
    }

private slots:
    void init()
    {
        program = std::make_unique<Program>();
        QVERIFY(program->load());
        program->main->setStatusText(QStringLiteral("Заполнение"));
    }
    void cleanup()
    {
        dialog.reset();
        program.reset();
    }

    void window();
    void controls_data();
    void controls();
    void fonts();
    void datePicker();
    void tabOrder();
    void numberProposal_data();
    void numberProposal();
    void numberWhenArchiveUnreadable();
    void emptyBox_data();
    void emptyBox();
    void blanksAreNotEmpty();
    void saveAmountCheck_data();
    void saveAmountCheck();
    void fillAmount_data();
    void fillAmount();
    void fifteenFields();
    void requisitesMissing_data();
    void requisitesMissing();
    void requisitesUnreadable();
    void storedExactly();
    void typedPurposeKeepsItsLines();
    void saveTwice();
    void refusedSave();
    void cancel();
    void titleBarClose();
};

void TstFrmCreate::window()
{
    Program &p = *program;
    frmCreate *d = open();
    QCOMPARE(d->objectName(), QStringLiteral("frmCreate"));
    QCOMPARE(d->windowTitle(), QStringLiteral("Заполнение Констант"));
    QCOMPARE(d->size(), QSize(475, 400));
    QCOMPARE(d->minimumSize(), d->maximumSize());
    QVERIFY(!(d->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(d->windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(d->windowIcon().cacheKey(), p.main->windowIcon().cacheKey());
}

void TstFrmCreate::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QRect>("geometry"); // pixels: twips / 15
    QTest::addColumn<QString>("caption");

    const QString label = QStringLiteral("QLabel"), edit = QStringLiteral("QLineEdit");
    const QString pushButton = QStringLiteral("QPushButton");
    QTest::newRow("Text1") << "Text1" << label << QRect(162, 24, 64, 22) << "1";
    QTest::newRow("DTPicker1") << "DTPicker1" << "QDateEdit" << QRect(288, 24, 172, 22) << "";
    QTest::newRow("Text2") << "Text2" << edit << QRect(162, 54, 127, 22) << "";
    QTest::newRow("Text3") << "Text3" << edit << QRect(162, 84, 298, 22) << "";
    QTest::newRow("Text4") << "Text4" << edit << QRect(162, 114, 169, 22) << "";
    QTest::newRow("Text5") << "Text5" << edit << QRect(162, 144, 298, 22) << "";
    QTest::newRow("Text9") << "Text9" << edit << QRect(162, 174, 169, 22) << "";
    QTest::newRow("Text6") << "Text6" << edit << QRect(162, 204, 169, 22) << "";
    QTest::newRow("Text8") << "Text8" << "QPlainTextEdit" << QRect(162, 234, 298, 70) << "";
    QTest::newRow("Command3") << "Command3" << pushButton << QRect(225, 366, 76, 25) << "Сохранить";
    QTest::newRow("Command2") << "Command2" << pushButton << QRect(312, 366, 76, 25) << "OK";
    QTest::newRow("Command1") << "Command1" << pushButton << QRect(393, 366, 76, 25) << "Отмена";
    QTest::newRow("Label1_0") << "Label1_0" << label << QRect(21, 27, 136, 19) << "Номер доручення";
    QTest::newRow("Label1_1") << "Label1_1" << label << QRect(21, 57, 136, 19) << "Сума   (0,00)";
    QTest::newRow("Label1_2") << "Label1_2" << label << QRect(21, 87, 136, 19) << "Одержувач";
    QTest::newRow("Label1_3") << "Label1_3" << label << QRect(21, 117, 136, 19) << "Код одержувача";
    QTest::newRow("Label1_4") << "Label1_4" << label << QRect(21, 147, 136, 19) << "Банк одержувача";
    QTest::newRow("Label1_8") << "Label1_8" << label << QRect(21, 177, 136, 19) << "Код Банку";
    QTest::newRow("Label1_5") << "Label1_5" << label << QRect(21, 207, 136, 19) << "Роз. Рахунок";
    QTest::newRow("Label1_7") << "Label1_7" << label << QRect(21, 237, 136, 34) << "Призначення платежу";
    QTest::newRow("Label1_9") << "Label1_9" << label << QRect(240, 27, 43, 19) << "Дата";
    QTest::newRow("Line1_0") << "Line1_0" << "QFrame" << QRect(3, 348, 468, 1) << "";
    QTest::newRow("Line1_1") << "Line1_1" << "QFrame" << QRect(3, 349, 468, 1) << "";
}

void TstFrmCreate::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);

    frmCreate *d = open();
    const auto found = d->findChildren<QWidget *>(name);
    QCOMPARE(found.size(), 1);
    QWidget *w = found.first();
    QCOMPARE(QString::fromLatin1(w->metaObject()->className()), kind);
    QCOMPARE(w->geometry(), geometry);
    if (auto *l = qobject_cast<QLabel *>(w))
        QCOMPARE(l->text(), caption);
    if (auto *b = qobject_cast<QPushButton *>(w)) {
        QCOMPARE(b->text(), caption);
        QVERIFY(!b->isDefault());
    }
    if (auto *e = qobject_cast<QLineEdit *>(w)) {
        QVERIFY(e->text().isEmpty());
        QVERIFY(e->maxLength() > 1000000); // the boxes set no limit
    }
    if (name == QLatin1String("Text1")) {
        auto *number = static_cast<QLabel *>(w);
        QCOMPARE(number->focusPolicy(), Qt::NoFocus);
        QCOMPARE(number->frameShape(), QFrame::Box);
        QVERIFY(number->autoFillBackground());
        QCOMPARE(number->palette().color(QPalette::Window),
                 number->palette().color(QPalette::HighlightedText));
    }
    if (name == QLatin1String("Line1_0"))
        QCOMPARE(w->palette().color(QPalette::Window), d->palette().color(QPalette::WindowText));
    // The label array has no element 6 and there is no box 7.
    QVERIFY(!d->findChild<QWidget *>(QStringLiteral("Label1_6")));
    QVERIFY(!d->findChild<QWidget *>(QStringLiteral("Text7")));
}

void TstFrmCreate::fonts()
{
    QVERIFY(SheetFonts::registerFonts());
    frmCreate *d = open();
    for (const char *name : { "Text1", "Text2", "Text3", "Text4", "Text5", "Text9", "Text6", "Text8" }) {
        QWidget *w = control<QWidget>(d, name);
        QCOMPARE(w->font().family(), QStringLiteral("Liberation Sans"));
        QCOMPARE(w->font().pointSizeF(), 9.75);
        QVERIFY2(w->font().bold(), name);
        QCOMPARE(QFontInfo(w->font()).family(), QStringLiteral("Liberation Sans"));
    }
    for (int i : { 0, 1, 2, 3, 4, 5, 7, 8, 9 }) {
        auto *l = d->findChild<QLabel *>(QStringLiteral("Label1_%1").arg(i));
        QVERIFY(l);
        QCOMPARE(l->font().family(), QStringLiteral("Liberation Sans"));
        QCOMPARE(l->font().pointSizeF(), 9.75);
        QVERIFY(!l->font().bold());
    }
    auto *picker = control<QDateEdit>(d, "DTPicker1");
    QCOMPARE(picker->font().family(), QStringLiteral("Liberation Serif"));
    QCOMPARE(QFontInfo(picker->font()).family(), QStringLiteral("Liberation Serif"));
    QCOMPARE(picker->font().pointSizeF(), 9.75);
    QVERIFY(picker->font().bold());
    // The buttons keep the dialog's own font.
    QCOMPARE(button(d, "Command2")->font(), d->font());
}

void TstFrmCreate::datePicker()
{
    frmCreate *d = open();
    auto *picker = control<QDateEdit>(d, "DTPicker1");
    QCOMPARE(picker->date(), QDate::currentDate());
    QVERIFY(picker->calendarPopup());
    QCOMPARE(picker->locale().language(), QLocale::Russian);
    QCOMPARE(picker->displayFormat(), QStringLiteral("dd/MMMM/yyyy"));
    QCOMPARE(picker->minimumDate(), QDate(2000, 1, 1));
    QCOMPARE(picker->maximumDate(), QDate(2099, 12, 31));

    picker->setDate(QDate(2026, 12, 6));
    QCOMPARE(picker->text(), QStringLiteral("06/декабря/2026"));
    QCOMPARE(d->order().datazap, QStringLiteral("06.12.2026"));
    picker->setDate(QDate(2026, 3, 7));
    QCOMPARE(picker->text(), QStringLiteral("07/марта/2026"));
    QCOMPARE(d->order().datazap, QStringLiteral("07.03.2026"));

    // The date line writes the century as "20": no date outside 2000-2099.
    picker->setDate(QDate(1999, 12, 31));
    QCOMPARE(picker->date(), QDate(2000, 1, 1));
    picker->setDate(QDate(2100, 1, 1));
    QCOMPARE(picker->date(), QDate(2099, 12, 31));
    QCOMPARE(d->order().datazap, QStringLiteral("31.12.2099"));
}

void TstFrmCreate::tabOrder()
{
    frmCreate *d = open();
    d->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(d));
    QCOMPARE(QApplication::focusWidget(), control<QWidget>(d, "Text2"));

    const QStringList expected = { "Text3", "Text4", "Text5", "Text6", "Text8", "Command3",
                                   "Command2", "Command1", "Text9", "DTPicker1", "Text2" };
    QStringList seen;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        seen << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(seen, expected);

    // Tab leaves the date picker from any of its parts.
    auto *picker = control<QDateEdit>(d, "DTPicker1");
    picker->setFocus();
    picker->setCurrentSection(QDateTimeEdit::MonthSection);
    QTest::keyClick(picker, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Text2"));

    // Back from the first box to the date picker.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("DTPicker1"));
}

void TstFrmCreate::numberProposal_data()
{
    QTest::addColumn<QList<int>>("ids");
    QTest::addColumn<QString>("number");
    QTest::newRow("empty archive") << QList<int>{} << "1";
    QTest::newRow("five rows") << QList<int>{ 10, 20, 30, 40, 50 } << "6";
    QTest::newRow("row 5 deleted") << QList<int>{ 1, 2, 3, 4, 6 } << "6";
    QTest::newRow("one row") << QList<int>{ 1 } << "2";
    QTest::newRow("twelve rows") << QList<int>{ 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12 } << "13";
}

void TstFrmCreate::numberProposal()
{
    Program &p = *program;
    QFETCH(QList<int>, ids);
    QFETCH(QString, number);
    for (int id : ids)
        QVERIFY(p.sql(QStringLiteral("insert into arc values (%1, '1,00', 'a', 'b', 'c', 'd', "
                                     "'e', 'f', '01.01.2026')")
                              .arg(id)));
    frmCreate *d = open();
    QCOMPARE(control<QLabel>(d, "Text1")->text(), number);
    QCOMPARE(d->order().id, number);
    QCOMPARE(p.main->statusText(), QStringLiteral("Заполнение"));
}

void TstFrmCreate::numberWhenArchiveUnreadable()
{
    Program &p = *program;
    // The count fails: the number stays "0", the date is still today's.
    QVERIFY(p.sql(QStringLiteral("drop table arc")));
    MessageBoxAnswerer answerer;
    frmCreate *d = open();
    QCOMPARE(control<QLabel>(d, "Text1")->text(), QStringLiteral("0"));
    QCOMPARE(control<QDateEdit>(d, "DTPicker1")->date(), QDate::currentDate());
    QTest::qWait(50);
    QVERIFY(answerer.seen.isEmpty());
}

void TstFrmCreate::emptyBox_data()
{
    QTest::addColumn<QString>("empty");
    QTest::addColumn<QString>("command");
    for (const char *name : { "Text2", "Text3", "Text4", "Text5", "Text9", "Text6", "Text8" })
        for (const char *command : { "Command2", "Command3" })
            QTest::addRow("%s %s", name, command) << QString::fromLatin1(name)
                                                  << QString::fromLatin1(command);
    QTest::newRow("all empty, OK") << "all" << "Command2";
    QTest::newRow("all empty, save") << "all" << "Command3";
}

void TstFrmCreate::emptyBox()
{
    Program &p = *program;
    QFETCH(QString, empty);
    QFETCH(QString, command);
    QVERIFY(p.setRequisites(sampleRequisites()));
    const SheetFields before = p.fields();

    frmCreate *d = open();
    if (empty != QLatin1String("all")) {
        enter(d, sampleOrder());
        if (auto *line = d->findChild<QLineEdit *>(empty))
            line->clear();
        else
            control<QPlainTextEdit>(d, "Text8")->clear();
    }
    const QStringList typed = boxTexts(d);

    MessageBoxAnswerer answerer;
    d->findChild<QPushButton *>(command)->click();

    QCOMPARE(answerer.seen.size(), 1);
    verifyInputError(answerer.seen.first(), MissingValue);
    QVERIFY(d->isVisible());
    QCOMPARE(boxTexts(d), typed);
    QCOMPARE(p.main->statusText(), QStringLiteral("Заполнение"));
    QCOMPARE(p.fields(), before);
    QCOMPARE(p.arcCount(), 0);
}

void TstFrmCreate::blanksAreNotEmpty()
{
    Program &p = *program;
    QVERIFY(p.setRequisites(sampleRequisites()));
    OrderRecord o = sampleOrder();
    o.oderz = QStringLiteral(" ");
    o.oznaka = QStringLiteral(" ");

    frmCreate *d = open();
    enter(d, o);
    MessageBoxAnswerer answerer;
    button(d, "Command3")->click();
    QCOMPARE(texts(answerer.seen), QStringList{ Saved });
    QCOMPARE(p.arcRows().size(), 1);
    QCOMPARE(p.arcRows().first().at(2), QStringLiteral(" "));

    button(d, "Command2")->click();
    QCOMPARE(texts(answerer.seen), QStringList{ Saved });
    QVERIFY(!d->isVisible());
    QCOMPARE(p.fields().text(Field::RecipientName), QStringLiteral(" "));
    QCOMPARE(p.fields().text(Field::Purpose), QStringLiteral(" "));
}

void TstFrmCreate::saveAmountCheck_data()
{
    QTest::addColumn<QString>("amount");
    QTest::addColumn<bool>("warned");
    QTest::newRow("1234,56") << "1234,56" << false;
    QTest::newRow("0,00") << "0,00" << false;
    QTest::newRow("100,00") << "100,00" << false;
    QTest::newRow("1234.56") << "1234.56" << true;
    QTest::newRow("1234,5") << "1234,5" << true;
    QTest::newRow("12,345") << "12,345" << true;
    QTest::newRow("100") << "100" << true;
    QTest::newRow("two characters") << "12" << true;
    QTest::newRow("one character") << "5" << true;
    // The save only looks at the comma's place.
    QTest::newRow("blank separator") << "1 234,56" << false;
    QTest::newRow("sign") << "-5,00" << false;
    QTest::newRow("letters") << "ab,cd" << false;
}

void TstFrmCreate::saveAmountCheck()
{
    Program &p = *program;
    QFETCH(QString, amount);
    QFETCH(bool, warned);
    OrderRecord o = sampleOrder();
    o.suma = amount;

    frmCreate *d = open();
    enter(d, o);
    MessageBoxAnswerer answerer;
    button(d, "Command3")->click();

    QCOMPARE(answerer.seen.size(), warned ? 2 : 1);
    if (warned)
        verifyInputError(answerer.seen.first(), BadAmount);
    const TestSupport::SeenBox &done = answerer.seen.last();
    QCOMPARE(done.text, Saved);
    QCOMPARE(done.title, QStringLiteral("Vexaron"));
    QCOMPARE(done.icon, QMessageBox::NoIcon);
    QCOMPARE(done.buttons.size(), 1);

    const auto rows = p.arcRows();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().at(1), amount);
    QCOMPARE(p.main->statusText(), QStringLiteral("Сохранено"));
    QVERIFY(d->isVisible());
    QCOMPARE(box(d, "Text2")->text(), amount);
}

void TstFrmCreate::fillAmount_data()
{
    QTest::addColumn<QString>("amount");
    QTest::addColumn<bool>("warned");
    QTest::addColumn<QString>("words"); // empty: refused, nothing written

    const QString w1234 = QStringLiteral("(одна тисяча двiстi тридцять чотири гр. 56 коп.)");
    QTest::newRow("1234,56") << "1234,56" << false << w1234;
    QTest::newRow("0,50") << "0,50" << false << "( гр. 50 коп.)";
    QTest::newRow("0,00") << "0,00" << false << "( гр. 00 коп.)";
    QTest::newRow("100,00") << "100,00" << false << "(сто  гр. 00 коп.)";
    QTest::newRow("12345,00") << "12345,00" << false
                              << "(дванадцять тисяч триста сорок п'ять гр. 00 коп.)";
    QTest::newRow("1234.56") << "1234.56" << true << w1234;
    QTest::newRow("1234") << "1234" << true << "(одна гр. 34 коп.)";
    QTest::newRow("1234,5") << "1234,5" << true << "(сто двадцять три гр. ,5 коп.)";

    // Refused before anything is written.
    QTest::newRow("12,345") << "12,345" << false << "";
    QTest::newRow("blank separator") << "1 234,56" << false << "";
    QTest::newRow("sign") << "-5,00" << false << "";
    QTest::newRow("letters") << "ab,cd" << false << "";
    QTest::newRow("Arabic-Indic digits") << QStringLiteral("\u0661\u0662,00") << false << "";
    QTest::newRow("two characters") << "12" << false << "";
    QTest::newRow("one character") << "5" << false << "";
    QTest::newRow("blank") << " " << false << "";
}

void TstFrmCreate::fillAmount()
{
    Program &p = *program;
    QFETCH(QString, amount);
    QFETCH(bool, warned);
    QFETCH(QString, words);
    QVERIFY(p.setRequisites(sampleRequisites()));
    const SheetFields before = p.fields();
    OrderRecord o = sampleOrder();
    o.suma = amount;

    frmCreate *d = open();
    enter(d, o);
    const QStringList typed = boxTexts(d);
    MessageBoxAnswerer answerer;
    button(d, "Command2")->click();

    QCOMPARE(answerer.seen.size(), warned || words.isEmpty() ? 1 : 0);
    if (!answerer.seen.isEmpty())
        verifyInputError(answerer.seen.first(), BadAmount);

    if (words.isEmpty()) {
        QVERIFY(d->isVisible());
        QCOMPARE(box(d, "Text2")->text(), amount);
        QCOMPARE(boxTexts(d), typed);
        QCOMPARE(p.fields(), before);
        QCOMPARE(p.main->statusText(), QStringLiteral("Заполнение"));
        return;
    }
    QVERIFY(!d->isVisible());
    QCOMPARE(d->result(), int(QDialog::Accepted));
    QCOMPARE(p.fields().text(Field::AmountInFigures), amount);
    QCOMPARE(p.fields().text(Field::AmountInWords), words);
    QCOMPARE(p.main->statusText(), QStringLiteral("Готово:"));
    QCOMPARE(p.arcCount(), 0); // filling stores nothing
}

void TstFrmCreate::fifteenFields()
{
    Program &p = *program;
    const Requisites first = sampleRequisites();
    QVERIFY(p.setRequisites(first));
    OrderRecord o = sampleOrder();
    o.datazap = QStringLiteral("05.12.2026");

    MessageBoxAnswerer answerer;
    frmCreate *d = open();
    const QString number = control<QLabel>(d, "Text1")->text();
    enter(d, o);
    button(d, "Command2")->click();
    QVERIFY(answerer.seen.isEmpty());
    QVERIFY(!d->isVisible());

    const SheetFields f = p.fields();
    QCOMPARE(f.text(Field::OrderNumber), number);
    QCOMPARE(f.text(Field::DateLine), QStringLiteral("вiд 05 грудня 2026 р."));
    QCOMPARE(f.text(Field::PayerName), first.firma);
    QCOMPARE(f.text(Field::PayerCode), first.kodfirma);
    QCOMPARE(f.text(Field::PayerBank), first.bank);
    QCOMPARE(f.text(Field::PayerBankCode), first.kodbank);
    QCOMPARE(f.text(Field::DebitAccount), first.rsbank);
    QCOMPARE(f.text(Field::RecipientName), o.oderz);
    QCOMPARE(f.text(Field::RecipientCode), o.idoderz);
    QCOMPARE(f.text(Field::RecipientBank), o.bank);
    QCOMPARE(f.text(Field::RecipientBankCode), o.idbank);
    QCOMPARE(f.text(Field::CreditAccount), o.kredit);
    QCOMPARE(f.text(Field::AmountInFigures), o.suma);
    QCOMPARE(f.text(Field::AmountInWords),
             QStringLiteral("(одна тисяча двiстi тридцять чотири гр. 56 коп.)"));
    QCOMPARE(f.text(Field::Purpose), o.oznaka);

    // A second fill overwrites every field, the payer's too (every fill
    // reads firma again).
    const Requisites second = { QStringLiteral("ТОВ Друга"), QStringLiteral("87654321"),
                                QStringLiteral("АТ Ощадбанк"), QStringLiteral("300465"),
                                QStringLiteral("26009999999999") };
    QVERIFY(p.setRequisites(second));
    QVERIFY(p.sql(QStringLiteral("insert into arc values (1, '1,00', 'a', 'b', 'c', 'd', 'e', 'f', "
                                 "'01.01.2026')")));
    const OrderRecord o2 = { QString(), QStringLiteral("0,50"), QStringLiteral("ФОП Коваль"),
                             QStringLiteral("2233445566"), QStringLiteral("АТ Райффайзен"),
                             QStringLiteral("380805"), QStringLiteral("26000111"),
                             QStringLiteral("За послуги\nзгідно рахунку"), QStringLiteral("30.06.2027") };
    d = open();
    enter(d, o2);
    button(d, "Command2")->click();
    QVERIFY(answerer.seen.isEmpty());

    const SheetFields g = p.fields();
    QCOMPARE(g.text(Field::OrderNumber), QStringLiteral("2"));
    QCOMPARE(g.text(Field::DateLine), QStringLiteral("вiд 30 червня 2027 р."));
    QCOMPARE(g.text(Field::PayerName), second.firma);
    QCOMPARE(g.text(Field::PayerCode), second.kodfirma);
    QCOMPARE(g.text(Field::PayerBank), second.bank);
    QCOMPARE(g.text(Field::PayerBankCode), second.kodbank);
    QCOMPARE(g.text(Field::DebitAccount), second.rsbank);
    QCOMPARE(g.text(Field::RecipientName), o2.oderz);
    QCOMPARE(g.text(Field::RecipientCode), o2.idoderz);
    QCOMPARE(g.text(Field::RecipientBank), o2.bank);
    QCOMPARE(g.text(Field::RecipientBankCode), o2.idbank);
    QCOMPARE(g.text(Field::CreditAccount), o2.kredit);
    QCOMPARE(g.text(Field::AmountInFigures), o2.suma);
    QCOMPARE(g.text(Field::AmountInWords), QStringLiteral("( гр. 50 коп.)"));
    QCOMPARE(g.text(Field::Purpose), o2.oznaka);
}

void TstFrmCreate::requisitesMissing_data()
{
    QTest::addColumn<QString>("statement");
    QTest::newRow("no row") << "delete from firma";
    for (const char *column : { "firma", "kodfirma", "bank", "kodbank", "rsbank" })
        QTest::addRow("%s NULL", column)
                << QStringLiteral("update firma set %1=NULL").arg(QString::fromLatin1(column));
}

void TstFrmCreate::requisitesMissing()
{
    Program &p = *program;
    QFETCH(QString, statement);
    QVERIFY(p.setRequisites(sampleRequisites()));
    QVERIFY(p.sql(statement));
    const SheetFields before = p.fields();

    frmCreate *d = open();
    enter(d, sampleOrder());
    const QStringList typed = boxTexts(d);
    MessageBoxAnswerer answerer;
    button(d, "Command2")->click();

    QCOMPARE(answerer.seen.size(), 1);
    const TestSupport::SeenBox &seen = answerer.seen.first();
    QCOMPARE(seen.text, NoRequisites);
    QCOMPARE(seen.title, QStringLiteral("Vexaron"));
    QCOMPARE(seen.icon, QMessageBox::Critical);
    QCOMPARE(seen.buttons.size(), 1);
    QVERIFY(d->isVisible());
    QCOMPARE(boxTexts(d), typed);
    QCOMPARE(p.fields(), before);
    QCOMPARE(p.main->statusText(), QStringLiteral("Заполнение"));

    // Saving does not need the requisites.
    button(d, "Command3")->click();
    QCOMPARE(answerer.seen.last().text, Saved);
    QCOMPARE(p.arcCount(), 1);
}

void TstFrmCreate::requisitesUnreadable()
{
    Program &p = *program;
    QVERIFY(p.sql(QStringLiteral("drop table firma")));
    const SheetFields before = p.fields();
    frmCreate *d = open();
    enter(d, sampleOrder());
    MessageBoxAnswerer answerer;
    button(d, "Command2")->click();

    QCOMPARE(answerer.seen.size(), 1);
    const TestSupport::SeenBox &seen = answerer.seen.first();
    QVERIFY2(seen.text.startsWith(QStringLiteral("Не удалось прочитать реквизиты предприятия.")),
             qPrintable(seen.text));
    QVERIFY2(seen.text.contains(QStringLiteral("no such table: firma")), qPrintable(seen.text));
    QCOMPARE(seen.title, QStringLiteral("Vexaron"));
    QCOMPARE(seen.icon, QMessageBox::Critical);
    QVERIFY(d->isVisible());
    QCOMPARE(p.fields(), before);
    QCOMPARE(p.main->statusText(), QStringLiteral("Заполнение"));
}

void TstFrmCreate::storedExactly()
{
    Program &p = *program;
    QVERIFY(p.sql(QStringLiteral("insert into arc values (1, '1,00', 'a', 'b', 'c', 'd', 'e', 'f', "
                                 "'01.01.2026')")));
    const QString longText = QString(40000, QLatin1Char('x')) + QStringLiteral("кінець");
    OrderRecord o;
    o.suma = QStringLiteral("п'ять");
    o.oderz = QStringLiteral("  ТОВ «Дн'про» \"Схід\"  ");
    o.idoderz = QStringLiteral("'; drop table arc; --");
    o.bank = QStringLiteral("АТ \"Банк\"\t") + QChar(0x00A0);
    o.idbank = QStringLiteral("%1 ? :id @x $y");
    o.kredit = longText;
    o.oznaka = QStringLiteral(" Оплата за п'ять\nмiсяцiв\n\n  кiнець ") + QChar(0x00A0);
    o.datazap = QStringLiteral("01.02.2026");

    frmCreate *d = open();
    enter(d, o);
    MessageBoxAnswerer answerer;
    button(d, "Command3")->click();
    QCOMPARE(texts(answerer.seen), (QStringList{ BadAmount, Saved }));

    const auto rows = p.arcRows();
    QCOMPARE(rows.size(), 2);
    const QStringList expected = { QStringLiteral("2"), o.suma, o.oderz, o.idoderz, o.bank,
                                   o.idbank, o.kredit, o.oznaka, o.datazap };
    QCOMPARE(rows.last(), expected);
    // The number is stored as a number: the archive finds it with id=2.
    QCOMPARE(TestSupport::queryRows(p.db(), QStringLiteral("select typeof(id) from arc where id=2")),
             QList<QStringList>{ { QStringLiteral("integer") } });
}

// Types text key by key, as a keyboard with any layout sends it.
static void type(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void TstFrmCreate::typedPurposeKeepsItsLines()
{
    Program &p = *program;
    // Typed key by key: Enter in the purpose box makes a new line, and the
    // line breaks reach the archive as line feeds.
    frmCreate *d = open();
    OrderRecord o = sampleOrder();
    o.oznaka.clear();
    enter(d, o);
    auto *purpose = control<QPlainTextEdit>(d, "Text8");
    type(purpose, QStringLiteral("Оплата за п'ять"));
    QTest::keyClick(purpose, Qt::Key_Return);
    type(purpose, QStringLiteral(" мiсяцiв "));
    QTest::keyClick(purpose, Qt::Key_Return, Qt::ShiftModifier);
    type(purpose, QStringLiteral("ПДВ"));
    type(box(d, "Text3"), QStringLiteral(" '"));

    MessageBoxAnswerer answerer;
    button(d, "Command3")->click();
    QCOMPARE(texts(answerer.seen), QStringList{ Saved });
    const auto rows = p.arcRows();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().at(7), QStringLiteral("Оплата за п'ять\n мiсяцiв \nПДВ"));
    QCOMPARE(rows.first().at(2), QStringLiteral("ТОВ Лан '"));
}

void TstFrmCreate::saveTwice()
{
    Program &p = *program;
    frmCreate *d = open();
    enter(d, sampleOrder());
    const QStringList typed = boxTexts(d);
    MessageBoxAnswerer answerer;
    button(d, "Command3")->click();
    p.main->setStatusText(QStringLiteral("Заполнение"));
    button(d, "Command3")->click();

    QCOMPARE(texts(answerer.seen), (QStringList{ Saved, Saved }));
    QCOMPARE(p.main->statusText(), QStringLiteral("Сохранено"));
    const auto rows = p.arcRows();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(0), rows.at(1));
    QCOMPARE(rows.at(0).at(0), QStringLiteral("1"));
    QCOMPARE(control<QLabel>(d, "Text1")->text(), QStringLiteral("1"));
    QCOMPARE(boxTexts(d), typed);
    QVERIFY(d->isVisible());
}

void TstFrmCreate::refusedSave()
{
    Program &p = *program;
    // The engine refuses the insert (here a trigger standing in for a full
    // disk): its text is shown, nothing is claimed, nothing changes.
    QVERIFY(p.sql(QStringLiteral("create trigger refuse before insert on arc "
                                 "begin select raise(abort, 'database or disk is full'); end")));
    frmCreate *d = open();
    enter(d, sampleOrder());
    const QStringList typed = boxTexts(d);
    MessageBoxAnswerer answerer;
    button(d, "Command3")->click();

    QCOMPARE(answerer.seen.size(), 1);
    const TestSupport::SeenBox &seen = answerer.seen.first();
    QCOMPARE(seen.title, QStringLiteral("Vexaron"));
    QCOMPARE(seen.icon, QMessageBox::Critical);
    QCOMPARE(seen.buttons.size(), 1);
    QCOMPARE(seen.text, QStringLiteral("Поручение не сохранено в архиве.\n\ndatabase or disk is full"));
    QCOMPARE(p.main->statusText(), QStringLiteral("Заполнение"));
    QVERIFY(d->isVisible());
    QCOMPARE(boxTexts(d), typed);
    QCOMPARE(p.arcCount(), 0);

    // Once the database takes it again, the same dialog saves.
    QVERIFY(p.sql(QStringLiteral("drop trigger refuse")));
    button(d, "Command3")->click();
    QCOMPARE(answerer.seen.last().text, Saved);
    QCOMPARE(p.arcCount(), 1);
}

void TstFrmCreate::cancel()
{
    Program &p = *program;
    QVERIFY(p.setRequisites(sampleRequisites()));
    const SheetFields before = p.fields();
    frmCreate *d = open();
    enter(d, sampleOrder());
    MessageBoxAnswerer answerer;
    button(d, "Command1")->click();

    QVERIFY(answerer.seen.isEmpty());
    QVERIFY(!d->isVisible());
    QCOMPARE(d->result(), int(QDialog::Rejected));
    QCOMPARE(p.main->statusText(), QStringLiteral("Отмена"));
    QCOMPARE(boxTexts(d), QStringList(7, QString()));
    QCOMPARE(p.fields(), before);
    QCOMPARE(p.arcCount(), 0);
}

void TstFrmCreate::titleBarClose()
{
    Program &p = *program;
    const SheetFields before = p.fields();
    frmCreate *d = open();
    enter(d, sampleOrder());
    MessageBoxAnswerer answerer;
    QVERIFY(d->close());
    QVERIFY(!d->isVisible());
    QVERIFY(answerer.seen.isEmpty());
    QCOMPARE(p.main->statusText(), QStringLiteral("Заполнение"));
    QCOMPARE(p.fields(), before);
    QCOMPARE(p.arcCount(), 0);
}

QTEST_MAIN(TstFrmCreate)
#include "tst_frmcreate.moc"
