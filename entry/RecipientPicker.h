#pragma once

#include "store/RecipientDirectory.h"

#include <QObject>
#include <QVector>

class Database;
class QCompleter;
class QLineEdit;
class QStringListModel;

// The recipient directory on the order-entry dialog: typing in the name or
// the code box offers the archive's recipients in a list under the box,
// the most recent first. Up and Down pick one, Enter takes it, Escape
// closes the list and Tab goes on to the next box as always. Taking one
// puts its name (or code) into the box typed in and fills the bank, the
// bank code, the account and the other of name and code from its latest
// order, into the boxes that are still empty.
class RecipientPicker : public QObject
{
    Q_OBJECT

public:
    struct Boxes
    {
        QLineEdit *name;
        QLineEdit *code;
        QLineEdit *bank;
        QLineEdit *bankCode;
        QLineEdit *account;
    };

    // How many recipients the list offers at most.
    static constexpr int Offered = 12;

    RecipientPicker(Database &db, const Boxes &boxes, QObject *parent);

    // The list under box (the name or the code box).
    QCompleter *completer(const QLineEdit *box) const;

private:
    struct Source
    {
        QLineEdit *box;
        RecipientDirectory::Field field;
        QCompleter *completer;
        QStringListModel *model;
        QVector<OrderRecord> offered;
    };

    void attach(Source &source);
    void offer(Source &source, const QString &typed);
    void take(const Source &source, int row);

    RecipientDirectory m_directory;
    Boxes m_boxes;
    Source m_byName;
    Source m_byCode;
};
