#include "app/frmAbout.h"

#include "app/Icons.h"
#include "document/DialogSupport.h"

#include <QLabel>
#include <QPushButton>

namespace {

constexpr double Twips = 15.0; // twips to a screen pixel

QRect twips(int left, int top, int width, int height)
{
    return QRect(qRound(left / Twips), qRound(top / Twips), qRound(width / Twips),
                 qRound(height / Twips));
}

// A one-pixel horizontal rule from x1 to x2 at y, in twips.
QWidget *makeRule(QWidget *parent, const char *name, int x1, int x2, int y, const QColor &colour)
{
    auto *rule = new QWidget(parent);
    rule->setObjectName(QString::fromLatin1(name));
    rule->setGeometry(qRound(x1 / Twips), qRound(y / Twips), qRound((x2 - x1) / Twips), 1);
    QPalette palette = rule->palette();
    palette.setColor(QPalette::Window, colour);
    rule->setPalette(palette);
    rule->setAutoFillBackground(true);
    return rule;
}

QLabel *makeText(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
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
    setFixedSize(qRound(WidthTwips / Twips), qRound(HeightTwips / Twips));

    // The button comes first so that it is first in the tab order.
    Command1 = new QPushButton(QStringLiteral("ОК"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twips(4140, 3960, 1185, 375));
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &frmAbout::Command1_Click);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(twips(90, 90, 2070, 2820));
    Image1->setScaledContents(true);
    Image1->setPixmap(Icons::aboutPicture());

    Label1 = makeText(this, "Label1",
                      QStringLiteral("Vexaron\n"
                                     "Платежное поручение\n"
                                     "Версия 1.0\n\n"
                                     "Заполнение, печать и архив банковских платёжных "
                                     "поручений. Сумма прописью и дата выписки "
                                     "составляются сами; документ печатается в "
                                     "натуральную величину, как на бланке банка."),
                      twips(2205, 90, 3210, 2490));

    makeRule(this, "Line2", 90, 5355, 2970, QColor(255, 0, 0));

    Label2 = makeText(this, "Label2",
                      QStringLiteral("Данные: файл vexa.mdb в папке программы.\n"
                                     "Справка: меню «Справка», пункт «Помощь»."),
                      twips(90, 3060, 5280, 465));

    makeRule(this, "Line1_0", 45, 5355, 3600, palette().color(QPalette::WindowText));
    makeRule(this, "Line1_1", 45, 5355, 3610, palette().color(QPalette::Base));

    Label3 = makeText(this, "Label3", QStringLiteral("Vexaron © 2026"),
                      twips(90, 3960, 2580, 240));
    Label3->setWordWrap(false);
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
    DialogSupport::centreOnScreen(this);
    Command1->setFocus();
}
