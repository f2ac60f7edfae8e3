#include "entry/frmCreate.h"

#include "document/DialogSupport.h"
#include "document/DocumentFill.h"
#include "document/DocumentHost.h"
#include "document/Form1.h"
#include "document/SheetFonts.h"
#include "store/Database.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>

#include <limits>

namespace {

constexpr int Twips = 15; // twips to a screen pixel

QRect twips(int left, int top, int width, int height)
{
    return QRect(qRound(left / double(Twips)), qRound(top / double(Twips)),
                 qRound(width / double(Twips)), qRound(height / double(Twips)));
}

QFont sansFont(bool bold)
{
    QFont font(SheetFonts::sansFamily());
    font.setPointSizeF(9.75);
    font.setBold(bold);
    return font;
}

QFont serifFont(bool bold)
{
    QFont font(SheetFonts::serifFamily());
    font.setPointSizeF(9.75);
    font.setBold(bold);
    return font;
}

// Qt has no title-bar-text colour; the highlighted-text colour is the same
// white in the usual schemes.
QColor titleBarTextColour(const QPalette &palette)
{
    return palette.color(QPalette::HighlightedText);
}

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

} // namespace

frmCreate::frmCreate(Database &db, DocumentHost &host, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                      | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_db(db)
    , m_host(host)
{
    SheetFonts::registerFonts();
    setObjectName(QStringLiteral("frmCreate"));
    setWindowTitle(QStringLiteral("Заполнение Констант"));
    setFixedSize(WidthTwips / Twips, HeightTwips / Twips);
    setSizeGripEnabled(false);

    buildControls();
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
    const struct
    {
        int index;
        const char *caption;
        int left, top, width, height;
    } captions[] = {
        { 0, "Номер доручення", 315, 405, 2040, 285 },
        { 1, "Сума   (0,00)", 315, 855, 2040, 285 },
        { 2, "Одержувач", 315, 1305, 2040, 285 },
        { 3, "Код одержувача", 315, 1755, 2040, 285 },
        { 4, "Банк одержувача", 315, 2205, 2040, 285 },
        { 8, "Код Банку", 315, 2655, 2040, 285 },
        { 5, "Роз. Рахунок", 315, 3105, 2040, 285 },
        { 7, "Призначення платежу", 315, 3555, 2040, 510 },
        { 9, "Дата", 3600, 405, 645, 285 },
    };
    for (const auto &c : captions) {
        auto *label = new QLabel(QString::fromUtf8(c.caption), this);
        label->setObjectName(QStringLiteral("Label1_%1").arg(c.index));
        label->setGeometry(twips(c.left, c.top, c.width, c.height));
        label->setFont(sansFont(false));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(true);
    }

    // The number: a label dressed as a read-only box.
    Text1 = new QLabel(QStringLiteral("0"), this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(twips(2430, 360, 960, 330));
    Text1->setFont(sansFont(true));
    Text1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Text1->setLineWidth(1);
    Text1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Text1->setAutoFillBackground(true);
    QPalette numberPalette = Text1->palette();
    numberPalette.setColor(QPalette::Window, titleBarTextColour(numberPalette));
    Text1->setPalette(numberPalette);

    DTPicker1 = new DatePicker(this);
    DTPicker1->setObjectName(QStringLiteral("DTPicker1"));
    DTPicker1->setGeometry(twips(4320, 360, 2580, 330));
    DTPicker1->setFont(serifFont(true));
    DTPicker1->setLocale(QLocale(QLocale::Russian, QLocale::Russia));
    DTPicker1->setDisplayFormat(QStringLiteral("dd/MMMM/yyyy"));
    DTPicker1->setCalendarPopup(true);
    DTPicker1->setDateRange(firstDate(), lastDate());

    auto textBox = [this](const char *name, int left, int top, int width, int height) {
        auto *box = new QLineEdit(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setGeometry(twips(left, top, width, height));
        box->setFont(sansFont(true));
        box->setMaxLength(std::numeric_limits<int>::max()); // no limit: Qt's default cuts at 32767
        return box;
    };
    Text2 = textBox("Text2", 2430, 810, 1905, 330);
    Text3 = textBox("Text3", 2430, 1260, 4470, 330);
    Text4 = textBox("Text4", 2430, 1710, 2535, 330);
    Text5 = textBox("Text5", 2430, 2160, 4470, 330);
    Text9 = textBox("Text9", 2430, 2610, 2535, 330);
    Text6 = textBox("Text6", 2430, 3060, 2535, 330);

    Text8 = new QPlainTextEdit(this);
    Text8->setObjectName(QStringLiteral("Text8"));
    Text8->setGeometry(twips(2430, 3510, 4470, 1050));
    Text8->setFont(sansFont(true));
    Text8->setTabChangesFocus(true);
    Text8->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    // The double rule above the buttons.
    const struct
    {
        const char *name;
        int y;
        QColor colour;
    } rules[] = {
        { "Line1_0", 5220, palette().color(QPalette::WindowText) },
        { "Line1_1", 5230, titleBarTextColour(palette()) },
    };
    for (const auto &r : rules) {
        auto *line = new QFrame(this);
        line->setObjectName(QString::fromLatin1(r.name));
        line->setFrameShape(QFrame::NoFrame);
        line->setGeometry(QRect(QPoint(qRound(45.0 / Twips), qRound(r.y / double(Twips))),
                                QSize(qRound((7065 - 45) / double(Twips)), 1)));
        line->setAutoFillBackground(true);
        QPalette p = line->palette();
        p.setColor(QPalette::Window, r.colour);
        line->setPalette(p);
    }

    auto button = [this](const char *name, const char *caption, int left) {
        auto *b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(twips(left, 5490, 1140, 375));
        // Enter in a box must not save or fill by itself.
        b->setAutoDefault(false);
        b->setDefault(false);
        return b;
    };
    Command3 = button("Command3", "Сохранить", 3375);
    Command2 = button("Command2", "OK", 4680);
    Command1 = button("Command1", "Отмена", 5895);
    connect(Command1, &QPushButton::clicked, this, &frmCreate::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmCreate::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmCreate::Command3_Click);

    // Tab order: the bank-code box and the date come after the buttons.
    const QList<QWidget *> chain = { Text2, Text3, Text4, Text5, Text6, Text8, Command3,
                                     Command2, Command1, Text9, DTPicker1 };
    for (int i = 1; i < chain.size(); ++i)
        setTabOrder(chain.at(i - 1), chain.at(i));
    Text2->setFocus();
}

void frmCreate::showEvent(QShowEvent *event)
{
    if (!m_centred) {
        m_centred = true;
        DialogSupport::centreOnScreen(this);
    }
    QDialog::showEvent(event);
}

void frmCreate::Form_Load()
{
    // Each step goes on when the one before failed; the number then stays "0".
    qint64 count = 0;
    if (m_db.countOrders(&count))
        Text1->setText(QString::number(count + 1));
    DTPicker1->setDate(QDate::currentDate());
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
    QMessageBox box(QMessageBox::Critical, QString(), text, QMessageBox::Ok, this);
    box.exec();
}

void frmCreate::showProgramError(const QString &text)
{
    DialogSupport::showFailure(this, text);
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
        showProgramError(QString::fromUtf8(NoRequisites));
        return;
    case DocumentFill::RequisitesRead::Failed:
        showProgramError(QString::fromUtf8(RequisitesUnreadable) + QStringLiteral("\n\n")
                         + m_db.errorText());
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
        showProgramError(QString::fromUtf8(NotSaved) + QStringLiteral("\n\n") + m_db.errorText());
        return;
    }
    m_host.setStatusText(QStringLiteral("Сохранено"));
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Vexaron"), QString::fromUtf8(Saved),
                    QMessageBox::Ok, this);
    box.exec();
}
