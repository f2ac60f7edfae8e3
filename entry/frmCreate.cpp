#include "entry/frmCreate.h"

#include "dialogkit/Controls.h"
#include "dialogkit/DialogKit.h"
#include "dialogkit/Message.h"
#include "document/CheckNote.h"
#include "document/DocumentFill.h"
#include "document/DocumentHost.h"
#include "document/Form1.h"
#include "entry/RecipientPicker.h"
#include "store/Database.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

using DialogKit::Control;
using DialogKit::Kind;
using Sheet::Face;

constexpr DialogKit::Look Caption{ Face::SansSerif, 9.75, false };
constexpr DialogKit::Look Typed{ Face::SansSerif, 9.75, true };
constexpr DialogKit::Look DateLook{ Face::Serif, 9.75, true };

// Created in this order; the tab order is tabChain's.
const QList<Control> &controls()
{
    using namespace DialogKit;
    static const QList<Control> list = {
        { "Label1_0", Kind::Label, "Номер доручення", 315, 405, 2040, 285, Caption, Wrap },
        { "Label1_1", Kind::Label, "Сума   (0,00)", 315, 855, 2040, 285, Caption, Wrap },
        { "Label1_2", Kind::Label, "Одержувач", 315, 1305, 2040, 285, Caption, Wrap },
        { "Label1_3", Kind::Label, "Код одержувача", 315, 1755, 2040, 285, Caption, Wrap },
        { "Label1_4", Kind::Label, "Банк одержувача", 315, 2205, 2040, 285, Caption, Wrap },
        { "Label1_8", Kind::Label, "Код Банку", 315, 2655, 2040, 285, Caption, Wrap },
        { "Label1_5", Kind::Label, "Роз. Рахунок", 315, 3105, 2040, 285, Caption, Wrap },
        { "Label1_7", Kind::Label, "Призначення платежу", 315, 3555, 2040, 510, Caption, Wrap },
        { "Label1_9", Kind::Label, "Дата", 3600, 405, 645, 285, Caption, Wrap },
        { "Text1", Kind::Custom, "0", 2430, 360, 960, 330, Typed },
        { "DTPicker1", Kind::Custom, "", 4320, 360, 2580, 330, DateLook },
        { "Text2", Kind::Box, "", 2430, 810, 1905, 330, Typed },
        { "Text3", Kind::Box, "", 2430, 1260, 4470, 330, Typed },
        { "Text4", Kind::Box, "", 2430, 1710, 2535, 330, Typed },
        { "Text5", Kind::Box, "", 2430, 2160, 4470, 330, Typed },
        { "Text9", Kind::Box, "", 2430, 2610, 2535, 330, Typed },
        { "Text6", Kind::Box, "", 2430, 3060, 2535, 330, Typed },
        { "Text8", Kind::Memo, "", 2430, 3510, 4470, 1050, Typed },
        // The double rule above the buttons.
        { "Line1_0", Kind::Rule, "", 45, 5220, 7020, 0, Inherited, 0, Shade::WindowText },
        { "Line1_1", Kind::Rule, "", 45, 5230, 7020, 0, Inherited, 0, Shade::HighlightedText },
        { "Command3", Kind::Button, "Сохранить", 3375, 5490, 1140, 375 },
        { "Command2", Kind::Button, "OK", 4680, 5490, 1140, 375 },
        { "Command1", Kind::Button, "Отмена", 5895, 5490, 1140, 375 },
    };
    return list;
}

// The bank-code box and the date come after the buttons.
const QStringList TabChain = { "Text2", "Text3", "Text4", "Text5", "Text6", "Text8", "Command3",
                               "Command2", "Command1", "Text9", "DTPicker1" };

const char MissingValue[] = "Пропущено значение";
const char BadAmount[] = "Не верно введена сумма";
const char Saved[] = "Запис виконано!";
const char NoRequisites[] =
        "Реквизиты предприятия не заполнены. Сначала заполните их: меню «Заполнение», "
        "пункт «Реквизиты предприятия».";
const char RequisitesUnreadable[] = "Не удалось прочитать реквизиты предприятия.";
const char NotSaved[] = "Поручение не сохранено в архиве.";

