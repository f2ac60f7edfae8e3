#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLabel;
class QLineEdit;

// A short note beside a box while its check has something to say, and a
// marked border on the box; both go as soon as the text is right. The note
// is a label: it takes no focus and changes no tab order, and the dialog's
// buttons work as they always did, whatever it says.
//
// The note's object name is the box's with "_note" added (Text6_note).
class CheckNote : public QObject
{
    Q_OBJECT

public:
    using Check = std::function<QString()>;

    // Judges the box now and whenever its text changes.
    CheckNote(QLineEdit *box, Check check);

    // Judges the box again whenever other's text changes too.
    void alsoWatch(QLineEdit *other);
    QString text() const;

    // The checks of a company's or recipient's requisites: the code, the
    // bank code and the account, each with its note. A valid UA IBAN typed
    // into the account fills an empty bank-code box; a code already there
    // stays and gets a note when it differs.
    static void attachRequisites(QLineEdit *code, QLineEdit *bankCode, QLineEdit *account);

public slots:
    void recheck();

private:
    void place();

    QLineEdit *m_box;
    QLabel *m_note;
    Check m_check;
    QString m_boxStyle; // the box's own style sheet, put back when the note goes
};
