#include "archive/frmArc.h"

#include "archive/ArcModel.h"
#include "archive/Handover.h"
#include "dialogkit/Controls.h"
#include "dialogkit/DialogKit.h"
#include "dialogkit/Message.h"
#include "document/DocumentFill.h"
#include "document/DocumentHost.h"
#include "document/Form1.h"
#include "store/ArchiveQuery.h"
#include "store/Database.h"

#include <QApplication>
#include <QDateEdit>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>

namespace {

using DialogKit::Control;
using DialogKit::Inherited;
using DialogKit::Kind;
using Sheet::Field;

// Created in tab order; all take the dialog's own font.
const QList<Control> &controls()
{
    static const QList<Control> list = {
        { "Command1", Kind::Button, "Отмена", 5850, 4905, 1185, 375 },
        { "Command2", Kind::Button, "OK", 4590, 4905, 1185, 375 },
        { "ListView1", Kind::Custom, "", 90, 180, 7035, 4290 },
        { "Command3", Kind::Button, "Удалить", 3195, 4905, 1185, 375 },
        { "Command4", Kind::Button, "QR-код", 1365, 4905, 1185, 375 },
        { "Command5", Kind::Button, "Экспорт...", 90, 4905, 1185, 375 },
        // After the design's controls: the search between the list and the
        // buttons, the totals and the buttons of a new row below them (room
        // after "Копировать" for more).
        { "txtSearch", Kind::Box, "", 90, 4515, 3150, 345 },
        { "lblFrom", Kind::Label, "з", 3285, 4515, 225, 345 },
        { "dtpFrom", Kind::Custom, "", 3555, 4515, 1545, 345 },
        { "lblTo", Kind::Label, "по", 5130, 4515, 330, 345 },
        { "dtpTo", Kind::Custom, "", 5490, 4515, 1545, 345 },
        { "lblTotals", Kind::Label, "", 90, 5385, 7035, 300, Inherited, DialogKit::PlainText },
        { "cmdCopy", Kind::Button, "Копировать", 90, 5805, 1185, 375 },
    };
    return list;
}

// The date boxes show their least date as empty: no bound.
const QDate NoDate(2000, 1, 1);

QDate boundOf(const QDateEdit *box)
{
    return box->date() == box->minimumDate() ? QDate() : box->date();
}

const char NotDeleted[] = "Поручение не удалено.";

} // namespace

frmArc::frmArc(Database &db, DocumentHost &host, QWidget *parent)
    : QDialog(parent)
    , m_db(db)
    , m_host(host)
{
    setObjectName(QStringLiteral("frmArc"));
    setWindowTitle(QStringLiteral(" Архив"));
    // Fixed dialog border with a close box; no minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(DialogKit::twipsSize(WidthTwips, GrownHeightTwips));
    setFont(DialogKit::font(Sheet::Face::SansSerif, 8.25, false));
    buildControls();
}

void frmArc::buildControls()
{
    m_model = new ArcModel(m_db, this);
    DialogKit::build(this, controls(), [this](const Control &c) -> QWidget * {
        if (qstrcmp(c.name, "ListView1") == 0)
            return new QTableView(this);
        return dateBox();
    });
    using DialogKit::control;
    Command1 = control<QPushButton>(this, "Command1");
    Command2 = control<QPushButton>(this, "Command2");
    Command3 = control<QPushButton>(this, "Command3");
    Command4 = control<QPushButton>(this, "Command4");
    Command5 = control<QPushButton>(this, "Command5");
    ListView1 = control<QTableView>(this, "ListView1");
    connect(Command1, &QPushButton::clicked, this, &frmArc::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmArc::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmArc::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &frmArc::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &frmArc::Command5_Click);
    setUpList();
    setUpSearch();

    DialogKit::setTabChain(this, { "Command1", "Command2", "ListView1", "Command3", "Command4", "Command5",
                                   "txtSearch", "dtpFrom", "dtpTo", "cmdCopy" });
    Command1->setFocus();
}

void frmArc::setUpList()
{
    ListView1->setModel(m_model);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    ListView1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ListView1->setShowGrid(false);
    ListView1->setWordWrap(false);
    ListView1->setSortingEnabled(false);
    ListView1->setTabKeyNavigation(false);

    QHeaderView *rows = ListView1->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(ListView1->fontMetrics().height() + 4);

    QHeaderView *columns = ListView1->horizontalHeader();
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    columns->setSectionsClickable(true);
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setSortIndicatorShown(false);
    columns->setHighlightSections(false);
    columns->setStretchLastSection(false);
    columns->setMinimumSectionSize(0);
    columns->setDefaultSectionSize(DialogKit::pixels(ColumnTwips));

    connect(ListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection &selected) {
                if (!selected.isEmpty())
                    ListView1_ItemClick(selected.indexes().first().row());
            });
    ListView1->viewport()->installEventFilter(this);
    connect(columns, &QHeaderView::sectionClicked, this, &frmArc::ListView1_ColumnClick);
}

