#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The About window. The main window creates it on the first "О программе"
// command and afterwards only shows and hides it.
//
// Object names: the picture Image1, the texts Label1 to Label3, the red
// rule Line2, the double rule Line1_0 and Line1_1, the button Command1 (ОК).
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget *parent = nullptr);

    // Client area 5460 x 4500 twips.
    static constexpr int WidthTwips = 5460;
    static constexpr int HeightTwips = 4500;

public slots:
    // "ОК": hides the window and hands control back to the main window.
    void Command1_Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLabel *Image1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QPushButton *Command1 = nullptr;
};