// Tab leaves the picker as it leaves every other control; the arrow keys
// move between day, month and year.
class DatePicker : public QDateEdit
{
public:
    using QDateEdit::QDateEdit;

protected:
    bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }
};

// The number: a label dressed as a read-only box, white as the text of a
// title bar.
QLabel *makeNumber(QWidget *dialog, const Control &c)
{
    auto *number = new QLabel(QString::fromUtf8(c.text), dialog);
    number->setFrameStyle(QFrame::Box | QFrame::Plain);
    number->setLineWidth(1);
    number->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    number->setAutoFillBackground(true);
    QPalette palette = number->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::HighlightedText));
    number->setPalette(palette);
    return number;
}

QDateEdit *makePicker(QWidget *dialog)
{
    auto *picker = new DatePicker(dialog);
    picker->setLocale(QLocale(QLocale::Russian, QLocale::Russia));
    picker->setDisplayFormat(QStringLiteral("dd/MMMM/yyyy"));
    picker->setCalendarPopup(true);
    picker->setDateRange(frmCreate::firstDate(), frmCreate::lastDate());
    return picker;
}

} // namespace

frmCreate::frmCreate(Database &db, DocumentHost &host, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                      | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_db(db)
    , m_host(host)
{
    setObjectName(QStringLiteral("frmCreate"));
    setWindowTitle(QStringLiteral("Заполнение Констант"));
    setFixedSize(DialogKit::twipsSize(WidthTwips, HeightTwips));
    setSizeGripEnabled(false);

    buildControls();
    CheckNote::attachRequisites(Text4, Text9, Text6);
    new RecipientPicker(m_db, { Text3, Text4, Text5, Text9, Text6 }, this);
    Form_Load();
}

QDate frmCreate::firstDate()
{
    return QDate(2000, 1, 1);
}

QDate frmCreate::lastDate()
{
    return QDate(2099, 12, 31);
}

void frmCreate::buildControls()
{
    DialogKit::build(this, controls(), [this](const Control &c) -> QWidget * {
        if (qstrcmp(c.name, "Text1") == 0)
            return makeNumber(this, c);
        return makePicker(this);
    });
    using DialogKit::control;
    Text1 = control<QLabel>(this, "Text1");
    DTPicker1 = control<QDateEdit>(this, "DTPicker1");
    Text2 = control<QLineEdit>(this, "Text2");
    Text3 = control<QLineEdit>(this, "Text3");
    Text4 = control<QLineEdit>(this, "Text4");
    Text5 = control<QLineEdit>(this, "Text5");
    Text9 = control<QLineEdit>(this, "Text9");
    Text6 = control<QLineEdit>(this, "Text6");
    Text8 = control<QPlainTextEdit>(this, "Text8");

    const struct
    {
        const char *name;
        QPushButton *frmCreate::*button;
        void (frmCreate::*click)();
    } buttons[] = {
        { "Command3", &frmCreate::Command3, &frmCreate::Command3_Click },
        { "Command2", &frmCreate::Command2, &frmCreate::Command2_Click },
        { "Command1", &frmCreate::Command1, &frmCreate::Command1_Click },
    };
    for (const auto &b : buttons) {
        this->*b.button = control<QPushButton>(this, b.name);
        connect(this->*b.button, &QPushButton::clicked, this, b.click);
    }

    DialogKit::setTabChain(this, TabChain);
    Text2->setFocus();
}

void frmCreate::showEvent(QShowEvent *event)
{
    if (!m_centred) {
        m_centred = true;
        DialogKit::centreOnScreen(this);
    }
    QDialog::showEvent(event);
}

void frmCreate::Form_Load()
{
    // Each step goes on when the one before failed; the number then stays "0".
    qint64 count = 0;
    qint64 largest = 0;
    if (m_db.countOrders(&count)) {
        m_db.largestNumber(&largest); // unread, the count alone proposes
        Text1->setText(QString::number(proposedNumber(count, largest)));
    }
    DTPicker1->setDate(QDate::currentDate());
}

qint64 frmCreate::proposedNumber(qint64 count, qint64 largest)
{
    // The count alone repeats a stored number once a row has been deleted.
    return qMax(count + 1, largest + 1);
}

void frmCreate::fillFrom(const OrderRecord &o)
{
    Text2->setText(o.suma);
    Text3->setText(o.oderz);
    Text4->setText(o.idoderz);
    Text5->setText(o.bank);
    Text9->setText(o.idbank);
    Text6->setText(o.kredit);
    Text8->setPlainText(o.oznaka);
}

OrderRecord frmCreate::order() const
{
    // The purpose box keeps its lines as paragraph or line separators;
    // everything else, non-breaking spaces included, stays as typed.
    QString purpose = Text8->document()->toRawText();
    purpose.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    purpose.replace(QChar::LineSeparator, QLatin1Char('\n'));

    OrderRecord o;
    o.id = Text1->text();
    o.suma = Text2->text();
    o.oderz = Text3->text();
    o.idoderz = Text4->text();
    o.bank = Text5->text();
    o.idbank = Text9->text();
    o.kredit = Text6->text();
    o.oznaka = purpose;
    o.datazap = DTPicker1->date().toString(QStringLiteral("dd.MM.yyyy"));
    return o;
}

void frmCreate::showInputError(const QString &text)
{
    DialogKit::show(this, DialogKit::badInput(text));
}

void frmCreate::showFailure(const QString &notDone, const QString &reason)
{
    DialogKit::show(this, DialogKit::failure(notDone, reason));
}

// The emptiness check. A box holding only blanks is not empty.
bool frmCreate::nothingMissing()
{
    const bool missing = Text2->text().isEmpty() || Text3->text().isEmpty()
            || Text4->text().isEmpty() || Text5->text().isEmpty() || Text9->text().isEmpty()
            || Text6->text().isEmpty() || Text8->document()->isEmpty();
    if (missing)
        showInputError(QString::fromUtf8(MissingValue));
    return !missing;
}

void frmCreate::clearBoxes()
{
    Text2->clear();
    Text3->clear();
    Text4->clear();
    Text5->clear();
    Text9->clear();
    Text8->clear();
    Text6->clear();
}

void frmCreate::Command1_Click()
{
    clearBoxes();
    m_host.setStatusText(QStringLiteral("Отмена"));
    reject();
}

void frmCreate::Command2_Click()
{
    if (!nothingMissing())
        return;
    const OrderRecord o = order();

    // An amount that cannot be split into hryvnias and kopecks is refused
    // before anything is written; a misplaced comma only warns.
    switch (DocumentFill::checkAmount(o.suma)) {
    case DocumentFill::AmountForm::Unusable:
        showInputError(QString::fromUtf8(BadAmount));
        return;
    case DocumentFill::AmountForm::Misplaced:
        showInputError(QString::fromUtf8(BadAmount));
        break;
    case DocumentFill::AmountForm::Good:
        break;
    }

    Requisites requisites;
    switch (DocumentFill::readRequisites(m_db, &requisites)) {
    case DocumentFill::RequisitesRead::Read:
        break;
    case DocumentFill::RequisitesRead::NoRow:
        showFailure(QString::fromUtf8(NoRequisites));
        return;
    case DocumentFill::RequisitesRead::Failed:
        showFailure(QString::fromUtf8(RequisitesUnreadable), m_db.errorText());
        return;
    }

    Form1 *document = m_host.documentWindow();
    if (!document)
        return;
    DocumentFill::fill(*document, o, requisites);
    clearBoxes();
    m_host.setStatusText(QStringLiteral("Готово:"));
    accept();
}

void frmCreate::Command3_Click()
{
    if (!nothingMissing())
        return;
    const OrderRecord o = order();
    if (!DocumentFill::commaPlaced(o.suma))
        showInputError(QString::fromUtf8(BadAmount)); // a warning: the amount is saved as typed

    if (!m_db.insertOrder(o)) {
        showFailure(QString::fromUtf8(NotSaved), m_db.errorText());
        return;
    }
    m_host.setStatusText(QStringLiteral("Сохранено"));
    DialogKit::show(this, DialogKit::notice(QString::fromUtf8(Saved)));
}
