#include "archive/frmArc.h"

#include "archive/ArcModel.h"
#include "archive/Handover.h"
#include "document/DialogSupport.h"
#include "document/DocumentFill.h"
#include "document/DocumentHost.h"
#include "document/Form1.h"
#include "document/SheetFonts.h"
#include "store/Database.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>

namespace {

constexpr int Twips = 15; // twips to a screen pixel

QRect twips(int left, int top, int width, int height)
{
    return QRect(left / Twips, top / Twips, width / Twips, height / Twips);
}

} // namespace

frmArc::frmArc(Database &db, DocumentHost &host, QWidget *parent)
    : QDialog(parent)
    , m_db(db)
    , m_host(host)
{
    SheetFonts::registerFonts();
    setObjectName(QStringLiteral("frmArc"));
    setWindowTitle(QStringLiteral(" Архив"));
    // Fixed dialog border with a close box; no minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(WidthTwips / Twips, HeightTwips / Twips);
    QFont font(SheetFonts::sansFamily());
    font.setPointSizeF(8.25);
    setFont(font);
    buildControls();
}

void frmArc::buildControls()
{
    auto button = [&](const char *name, const QString &caption, const QRect &geometry,
                      void (frmArc::*click)()) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(geometry);
        b->setAutoDefault(false); // no default button
        b->setDefault(false);
        connect(b, &QPushButton::clicked, this, click);
        return b;
    };

    // Created in tab order.
    Command1 = button("Command1", QStringLiteral("Отмена"), twips(5850, 4905, 1185, 375),
                      &frmArc::Command1_Click);
    Command2 = button("Command2", QStringLiteral("OK"), twips(4590, 4905, 1185, 375),
                      &frmArc::Command2_Click);

    m_model = new ArcModel(this);
    ListView1 = new QTableView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setGeometry(twips(90, 180, 7035, 4290));
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
    columns->setDefaultSectionSize(ColumnTwips / Twips);

    connect(ListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection &selected) {
                if (!selected.isEmpty())
                    ListView1_ItemClick(selected.indexes().first().row());
            });
    ListView1->viewport()->installEventFilter(this);

    Command3 = button("Command3", QStringLiteral("Удалить"), twips(3195, 4905, 1185, 375),
                      &frmArc::Command3_Click);

    Command4 = button("Command4", QStringLiteral("QR-код"), twips(90, 4905, 1185, 375),
                      &frmArc::Command4_Click);
    Command5 = button("Command5", QStringLiteral("Экспорт..."), twips(1365, 4905, 1185, 375),
                      &frmArc::Command5_Click);

    setTabOrder(Command1, Command2);
    setTabOrder(Command2, ListView1);
    setTabOrder(ListView1, Command3);
    setTabOrder(Command3, Command4);
    setTabOrder(Command4, Command5);
    Command1->setFocus();
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
        ListView1->setColumnWidth(c, ColumnTwips / Twips);
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
        showFailure(m_db.errorText());
        return;
    }
    loadList();
    m_host.setStatusText(QStringLiteral("Удалено"));
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
    DocumentFill::readRequisites(m_db, &requisites);
    return requisites;
}

void frmArc::Command4_Click()
{
    for (int row = 0; row < m_model->rowCount(); ++row)
        if (m_selectedRowid != 0 && m_model->rowid(row) == m_selectedRowid) {
            Handover::showQrCode(this, orderAt(row), payer());
            return;
        }
    QMessageBox::information(this, QStringLiteral("Vexaron"), QStringLiteral("Выберите поручение в списке."));
}

void frmArc::Command5_Click()
{
    QVector<OrderRecord> orders;
    for (int row = 0; row < m_model->rowCount(); ++row)
        orders << orderAt(row);
    Handover::exportOrders(this, orders, payer());
}

void frmArc::showFailure(const QString &text)
{
    DialogSupport::showFailure(this, text);
}

void frmArc::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    DialogSupport::centreOnScreen(this);
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
    if (!DialogSupport::keyWithoutDefaults(this, event))
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
