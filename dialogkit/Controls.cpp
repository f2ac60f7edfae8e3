#include "dialogkit/Controls.h"

#include "dialogkit/DialogKit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <limits>

namespace DialogKit {

namespace {

QColor shadeColour(const QWidget *dialog, Shade shade)
{
    switch (shade) {
    case Shade::WindowText:
        return dialog->palette().color(QPalette::WindowText);
    case Shade::HighlightedText: // Qt has no colour of title-bar text; this is the same white
        return dialog->palette().color(QPalette::Active, QPalette::HighlightedText);
    case Shade::Base:
        return dialog->palette().color(QPalette::Base);
    case Shade::Red:
        return QColor(255, 0, 0);
    case Shade::None:
        break;
    }
    return QColor();
}

QWidget *makeRule(QWidget *dialog, const Control &c)
{
    auto *rule = new QWidget(dialog);
    QPalette palette = rule->palette();
    palette.setColor(QPalette::Window, shadeColour(dialog, c.shade));
    rule->setPalette(palette);
    rule->setAutoFillBackground(true);
    return rule;
}

QWidget *makeLabel(QWidget *dialog, const Control &c)
{
    auto *label = new QLabel(QString::fromUtf8(c.text), dialog);
    if (c.options & Scaled) {
        label->setScaledContents(true);
        return label;
    }
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(c.options & Wrap);
    if (c.options & PlainText)
        label->setTextFormat(Qt::PlainText);
    return label;
}

QWidget *makeButton(QWidget *dialog, const Control &c)
{
    auto *button = new QPushButton(QString::fromUtf8(c.text), dialog);
    if (c.options & Default) {
        button->setDefault(true);
    } else {
        // Enter in a box must not press a button by itself.
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    return button;
}

QWidget *makeControl(QWidget *dialog, const Control &c, const Factory &custom)
{
    switch (c.kind) {
    case Kind::Label:
        return makeLabel(dialog, c);
    case Kind::Box: {
        auto *box = new QLineEdit(dialog);
        box->setMaxLength(std::numeric_limits<int>::max()); // Qt's default cuts at 32767
        return box;
    }
    case Kind::Memo: {
        auto *memo = new QPlainTextEdit(dialog);
        memo->setTabChangesFocus(true);
        memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        return memo;
    }
    case Kind::Button:
        return makeButton(dialog, c);
    case Kind::Rule:
        return makeRule(dialog, c);
    case Kind::Custom:
        return custom(c);
    }
    return nullptr;
}

} // namespace

void build(QWidget *dialog, const QList<Control> &controls, const Factory &custom)
{
    for (const Control &c : controls) {
        QWidget *w = makeControl(dialog, c, custom);
        w->setObjectName(QString::fromLatin1(c.name));
        w->setGeometry(c.kind == Kind::Rule ? QRect(pixels(c.left), pixels(c.top), pixels(c.width), 1)
                                            : twips(c.left, c.top, c.width, c.height));
        if (c.look.points > 0)
            w->setFont(font(c.look.face, c.look.points, c.look.bold));
    }
}

void setTabChain(QWidget *dialog, const QStringList &names)
{
    for (int i = 1; i < names.size(); ++i)
        QWidget::setTabOrder(dialog->findChild<QWidget *>(names.at(i - 1)),
                             dialog->findChild<QWidget *>(names.at(i)));
}

} // namespace DialogKit
