#include "app/frmAbout.h"

#include "app/Icons.h"
#include "dialogkit/Controls.h"
#include "dialogkit/DialogKit.h"

#include <QLabel>
#include <QPushButton>

namespace {

using DialogKit::Control;
using DialogKit::Kind;

// The button comes first so that it is first in the tab order; all take
// the dialog's own font.
const QList<Control> &controls()
{
    using namespace DialogKit;
    static const QList<Control> list = {
        { "Command1", Kind::Button, "ОК", 4140, 3960, 1185, 375, Inherited, Default },
        { "Image1", Kind::Label, "", 90, 90, 2070, 2820, Inherited, Scaled },
        { "Label1", Kind::Label,
          "Vexaron\n"
          "Платежное поручение\n"
          "Версия 1.0\n\n"
          "Заполнение, печать и архив банковских платёжных поручений. Сумма прописью и дата "
          "выписки составляются сами; документ печатается в натуральную величину, как на "
          "бланке банка.",
          2205, 90, 3210, 2490, Inherited, Wrap | PlainText },
        { "Line2", Kind::Rule, "", 90, 2970, 5265, 0, Inherited, 0, Shade::Red },
        { "Label2", Kind::Label,
          "Данные: файл vexa.mdb в папке программы.\n"
          "Справка: меню «Справка», пункт «Помощь».",
          90, 3060, 5280, 465, Inherited, Wrap | PlainText },
        { "Line1_0", Kind::Rule, "", 45, 3600, 5310, 0, Inherited, 0, Shade::WindowText },
        { "Line1_1", Kind::Rule, "", 45, 3610, 5310, 0, Inherited, 0, Shade::Base },
        { "Label3", Kind::Label, "Vexaron © 2026", 90, 3960, 2580, 240, Inherited, PlainText },
    };
    return list;
}

} // namespace

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("О программе"));
    setWindowIcon(Icons::programIcon());
    // Fixed dialog border: a title and a close box, nothing to minimise or maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(DialogKit::twipsSize(WidthTwips, HeightTwips));

    DialogKit::build(this, controls());
    using DialogKit::control;
    Command1 = control<QPushButton>(this, "Command1");
    connect(Command1, &QPushButton::clicked, this, &frmAbout::Command1_Click);
    Image1 = control<QLabel>(this, "Image1");
    Image1->setPixmap(Icons::aboutPicture());
    Label1 = control<QLabel>(this, "Label1");
    Label2 = control<QLabel>(this, "Label2");
    Label3 = control<QLabel>(this, "Label3");
    QPalette blue = Label3->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    Label3->setPalette(blue);
}

void frmAbout::Command1_Click()
{
    hide();
}

void frmAbout::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    DialogKit::centreOnScreen(this);
    Command1->setFocus();
}