// A date box of the range; its least date shows empty and means no bound.
QWidget *frmArc::dateBox()
{
    auto *box = new QDateEdit(this);
    box->setLocale(QLocale(QLocale::Russian, QLocale::Russia));
    box->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    box->setCalendarPopup(true);
    box->setMinimumDate(NoDate);
    box->setSpecialValueText(QStringLiteral(" "));
    box->setDate(NoDate);
    return box;
}

void frmArc::setUpSearch()
{
    using DialogKit::control;
    txtSearch = control<QLineEdit>(this, "txtSearch");
    dtpFrom = control<QDateEdit>(this, "dtpFrom");
    dtpTo = control<QDateEdit>(this, "dtpTo");
    lblFrom = control<QLabel>(this, "lblFrom");
    lblTo = control<QLabel>(this, "lblTo");
    lblTotals = control<QLabel>(this, "lblTotals");
    cmdCopy = control<QPushButton>(this, "cmdCopy");

    txtSearch->setPlaceholderText(QStringLiteral("Поиск"));
    txtSearch->setClearButtonEnabled(true);
    for (QLabel *label : { lblFrom, lblTo })
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblFrom->setBuddy(dtpFrom);
    lblTo->setBuddy(dtpTo);
    lblTotals->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(txtSearch, &QLineEdit::textChanged, this, &frmArc::searchChanged);
    for (QDateEdit *box : { dtpFrom, dtpTo })
        connect(box, &QDateEdit::dateChanged, this, &frmArc::searchChanged);
    connect(cmdCopy, &QPushButton::clicked, this, &frmArc::cmdCopy_Click);
}

void frmArc::loadList()
{
    // Errors are passed over: a list that cannot be read stays empty.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_model->load();
    QApplication::restoreOverrideCursor();
    ListView1->horizontalHeader()->setSortIndicatorShown(false);
    linesChanged();
}

void frmArc::Form_Load()
{
    // The list is built afresh, as if the dialog's controls were new: no
    // search, no range, the saved order.
    for (QObject *box : { static_cast<QObject *>(txtSearch), static_cast<QObject *>(dtpFrom),
                          static_cast<QObject *>(dtpTo) })
        box->blockSignals(true);
    txtSearch->clear();
    dtpFrom->setDate(NoDate);
    dtpTo->setDate(NoDate);
    for (QObject *box : { static_cast<QObject *>(txtSearch), static_cast<QObject *>(dtpFrom),
                          static_cast<QObject *>(dtpTo) })
        box->blockSignals(false);
    loadList();
    for (int c = 0; c < ArcModel::ColumnCount; ++c)
        ListView1->setColumnWidth(c, DialogKit::pixels(ColumnTwips));
    ListView1->clearSelection();
    ListView1->horizontalScrollBar()->setValue(0);
    ListView1->verticalScrollBar()->setValue(0);
    Command1->setFocus();
}

void frmArc::ListView1_ItemClick(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    // The first cell converts as a decimal integer. Ids the program gives
    // always do; for a foreign text the number is 0 and the rowid keeps
    // the statements from touching any other row.
    bool ok = false;
    const qint64 id = m_model->text(row, ArcModel::Id).toLongLong(&ok);
    SelectedId = ok ? id : 0;
    m_selectedRowid = m_model->rowid(row);
}

void frmArc::ListView1_DblClick()
{
    Command2_Click();
}

void frmArc::Command1_Click()
{
    m_host.setStatusText(QStringLiteral("Отмена"));
    done(QDialog::Rejected);
}

void frmArc::Command2_Click()
{
    // The order and the requisites are two steps: one that fails leaves
    // its fields as they were and the other goes on.
    Form1 *document = m_host.documentWindow();
    SheetFields fields = document->fields();

    StoredOrder stored;
    bool found = false;
    if (m_db.readOrder(m_selectedRowid, &stored, &found) && found)
        DocumentFill::writeOrder(fields, stored.order);
    Requisites requisites;
    if (m_db.readRequisites(&requisites, &found) && found)
        DocumentFill::writeRequisites(fields, requisites);

    document->setFields(fields);
    done(QDialog::Accepted);
    m_host.setStatusText(QStringLiteral("Готово:"));
}

void frmArc::Command3_Click()
{
    if (m_selectedRowid == 0) {
        showFailure(QStringLiteral("Поручение не выбрано в списке: ничего не удалено."));
        return;
    }
    if (!m_db.deleteOrder(m_selectedRowid)) {
        // Nothing was deleted: the list stays as it is.
        showFailure(QString::fromUtf8(NotDeleted), m_db.errorText());
        return;
    }
    // Only the deleted line goes: the archive is not read again. No line
    // is chosen afterwards; without this the view would move the choice to
    // the next line, and a second "Удалить" would delete that one.
    ListView1->selectionModel()->clear();
    m_model->removeRowid(m_selectedRowid);
    linesChanged();
    m_host.setStatusText(QStringLiteral("Удалено"));
    if (!m_db.warningText().isEmpty())
        DialogKit::show(this, DialogKit::warning(m_db.warningText()));
}

