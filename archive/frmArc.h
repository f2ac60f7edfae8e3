#pragma once

#include "store/Records.h"

#include <QDialog>

class ArcModel;
class Database;
class DocumentHost;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// The archive dialog: every saved order as one line of a nine-column list.
// "OK" (or a double-click anywhere in the list) puts the chosen order back
// into the document window, "Удалить" deletes it, "Отмена" closes.
//
// The dialog object lives for the whole run; each opening rebuilds the list
// (Form_Load). The chosen order survives closing, reopening and reloading:
// its number (SelectedId) and the row it came from (SQLite's rowid), so that
// of two orders sharing a number only the chosen one is shown or deleted.
//
// Below the list: a search box (every typed word in some column) and a
// date range "з" ... "по"; a click on a column header sorts by it, again
// reverses, a third time restores the saved order. The chosen line stays
// chosen through all of these. Under the buttons: the lines' count and sum,
// and "Копировать", which starts a new order from the chosen one.
//
// Object names: the list ListView1, the buttons Command1 (Отмена),
// Command2 (OK) and Command3 (Удалить); after them Command4 (QR-код) and
// Command5 (Экспорт...), which hand orders to the bank (archive/Handover.h);
// then txtSearch, dtpFrom, dtpTo, lblTotals and cmdCopy (Копировать).
class frmArc : public QDialog
{
    Q_OBJECT

public:
    frmArc(Database &db, DocumentHost &host, QWidget *parent = nullptr);

    // Client area 7215 x 5430 twips, grown downwards for the totals and
    // the buttons after "Удалить"; each list column 1440 twips at opening.
    static constexpr int WidthTwips = 7215;
    static constexpr int HeightTwips = 5430;
    static constexpr int GrownHeightTwips = 6330;
    static constexpr int ColumnTwips = 1440;

    // The number of the line chosen last in this run, 0 before any choice.
    qint64 selectedId() const { return SelectedId; }

    const ArcModel *model() const { return m_model; }

public slots:
    // Rebuilds the list from the archive; run each time the dialog is opened.
    void Form_Load();
    // The user chose the line at row (0-based).
    void ListView1_ItemClick(int row);
    void ListView1_DblClick();
    void Command1_Click(); // Отмена
    void Command2_Click(); // OK: reprint the chosen order
    void Command3_Click(); // Удалить
    void Command4_Click(); // QR-код of the chosen order
    void Command5_Click(); // Экспорт... of the listed orders
    void cmdCopy_Click();  // Копировать: a new order from the chosen one
    // A click on a column header: ascending, descending, the saved order.
    void ListView1_ColumnClick(int column);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void setUpList();
    void loadList();
    // Something was not done, and why.
    void showFailure(const QString &notDone, const QString &reason = QString());
    bool readWhole(const QVector<qint64> &rowids, QVector<OrderRecord> *orders);
    Requisites payer();
    QWidget *dateBox();
    void setUpSearch();
    // After the lines changed: the chosen line chosen again, the totals.
    void linesChanged();
    void searchChanged();

    Database &m_db;
    DocumentHost &m_host;
    ArcModel *m_model = nullptr;

    qint64 SelectedId = 0;
    qint64 m_selectedRowid = 0;

    QTableView *ListView1 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command5 = nullptr;
    QLineEdit *txtSearch = nullptr;
    QLabel *lblFrom = nullptr;
    QDateEdit *dtpFrom = nullptr;
    QLabel *lblTo = nullptr;
    QDateEdit *dtpTo = nullptr;
    QLabel *lblTotals = nullptr;
    QPushButton *cmdCopy = nullptr;
};
