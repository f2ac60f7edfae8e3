#pragma once

#include "document/DocumentHost.h"
#include "store/Database.h"

#include <QMainWindow>

#include <memory>

class Form1;
class frmAbout;
class QPrinter;
class frmArc;
class frmFirma;
class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QToolBar;

// The main window: menu, toolbar, status bar and the document window in its
// client area. It owns the database handle for the whole run.
class MDIForm1 : public QMainWindow, public DocumentHost
{
    Q_OBJECT

public:
    explicit MDIForm1(const QString &programFolder, QWidget *parent = nullptr);
    ~MDIForm1() override;

    // The load step: creates and centres the document window and opens
    // vexa.mdb in the program folder. On failure shows the reason and
    // returns false; the program must not go on without its database.
    bool MDIForm_Load();

    QString databasePath() const;
    Database &database() { return m_database; }

    // DocumentHost
    void setStatusText(const QString &text) override;
    QString statusText() const override;
    Form1 *documentWindow() override;
    void openOrderEntryFrom(const OrderRecord &order) override;

    // Shows the document window (after the start-up pause).
    void showDocumentWindow();

    // The client area between the toolbar and the status bar, in twips.
    QSizeF clientSizeTwips() const;
    // The document window's position in the client area, in twips, as last set.
    QPointF documentOriginTwips() const { return m_documentOrigin; }

    // The one printer of the run, made on first use and set up for the
    // sheet; the printer-setup command changes it, Print prints on it.
    QPrinter &printer();
    // The help file in the program folder.
    QString helpFilePath() const;

public slots:
    void mnuNew_Click();
    void mnuArchive_Click();
    void mnuFirma_Click();
    void mnuPrintSetup_Click();
    void mnuPrint_Click();
    void mnuClose_Click();
    void mnuHelp_Click();
    void mnuAbout_Click();
    void mnuEditor_Click();
    // Buttons are counted from 1; the separator is button 5.
    void Toolbar1_ButtonClick(int index);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createMenus();
    void createToolbar();
    void createStatusBar();
    void MDIForm_Resize();

    QString m_programFolder;
    Database m_database;
    QMdiArea *m_client = nullptr;
    QMdiSubWindow *m_documentFrame = nullptr;
    Form1 *m_document = nullptr;
    QToolBar *m_toolbar = nullptr;
    QLabel *m_statusPanel = nullptr;
    QPointF m_documentOrigin;
    std::unique_ptr<QPrinter> m_printer;
    frmAbout *m_frmAbout = nullptr; // created on first use, then only hidden
    // Created on first use and kept for the whole run.
    frmArc *m_frmArc = nullptr;
    frmFirma *m_frmFirma = nullptr;
};
