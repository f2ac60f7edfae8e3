#include "entry/RecipientPicker.h"

#include <QAbstractItemView>
#include <QAbstractProxyModel>
#include <QCompleter>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QStringListModel>

namespace {

QString entryText(const OrderRecord &r)
{
    if (r.idoderz.isEmpty())
        return r.oderz;
    return QStringLiteral("%1  (%2)").arg(r.oderz, r.idoderz);
}

void fillIfEmpty(QLineEdit *box, const QString &value)
{
    if (box->text().isEmpty())
        box->setText(value);
}

} // namespace

RecipientPicker::RecipientPicker(Database &db, const Boxes &boxes, QObject *parent)
    : QObject(parent)
    , m_directory(db)
    , m_boxes(boxes)
    , m_byName{ boxes.name, RecipientDirectory::Field::Name, nullptr, nullptr, {} }
    , m_byCode{ boxes.code, RecipientDirectory::Field::Code, nullptr, nullptr, {} }
{
    attach(m_byName);
    attach(m_byCode);
}

QCompleter *RecipientPicker::completer(const QLineEdit *box) const
{
    return box == m_byName.box ? m_byName.completer : box == m_byCode.box ? m_byCode.completer : nullptr;
}

void RecipientPicker::attach(Source &source)
{
    source.model = new QStringListModel(this);
    // The list is the directory's answer as it stands: the completer only
    // shows it and keeps its keys.
    source.completer = new QCompleter(source.model, this);
    source.completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    source.completer->setMaxVisibleItems(8);
    source.completer->setWidget(source.box);
    source.completer->popup()->setObjectName(source.box->objectName() + QStringLiteral("_list"));

    Source *s = &source;
    connect(source.box, &QLineEdit::textEdited, this, [this, s](const QString &typed) { offer(*s, typed); });
    connect(source.completer, qOverload<const QModelIndex &>(&QCompleter::activated), this,
            [this, s](const QModelIndex &index) {
                const auto *proxy = qobject_cast<const QAbstractProxyModel *>(index.model());
                take(*s, proxy ? proxy->mapToSource(index).row() : index.row());
            });
}

void RecipientPicker::offer(Source &source, const QString &typed)
{
    // A directory that cannot be read offers nothing; typing goes on.
    if (!m_directory.find(source.field, typed, Offered, &source.offered))
        source.offered.clear();
    QStringList entries;
    entries.reserve(source.offered.size());
    for (const OrderRecord &r : source.offered)
        entries << entryText(r);
    source.model->setStringList(entries);
    QAbstractItemView *list = source.completer->popup();
    if (entries.isEmpty()) {
        list->hide();
        return;
    }
    source.completer->complete();
    // Nothing picked until an arrow key picks it: Enter alone takes nothing.
    list->selectionModel()->clear();
}

void RecipientPicker::take(const Source &source, int row)
{
    if (row < 0 || row >= source.offered.size())
        return;
    const OrderRecord &r = source.offered.at(row);
    // The box typed in takes the whole value; the rest only where empty.
    if (source.field == RecipientDirectory::Field::Name)
        m_boxes.name->setText(r.oderz);
    else
        m_boxes.code->setText(r.idoderz);
    fillIfEmpty(m_boxes.name, r.oderz);
    fillIfEmpty(m_boxes.code, r.idoderz);
    fillIfEmpty(m_boxes.bank, r.bank);
    fillIfEmpty(m_boxes.bankCode, r.idbank);
    fillIfEmpty(m_boxes.account, r.kredit);
}
