#include "archive/frmArc.h"

#include "archive/ArcModel.h"
#include "archive/Handover.h"
#include "dialogkit/Controls.h"
#include "dialogkit/DialogKit.h"
#include "dialogkit/Message.h"
#include "document/DocumentFill.h"
#include "document/DocumentHost.h"
#include "document/Form1.h"
#include "store/Database.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>

namespace {

using DialogKit::Control;
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
        { "Command4", Kind::Button, "QR-код", 90, 4905, 1185, 375 },
        { "Command5", Kind::Button, "Экспорт...", 1365, 4905, 1185, 375 },
    };
    return list;
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
    setFixedSize(DialogKit::twipsSize(WidthTwips, HeightTwips));
    setFont(DialogKit::font(Sheet::Face::SansSerif, 8.25, false));
    buildControls();
}

void frmArc::buildControls()
{
    m_model = new ArcModel(this);
    DialogKit::build(this, controls(), [this](const Control &) { return new QTableView(this); });
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

    DialogKit::setTabChain(this, { "Command1", "Command2", "ListView1", "Command3", "Command4", "Command5" });
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
    columns->setSectionsClickable(false);
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
}

void frmArc::loadList()
{
    // Errors are passed over: a list that cannot be read stays empty.
    QVector<StoredOrder> rows;
    m_db.readOrders(&rows);
    m_model->setRows(std::move(rows));
}

void frmArc::Form_Load()
{
    // The list is built afresh, as if the dialog's controls were new.
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
    loadList();
    m_host.setStatusText(QStringLiteral("Удалено"));
    if (!m_db.warningText().isEmpty())
        DialogKit::show(this, DialogKit::warning(m_db.warningText()));
}

OrderRecord frmArc::orderAt(int row) const
{
    const auto cell = [&](int column) { return m_model->text(row, column); };
    return { cell(ArcModel::Id),     cell(ArcModel::Suma),   cell(ArcModel::Oderz),
             cell(ArcModel::Idoderz), cell(ArcModel::Bank),  cell(ArcModel::Idbank),
             cell(ArcModel::Kredit), cell(ArcModel::Oznaka), cell(ArcModel::Datazap) };
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
    for (int row = 0; row < m_model->rowCount(); ++row)
        if (m_selectedRowid != 0 && m_model->rowid(row) == m_selectedRowid) {
            Handover::showQrCode(this, orderAt(row), payer());
            return;
        }
    DialogKit::show(this, DialogKit::notice(QStringLiteral("Выберите поручение в списке.")));
}

void frmArc::Command5_Click()
{
    QVector<OrderRecord> orders;
    for (int row = 0; row < m_model->rowCount(); ++row)
        orders << orderAt(row);
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
