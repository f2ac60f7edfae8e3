#include "requisites/frmFirma.h"

#include "document/DialogSupport.h"
#include "document/DocumentHost.h"
#include "document/SheetFonts.h"
#include "store/Database.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

namespace {

constexpr int Twips = 15; // twips to a screen pixel

QRect twips(int left, int top, int width, int height)
{
    return QRect(left / Twips, top / Twips, width / Twips, height / Twips);
}

QFont sansFont(double points, bool bold)
{
    QFont font(SheetFonts::sansFamily());
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// A one-pixel horizontal rule in a solid colour.
QWidget *makeRule(QWidget *parent, const char *name, int x1, int x2, int y, const QColor &colour)
{
    auto *rule = new QWidget(parent);
    rule->setObjectName(QString::fromLatin1(name));
    rule->setGeometry(x1 / Twips, qRound(y / double(Twips)), (x2 - x1) / Twips, 1);
    QPalette palette = rule->palette();
    palette.setColor(QPalette::Window, colour);
    rule->setPalette(palette);
    rule->setAutoFillBackground(true);
    return rule;
}

} // namespace

frmFirma::frmFirma(Database &db, DocumentHost &host, QWidget *parent)
    : QDialog(parent)
    , m_db(db)
    , m_host(host)
{
    SheetFonts::registerFonts();
    setObjectName(QStringLiteral("frmFirma"));
    setWindowTitle(QStringLiteral(" Реквизиты Предприятия"));
    // Fixed dialog border: title only, no close, minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(WidthTwips / Twips, HeightTwips / Twips);
    setFont(sansFont(8.25, false));
    buildControls();
    Form_Initialize();
}

void frmFirma::buildControls()
{
    const QFont labelFont = sansFont(9.75, false);
    const QFont boxFont = sansFont(8.25, true);

    auto label = [&](int index, const QString &caption, const QRect &geometry) {
        auto *l = new QLabel(caption, this);
        l->setObjectName(QStringLiteral("Label1_%1").arg(index));
        l->setFont(labelFont);
        l->setGeometry(geometry);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return l;
    };
    auto box = [&](const char *name, const QRect &geometry, void (frmFirma::*change)()) {
        auto *t = new QLineEdit(this);
        t->setObjectName(QString::fromLatin1(name));
        t->setFont(boxFont);
        t->setGeometry(geometry);
        t->setMaxLength(std::numeric_limits<int>::max());
        connect(t, &QLineEdit::textChanged, this, change);
        return t;
    };
    auto button = [&](const char *name, const QString &caption, const QRect &geometry,
                      void (frmFirma::*click)()) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(geometry);
        b->setAutoDefault(false); // no default button: Enter in a box does nothing
        b->setDefault(false);
        connect(b, &QPushButton::clicked, this, click);
        return b;
    };

    // Created in tab order.
    label(0, QStringLiteral("Плательщик"), twips(135, 315, 1995, 240));
    Text1 = box("Text1", twips(2070, 225, 4875, 330), &frmFirma::Text1_Change);
    label(1, QStringLiteral("Код Плательщика"), twips(135, 810, 1815, 240));
    Text2 = box("Text2", twips(2070, 720, 2490, 330), &frmFirma::Text2_Change);
    label(2, QStringLiteral("Банк Плательщика"), twips(135, 1305, 1905, 285));
    Text3 = box("Text3", twips(2070, 1215, 4875, 330), &frmFirma::Text3_Change);
    label(3, QStringLiteral("Код Банка"), twips(135, 1800, 1725, 240));
    Text4 = box("Text4", twips(2070, 1710, 2490, 330), &frmFirma::Text4_Change);
    Command1 = button("Command1", QStringLiteral("Отмена"), twips(5760, 3645, 1230, 375),
                      &frmFirma::Command1_Click);
    Command2 = button("Command2", QStringLiteral("Сохранить"), twips(4455, 3645, 1230, 375),
                      &frmFirma::Command2_Click);
    label(4, QStringLiteral("Расчетный счет"), twips(135, 2295, 1725, 240));
    Text5 = box("Text5", twips(2070, 2205, 2490, 330), &frmFirma::Text5_Change);

    // The double rule above the buttons: the default line colour, then the
    // colour of active title-bar text one pixel lower.
    makeRule(this, "Line1_0", 45, 7020, 3240, palette().color(QPalette::WindowText));
    makeRule(this, "Line1_1", 45, 7020, 3250, palette().color(QPalette::Active, QPalette::HighlightedText));

    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Text3);
    setTabOrder(Text3, Text4);
    setTabOrder(Text4, Command1);
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Text5);
    Text1->setFocus();
}

bool frmFirma::Form_Initialize()
{
    Requisites requisites;
    bool found = false;
    if (!m_db.readRequisites(&requisites, &found)) {
        m_filled = false;
        return false;
    }
    if (found) {
        Text1->setText(requisites.firma);
        Text2->setText(requisites.kodfirma);
        Text3->setText(requisites.bank);
        Text4->setText(requisites.kodbank);
        Text5->setText(requisites.rsbank);
    }
    // Filling the boxes ran their change handlers; nothing has been edited.
    Command2->setEnabled(false);
    m_filled = true;
    return true;
}

int frmFirma::exec()
{
    if (!m_filled && !Form_Initialize()) {
        showFailure(m_db.errorText());
        return QDialog::Rejected;
    }
    return QDialog::exec();
}

void frmFirma::Text1_Change()
{
    Command2->setEnabled(true);
}

void frmFirma::Text2_Change()
{
    Command2->setEnabled(true);
}

void frmFirma::Text3_Change()
{
    Command2->setEnabled(true);
}

void frmFirma::Text4_Change()
{
    Command2->setEnabled(true);
}

void frmFirma::Text5_Change()
{
    Command2->setEnabled(true);
}

void frmFirma::Command1_Click()
{
    m_host.setStatusText(QStringLiteral("Отмена"));
    done(QDialog::Rejected);
}

void frmFirma::Command2_Click()
{
    Requisites requisites;
    requisites.firma = Text1->text();
    requisites.kodfirma = Text2->text();
    requisites.bank = Text3->text();
    requisites.kodbank = Text4->text();
    requisites.rsbank = Text5->text();
    if (!m_db.saveRequisites(requisites)) {
        // Nothing was saved: the window stays open with what was typed.
        showFailure(m_db.errorText());
        return;
    }
    done(QDialog::Accepted);
    Command2->setEnabled(false);
    m_host.setStatusText(QStringLiteral("Сохранено"));
}

void frmFirma::showFailure(const QString &text)
{
    DialogSupport::showFailure(isVisible() ? this : parentWidget(), text);
}

void frmFirma::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    DialogSupport::centreOnScreen(this);
    Text1->setFocus();
}

void frmFirma::closeEvent(QCloseEvent *event)
{
    if (isVisible())
        Command1_Click();
    event->accept();
}

void frmFirma::keyPressEvent(QKeyEvent *event)
{
    // No default and no cancel button.
    if (!DialogSupport::keyWithoutDefaults(this, event))
        QDialog::keyPressEvent(event);
}
