#pragma once

#include <QDialog>
#include <QString>

class Database;
class DocumentHost;
class QLineEdit;
class QPushButton;

// The requisites dialog: the paying company's one row of table firma in
// five boxes. The main window creates it on the first "Реквизиты" command
// and afterwards only shows and hides it, so the boxes and the state of
// "Сохранить" stay as the user left them; the row is read once per run.
//
// Object names: the boxes Text1 to Text5, the buttons Command1 (Отмена) and
// Command2 (Сохранить), the captions Label1_0 to Label1_4 and the double
// rule Line1_0 and Line1_1.
//
// The title bar has no close button: the row's values would be lost from
// the boxes if the window could be discarded. A close request that still
// arrives (Alt+F4) is taken as "Отмена"; Esc does nothing, there being no
// cancel button.
class frmFirma : public QDialog
{
    Q_OBJECT

public:
    frmFirma(Database &db, DocumentHost &host, QWidget *parent = nullptr);

    // Client area 7110 x 4170 twips.
    static constexpr int WidthTwips = 7110;
    static constexpr int HeightTwips = 4170;

public slots:
    // Shows the dialog modal. If the row could not be read when the dialog
    // was created, it is read now; when that fails again the reason is
    // shown and the dialog stays closed, so empty boxes never pose as the
    // company's requisites.
    int exec() override;

    // Reads the firma row into the boxes and disables "Сохранить". False
    // when the statement failed; Database::errorText() says why.
    bool Form_Initialize();

    void Text1_Change();
    void Text2_Change();
    void Text3_Change();
    void Text4_Change();
    void Text5_Change();

    void Command1_Click(); // Отмена
    void Command2_Click(); // Сохранить

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildControls();
    // Something was not done, and why.
    void showFailure(const QString &notDone, const QString &reason);

    Database &m_db;
    DocumentHost &m_host;
    bool m_filled = false;

    QLineEdit *Text1 = nullptr;
    QLineEdit *Text2 = nullptr;
    QLineEdit *Text3 = nullptr;
    QLineEdit *Text4 = nullptr;
    QLineEdit *Text5 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
};
