#include "app/MDIForm1.h"

#include "app/Centring.h"
#include "app/Icons.h"
#include "app/SheetPrinter.h"
#include "app/frmAbout.h"
#include "archive/frmArc.h"
#include "dialogkit/DialogKit.h"
#include "dialogkit/Message.h"
#include "document/Form1.h"
#include "entry/frmCreate.h"
#include "requisites/frmFirma.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace {

using DialogKit::pixels;
using DialogKit::TwipsPerPixel;

// The system's desktop colour behind the document window.
const QColor DesktopColour(0x3A, 0x6E, 0xA5);

struct MenuItem
{
    const char *name;
    const char *caption; // empty: a separator
};

// Starts a help viewer on the file, detached; false when none would start.
bool startHelpViewer(const QString &file, const QString &workingFolder)
{
    auto start = [&](const QString &program, const QStringList &arguments) {
        QProcess viewer;
        viewer.setProgram(program);
        viewer.setArguments(arguments);
        viewer.setWorkingDirectory(workingFolder);
        return viewer.startDetached();
    };
#ifdef Q_OS_WIN
    return start(QStringLiteral("hh"), { QDir::toNativeSeparators(file) });
#else
    // A CHM viewer found on PATH, else whatever the desktop opens .chm files with.
    const char *const viewers[] = { "xchm", "kchmviewer", "uchmviewer", "xdg-open" };
    for (const char *name : viewers) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!program.isEmpty() && start(program, { file }))
            return true;
    }
    return false;
#endif
}

} // namespace

MDIForm1::MDIForm1(const QString &programFolder, QWidget *parent)
    : QMainWindow(parent)
    , m_programFolder(programFolder)
{
    setObjectName(QStringLiteral("MDIForm1"));
    setWindowTitle(QStringLiteral("Платежное поручение"));
    setWindowIcon(Icons::programIcon());

    m_client = new QMdiArea(this);
    m_client->setObjectName(QStringLiteral("MDIClient"));
    m_client->setBackground(DesktopColour);
    m_client->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_client->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_client->setFrameShape(QFrame::NoFrame);
    m_client->setMinimumSize(1, 1); // the document window may stand out of the client area
    m_client->viewport()->installEventFilter(this);
    setCentralWidget(m_client);

    createMenus();
    createToolbar();
    createStatusBar();

    // Restored size: a client area of 9615 x 7560 twips, centred on the screen.
    resize(pixels(9615), pixels(7560) + m_toolbar->height() + statusBar()->height()
                   + menuBar()->sizeHint().height());
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

MDIForm1::~MDIForm1() = default;

void MDIForm1::createMenus()
{
    auto addItems = [](QMenu *menu, std::initializer_list<MenuItem> items) {
        for (const MenuItem &item : items) {
            QAction *action = QString::fromUtf8(item.caption).isEmpty()
                    ? menu->addSeparator()
                    : menu->addAction(QString::fromUtf8(item.caption));
            action->setObjectName(QString::fromUtf8(item.name));
        }
    };

    QMenu *create = menuBar()->addMenu(QStringLiteral("&Заполнение"));
    create->setObjectName(QStringLiteral("mnuCreate"));
    addItems(create, { { "mnuNew", "Новый" },
                       { "mnuArchive", "Архив" },
                       { "mnuFirma", "Реквизиты предприятия" },
                       { "separator", "" },
                       { "mnuPrintSetup", "Настройка печати..." },
                       { "mnuPrint", "Печать" },
                       { "separator1", "" },
                       { "mnuClose", "Выход" } });

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Справка"));
    help->setObjectName(QStringLiteral("mnuHelp_"));
    addItems(help, { { "mnuHelp", "Помощь     " },
                     { "mnuAbout", "О программе" },
                     { "mnuEditor", "Автор" } });

    const struct
    {
        const char *name;
        void (MDIForm1::*handler)();
    } handlers[] = {
        { "mnuNew", &MDIForm1::mnuNew_Click },
        { "mnuArchive", &MDIForm1::mnuArchive_Click },
        { "mnuFirma", &MDIForm1::mnuFirma_Click },
        { "mnuPrintSetup", &MDIForm1::mnuPrintSetup_Click },
        { "mnuPrint", &MDIForm1::mnuPrint_Click },
        { "mnuClose", &MDIForm1::mnuClose_Click },
        { "mnuHelp", &MDIForm1::mnuHelp_Click },
        { "mnuAbout", &MDIForm1::mnuAbout_Click },
        { "mnuEditor", &MDIForm1::mnuEditor_Click },
    };
    for (const auto &h : handlers) {
        QAction *action = findChild<QAction *>(QString::fromUtf8(h.name));
        connect(action, &QAction::triggered, this, h.handler);
    }
}

void MDIForm1::createToolbar()
{
    m_toolbar = addToolBar(QStringLiteral("Toolbar1"));
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolbar->setIconSize(QSize(16, 15));
    m_toolbar->setFixedHeight(pixels(555));
    m_toolbar->setContentsMargins(0, 0, 0, 0);
    m_toolbar->layout()->setContentsMargins(0, 0, 0, 0);
    m_toolbar->layout()->setSpacing(0);

    const struct
    {
        const char *caption;
        const char *tooltip;
        int image;
    } buttons[] = {
        { "  Новый   ", "Новое поручение", 1 },
        { "   Архив    ", "Просмотр архива", 2 },
        { "   Рек-ты    ", "Заполнение константы", 4 },
        { "Печать", "Вывод документа на печать", 3 },
    };
    int index = 0;
    for (const auto &b : buttons) {
        ++index;
        auto *action = new QAction(QIcon(Icons::toolbarImage(b.image)), QString::fromUtf8(b.caption),
                                   m_toolbar);
        action->setObjectName(QStringLiteral("Toolbar1_Button%1").arg(index));
        action->setIconText(QString::fromUtf8(b.caption));
        action->setToolTip(QString::fromUtf8(b.tooltip));
        m_toolbar->addAction(action);
        connect(action, &QAction::triggered, this, [this, index] { Toolbar1_ButtonClick(index); });
    }
    QAction *separator = m_toolbar->addSeparator();
    separator->setObjectName(QStringLiteral("Toolbar1_Button5"));
}

void MDIForm1::createStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(pixels(330));
    m_statusPanel = new QLabel(QStringLiteral("Готово:"), bar);
    m_statusPanel->setObjectName(QStringLiteral("Panel1"));
    m_statusPanel->setFixedWidth(pixels(1440));
    m_statusPanel->setFrameShape(QFrame::Panel);
    m_statusPanel->setFrameShadow(QFrame::Sunken);
    bar->addWidget(m_statusPanel);
}

