#pragma once

#include "store/Records.h"

#include <QDate>
#include <QDialog>

class Database;
class DocumentHost;
class QDateEdit;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The order-entry dialog. The user types one payment order; "Сохранить"
// adds it to the archive and leaves the dialog open, "OK" fills the
// document window and closes it, "Отмена" closes it. A fresh dialog is
// built for every opening: Form_Load proposes the next number and today's
// date.
//
// Object names: the boxes Text2 to Text6, Text8 and Text9, the number label
// Text1, DTPicker1, the buttons Command1 (Отмена), Command2 (OK) and
// Command3 (Сохранить). The caption array Label1 is named Label1_0 to
// Label1_9 (there is no Label1_6) and the separator array Line1 is named
// Line1_0 and Line1_1.
class frmCreate : public QDialog
{
    Q_OBJECT

public:
    frmCreate(Database &db, DocumentHost &host, QWidget *parent = nullptr);

    // Client area 7125 x 6000 twips.
    static constexpr int WidthTwips = 7125;
    static constexpr int HeightTwips = 6000;

    // Earliest and latest date the picker accepts: the date line writes the
    // century as "20".
    static QDate firstDate();
    static QDate lastDate();

    // The order as the dialog holds it: the number label, the seven boxes
    // exactly as typed and the picker's date as dd.mm.yyyy.
    OrderRecord order() const;

    // The number proposed for a new order: the archive's row count plus
    // one, or the largest stored number plus one when that is larger.
    static qint64 proposedNumber(qint64 count, qint64 largest);

    // Puts an order's amount, recipient and purpose into the boxes, as a
    // copy to be edited; the number and the date stay as proposed.
    void fillFrom(const OrderRecord &o);

public slots:
    void Form_Load();
    void Command1_Click(); // Отмена
    void Command2_Click(); // OK: fill the document
    void Command3_Click(); // Сохранить

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    bool nothingMissing();
    void showInputError(const QString &text);
    // Something was not done, and why.
    void showFailure(const QString &notDone, const QString &reason = QString());
    void clearBoxes();

    Database &m_db;
    DocumentHost &m_host;

    QLabel *Text1 = nullptr;
    QDateEdit *DTPicker1 = nullptr;
    QLineEdit *Text2 = nullptr;
    QLineEdit *Text3 = nullptr;
    QLineEdit *Text4 = nullptr;
    QLineEdit *Text5 = nullptr;
    QLineEdit *Text9 = nullptr;
    QLineEdit *Text6 = nullptr;
    QPlainTextEdit *Text8 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command1 = nullptr;
    bool m_centred = false;
};
