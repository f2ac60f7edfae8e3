#include "document/CheckNote.h"

#include "document/RequisiteChecks.h"

#include <QLabel>
#include <QLineEdit>

namespace {

constexpr int Gap = 6;          // pixels between the box and its note
constexpr int NarrowestNote = 90; // below this the note goes under the box
const char MarkedBorder[] = "QLineEdit { border: 1px solid #c00000; }";

} // namespace

CheckNote::CheckNote(QLineEdit *box, Check check)
    : QObject(box)
    , m_box(box)
    , m_note(new QLabel(box->parentWidget()))
    , m_check(std::move(check))
    , m_boxStyle(box->styleSheet())
{
    m_note->setObjectName(box->objectName() + QStringLiteral("_note"));
    m_note->setFocusPolicy(Qt::NoFocus);
    m_note->setWordWrap(true);
    m_note->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont font = box->font();
    font.setBold(false);
    font.setPointSizeF(7.5);
    m_note->setFont(font);
    QPalette palette = m_note->palette();
    palette.setColor(QPalette::WindowText, QColor(0xb0, 0, 0));
    m_note->setPalette(palette);
    m_note->hide();
    place();
    connect(box, &QLineEdit::textChanged, this, &CheckNote::recheck);
    recheck();
}

void CheckNote::alsoWatch(QLineEdit *other)
{
    connect(other, &QLineEdit::textChanged, this, &CheckNote::recheck);
}

QString CheckNote::text() const
{
    return m_note->isHidden() ? QString() : m_note->text();
}

// Beside the box where the dialog leaves room, else under it.
void CheckNote::place()
{
    const QRect box = m_box->geometry();
    const QWidget *dialog = m_box->parentWidget();
    const int besideWidth = dialog->width() - box.right() - 2 * Gap;
    if (besideWidth >= NarrowestNote)
        m_note->setGeometry(box.right() + Gap, box.top() - 2, besideWidth, box.height() + 4);
    else
        m_note->setGeometry(box.left(), box.bottom() + 1, box.width(), box.height() * 2 / 3);
}

void CheckNote::recheck()
{
    const QString note = m_check();
    if (note.isEmpty()) {
        m_note->hide();
        m_box->setStyleSheet(m_boxStyle);
        return;
    }
    m_note->setText(note);
    m_note->setToolTip(note);
    m_box->setStyleSheet(m_boxStyle + QString::fromLatin1(MarkedBorder));
    m_note->show();
}

void CheckNote::attachRequisites(QLineEdit *code, QLineEdit *bankCode, QLineEdit *account)
{
    new CheckNote(code, [code] { return RequisiteChecks::codeNote(code->text()); });
    auto *bankNote = new CheckNote(bankCode, [bankCode, account] {
        return RequisiteChecks::bankCodeNote(bankCode->text(), account->text());
    });
    bankNote->alsoWatch(account);
    new CheckNote(account, [account] { return RequisiteChecks::accountNote(account->text()); });

    // Only typing fills the bank code: a box the program fills (the stored
    // requisites, an archived order) shows what it holds.
    QObject::connect(account, &QLineEdit::textEdited, bankCode, [bankCode](const QString &typed) {
        const QString fromIban = RequisiteChecks::bankCodeFromIban(typed);
        if (bankCode->text().isEmpty() && !fromIban.isEmpty())
            bankCode->setText(fromIban);
    });
}