void frmArc::cmdCopy_Click()
{
    StoredOrder stored;
    bool found = false;
    const bool read = m_selectedRowid != 0 && m_db.readOrder(m_selectedRowid, &stored, &found);
    if (!read || !found) {
        const bool engineFailed = m_selectedRowid != 0 && !read;
        showFailure(QStringLiteral("Новое поручение не начато."),
                    engineFailed ? m_db.errorText()
                                 : QStringLiteral("Поручение не выбрано в списке или его уже нет в архиве."));
        return;
    }
    done(QDialog::Accepted);
    m_host.openOrderEntryFrom(stored.order);
}

void frmArc::ListView1_ColumnClick(int column)
{
    using Sort = ArcModel::Sort;
    Sort next = Sort::Ascending;
    if (column == m_model->sortColumn())
        next = m_model->sortState() == Sort::Ascending ? Sort::Descending : Sort::None;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool sorted = m_model->sortBy(column, next);
    QApplication::restoreOverrideCursor();
    if (!sorted) {
        showFailure(QStringLiteral("Список не отсортирован."), m_db.errorText());
        return;
    }
    QHeaderView *header = ListView1->horizontalHeader();
    header->setSortIndicatorShown(next != Sort::None);
    if (next != Sort::None)
        header->setSortIndicator(column, next == Sort::Ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    linesChanged();
}

void frmArc::searchChanged()
{
    m_model->setDateRange(boundOf(dtpFrom), boundOf(dtpTo));
    m_model->setSearch(txtSearch->text());
    linesChanged();
}

void frmArc::linesChanged()
{
    lblTotals->setText(ArcModel::totalsText(m_model->totals()));
    const int position = m_model->positionOf(m_selectedRowid);
    if (position < 0)
        return;
    // Choosing it again sets the same number and rowid.
    const QModelIndex index = m_model->index(position, 0);
    ListView1->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ListView1->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    ListView1->scrollTo(index);
}

// The orders of the lines, whole: the list keeps only their beginnings.
bool frmArc::readWhole(const QVector<qint64> &rowids, QVector<OrderRecord> *orders)
{
    QVector<StoredOrder> stored;
    if (!ArchiveQuery(m_db).readRows(rowids, 0, &stored))
        return false;
    orders->clear();
    orders->reserve(stored.size());
    for (const StoredOrder &s : stored)
        orders->append(s.order);
    return true;
}

Requisites frmArc::payer()
{
    // Without a firma row the payer's keys stay empty; the orders still go.
    Requisites requisites;
    bool found = false;
    m_db.readRequisites(&requisites, &found);
    return requisites;
}

void frmArc::Command4_Click()
{
    QVector<OrderRecord> chosen;
    if (m_selectedRowid != 0 && m_model->positionOf(m_selectedRowid) >= 0) {
        if (!readWhole({ m_selectedRowid }, &chosen)) {
            showFailure(QStringLiteral("QR-код не построен."), m_db.errorText());
            return;
        }
        if (!chosen.isEmpty()) {
            Handover::showQrCode(this, chosen.first(), payer());
            return;
        }
    }
    DialogKit::show(this, DialogKit::notice(QStringLiteral("Выберите поручение в списке.")));
}

void frmArc::Command5_Click()
{
    QVector<OrderRecord> orders;
    if (!readWhole(m_model->shownRowids(), &orders)) {
        showFailure(QStringLiteral("Поручения не выгружены."), m_db.errorText());
        return;
    }
    Handover::exportOrders(this, orders, payer());
}

void frmArc::showFailure(const QString &notDone, const QString &reason)
{
    DialogKit::show(this, DialogKit::failure(notDone, reason));
}

void frmArc::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    DialogKit::centreOnScreen(this);
    Command1->setFocus();
}

void frmArc::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    // Closing unloads the list; the next opening reads it again.
    if (!event->spontaneous())
        m_model->clear();
}

void frmArc::keyPressEvent(QKeyEvent *event)
{
    // No default and no cancel button.
    if (!DialogKit::keyWithoutDefaults(this, event))
        QDialog::keyPressEvent(event);
}

bool frmArc::eventFilter(QObject *watched, QEvent *event)
{
    // A double-click anywhere in the list, on a line or below the last one.
    if (watched == ListView1->viewport() && event->type() == QEvent::MouseButtonDblClick
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        // On a line, the click that chooses it comes first.
        const QPoint at = static_cast<QMouseEvent *>(event)->position().toPoint();
        const QModelIndex index = ListView1->indexAt(at);
        if (index.isValid())
            ListView1->setCurrentIndex(index);
        ListView1_DblClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