QString MDIForm1::databasePath() const
{
    return QDir(m_programFolder).filePath(QStringLiteral("vexa.mdb"));
}

bool MDIForm1::MDIForm_Load()
{
    documentWindow();
    MDIForm_Resize();
    if (!m_database.open(databasePath())) {
        DialogKit::Message refused = DialogKit::failure(
                QStringLiteral("Не удалось открыть базу данных\n") + QDir::toNativeSeparators(databasePath()),
                m_database.errorText());
        refused.objectName = QStringLiteral("DatabaseError");
        DialogKit::show(nullptr, refused);
        return false;
    }
    return true;
}

Form1 *MDIForm1::documentWindow()
{
    if (!m_document) {
        m_document = new Form1;
        m_documentFrame = new QMdiSubWindow(nullptr, Qt::FramelessWindowHint);
        m_documentFrame->setObjectName(QStringLiteral("Form1Frame"));
        m_documentFrame->setWidget(m_document);
        m_documentFrame->setAttribute(Qt::WA_DeleteOnClose, false);
        m_documentFrame->setContentsMargins(0, 0, 0, 0);
        m_documentFrame->setFixedSize(m_document->size());
        m_client->addSubWindow(m_documentFrame, Qt::FramelessWindowHint);
        m_documentFrame->hide();
        MDIForm_Resize();
    }
    return m_document;
}

void MDIForm1::showDocumentWindow()
{
    documentWindow();
    m_documentFrame->show();
    MDIForm_Resize();
}

QSizeF MDIForm1::clientSizeTwips() const
{
    const QSize size = m_client->viewport()->size();
    return QSizeF(size.width() * TwipsPerPixel, size.height() * TwipsPerPixel);
}

void MDIForm1::MDIForm_Resize()
{
    if (!m_documentFrame)
        return;
    const QSizeF client = clientSizeTwips();
    m_documentOrigin = centredOrigin(client.width(), client.height(), Form1::WidthTwips,
                                     Form1::HeightTwips);
    m_documentFrame->move(pixels(m_documentOrigin.x()), pixels(m_documentOrigin.y()));
}

