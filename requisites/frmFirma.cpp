#include "requisites/frmFirma.h"

#include "dialogkit/Controls.h"
#include "dialogkit/DialogKit.h"
#include "dialogkit/Message.h"
#include "document/CheckNote.h"
#include "document/DocumentHost.h"
#include "store/Database.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace {

using DialogKit::Control;
using DialogKit::Kind;
using Sheet::Face;

constexpr DialogKit::Look Caption{ Face::SansSerif, 9.75, false };
constexpr DialogKit::Look Typed{ Face::SansSerif, 8.25, true };

// Created in tab order; the buttons take the dialog's own font.
const QList<Control> &controls()
{
    using namespace DialogKit;
    static const QList<Control> list = {
        { "Label1_0", Kind::Label, "Плательщик", 135, 315, 1995, 240, Caption },
        { "Text1", Kind::Box, "", 2070, 225, 4875, 330, Typed },
        { "Label1_1", Kind::Label, "Код Плательщика", 135, 810, 1815, 240, Caption },
        { "Text2", Kind::Box, "", 2070, 720, 2490, 330, Typed },
        { "Label1_2", Kind::Label, "Банк Плательщика", 135, 1305, 1905, 285, Caption },
        { "Text3", Kind::Box, "", 2070, 1215, 4875, 330, Typed },
        { "Label1_3", Kind::Label, "Код Банка", 135, 1800, 1725, 240, Caption },
        { "Text4", Kind::Box, "", 2070, 1710, 2490, 330, Typed },
        { "Command1", Kind::Button, "Отмена", 5760, 3645, 1230, 375 },
        { "Command2", Kind::Button, "Сохранить", 4455, 3645, 1230, 375 },
        { "Label1_4", Kind::Label, "Расчетный счет", 135, 2295, 1725, 240, Caption },
        { "Text5", Kind::Box, "", 2070, 2205, 2490, 330, Typed },
        // The double rule above the buttons: the default line colour, then the
        // colour of active title-bar text one pixel lower.
        { "Line1_0", Kind::Rule, "", 45, 3240, 6975, 0, Inherited, 0, Shade::WindowText },
        { "Line1_1", Kind::Rule, "", 45, 3250, 6975, 0, Inherited, 0, Shade::HighlightedText },
    };
    return list;
}

const char NotRead[] = "Не удалось прочитать реквизиты предприятия.";
const char NotSaved[] = "Реквизиты не сохранены.";

} // namespace

frmFirma::frmFirma(Database &db, DocumentHost &host, QWidget *parent)
    : QDialog(parent)
    , m_db(db)
    , m_host(host)
{
    setObjectName(QStringLiteral("frmFirma"));
    setWindowTitle(QStringLiteral(" Реквизиты Предприятия"));
    // Fixed dialog border: title only, no close, minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(DialogKit::twipsSize(WidthTwips, HeightTwips));
    setFont(DialogKit::font(Face::SansSerif, 8.25, false));
    buildControls();
    CheckNote::attachRequisites(Text2, Text4, Text5);
    Form_Initialize();
}

void frmFirma::buildControls()
{
    DialogKit::build(this, controls());
    using DialogKit::control;
    const struct
    {
        const char *name;
        QLineEdit *frmFirma::*box;
        void (frmFirma::*change)();
    } boxes[] = {
        { "Text1", &frmFirma::Text1, &frmFirma::Text1_Change },
        { "Text2", &frmFirma::Text2, &frmFirma::Text2_Change },
        { "Text3", &frmFirma::Text3, &frmFirma::Text3_Change },
        { "Text4", &frmFirma::Text4, &frmFirma::Text4_Change },
        { "Text5", &frmFirma::Text5, &frmFirma::Text5_Change },
    };
    for (const auto &b : boxes) {
        this->*b.box = control<QLineEdit>(this, b.name);
        connect(this->*b.box, &QLineEdit::textChanged, this, b.change);
    }
    Command1 = control<QPushButton>(this, "Command1");
    Command2 = control<QPushButton>(this, "Command2");
    connect(Command1, &QPushButton::clicked, this, &frmFirma::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmFirma::Command2_Click);

    DialogKit::setTabChain(this, { "Text1", "Text2", "Text3", "Text4", "Command1", "Command2", "Text5" });
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
        showFailure(QString::fromUtf8(NotRead), m_db.errorText());
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
        showFailure(QString::fromUtf8(NotSaved), m_db.errorText());
        return;
    }
    done(QDialog::Accepted);
    Command2->setEnabled(false);
    m_host.setStatusText(QStringLiteral("Сохранено"));
}

void frmFirma::showFailure(const QString &notDone, const QString &reason)
{
    DialogKit::show(isVisible() ? this : parentWidget(), DialogKit::failure(notDone, reason));
}

void frmFirma::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    DialogKit::centreOnScreen(this);
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
    if (!DialogKit::keyWithoutDefaults(this, event))
        QDialog::keyPressEvent(event);
}