void MDIForm1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    MDIForm_Resize();
}

bool MDIForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_client->viewport() && event->type() == QEvent::Resize)
        MDIForm_Resize();
    return QMainWindow::eventFilter(watched, event);
}

void MDIForm1::closeEvent(QCloseEvent *event)
{
    // MDIForm_Unload: the program ends at once, without a question.
    event->accept();
    QCoreApplication::exit(0);
}

void MDIForm1::setStatusText(const QString &text)
{
    m_statusPanel->setText(text);
}

QString MDIForm1::statusText() const
{
    return m_statusPanel->text();
}

void MDIForm1::Toolbar1_ButtonClick(int index)
{
    switch (index) {
    case 1:
        mnuNew_Click();
        break;
    case 2:
        mnuArchive_Click();
        break;
    case 3:
        mnuFirma_Click();
        break;
    case 4:
        mnuPrint_Click();
        break;
    default: // the separator
        break;
    }
}

void MDIForm1::mnuNew_Click()
{
    setStatusText(QStringLiteral("Заполнение"));
    // A fresh dialog for every opening: empty boxes, a newly counted number.
    frmCreate dialog(m_database, *this, this);
    dialog.exec();
    DialogKit::handBackKeyboard(&dialog);
}

void MDIForm1::openOrderEntryFrom(const OrderRecord &order)
{
    setStatusText(QStringLiteral("Заполнение"));
    frmCreate dialog(m_database, *this, this);
    dialog.fillFrom(order);
    dialog.exec();
}

void MDIForm1::mnuArchive_Click()
{
    setStatusText(QStringLiteral("Архив"));
    if (!m_frmArc)
        m_frmArc = new frmArc(m_database, *this, this);
    m_frmArc->Form_Load();
    m_frmArc->exec();
    DialogKit::handBackKeyboard(m_frmArc);
}

void MDIForm1::mnuFirma_Click()
{
    setStatusText(QStringLiteral("Реквизиты"));
    if (!m_frmFirma)
        m_frmFirma = new frmFirma(m_database, *this, this);
    m_frmFirma->exec();
    DialogKit::handBackKeyboard(m_frmFirma);
}

QPrinter &MDIForm1::printer()
{
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        SheetPrinter::prepare(*m_printer);
    }
    return *m_printer;
}

void MDIForm1::mnuPrintSetup_Click()
{
    setStatusText(QStringLiteral("Настройка"));
    QPrinter &target = printer();
    // Qt's own dialog already changes the printer while the user picks
    // one; a cancelled dialog must leave it as it was.
    const SheetPrinter::Settings before = SheetPrinter::settings(target);
    QPrintDialog CommonDialog1(&target, this);
    CommonDialog1.setObjectName(QStringLiteral("CommonDialog1"));
    if (CommonDialog1.exec() != QDialog::Accepted)
        SheetPrinter::restore(target, before);
    DialogKit::handBackKeyboard(&CommonDialog1);
}

void MDIForm1::mnuPrint_Click()
{
    if (SheetPrinter::print(printer(), documentWindow()->fields()))
        return;
    DialogKit::Message notPrinted = DialogKit::failure(QStringLiteral("Нет связи с принтером."));
    notPrinted.objectName = QStringLiteral("PrintError");
    DialogKit::show(this, notPrinted);
}

void MDIForm1::mnuClose_Click()
{
    QCoreApplication::exit(0);
}

QString MDIForm1::helpFilePath() const
{
    return QDir(m_programFolder).absoluteFilePath(QStringLiteral("vexa.chm"));
}

void MDIForm1::mnuHelp_Click()
{
    // Not waited for; a viewer that does not start is ignored, and a
    // missing help file is the viewer's to report.
    startHelpViewer(helpFilePath(), m_programFolder);
}

void MDIForm1::mnuAbout_Click()
{
    if (!m_frmAbout)
        m_frmAbout = new frmAbout(this);
    m_frmAbout->exec();
    DialogKit::handBackKeyboard(m_frmAbout);
}

void MDIForm1::mnuEditor_Click()
{
    DialogKit::Message author = DialogKit::notice(
            QStringLiteral("Vexaron написан командой разработчиков Vexaron."), QStringLiteral("Автор"));
    author.objectName = QStringLiteral("AuthorMessage");
    DialogKit::show(this, author);
}
