#pragma once

#include "support/TestSupport.h"

#include "document/DocumentHost.h"
#include "document/Form1.h"
#include "store/Database.h"
#include "store/Records.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>
#include <QUuid>
#include <QVariant>


// What the dialogs see of the main window: a status text, the document
// window and a parent, all real widgets.
class TestHost : public DocumentHost
{
public:
    void setStatusText(const QString &text) override { status = text; }
    QString statusText() const override { return status; }
    Form1 *documentWindow() override
    {
        if (!document)
            document = new Form1(&window);
        return document;
    }
    QWidget *dialogParent() override { return &window; }

    QWidget window;
    Form1 *document = nullptr;
    QString status = QStringLiteral("Готово:");
};

// A second connection to the database file, as another program would hold.
class OtherConnection
{
public:
    explicit OtherConnection(const QString &path)
        : m_name(QUuid::createUuid().toString())
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.open();
    }
    ~OtherConnection()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

    bool exec(const QString &sql)
    {
        QSqlQuery q(db());
        if (!q.exec(sql)) {
            lastError = q.lastError().text();
            return false;
        }
        return true;
    }

    // Adds orders in one transaction, every value bound as text.
    bool insertOrders(const QList<OrderRecord> &orders)
    {
        QSqlDatabase d = db();
        if (!d.transaction())
            return false;
        QSqlQuery q(d);
        q.prepare(QStringLiteral("insert into arc (id, suma, oderz, idoderz, bank, idbank, kredit, "
                                 "oznaka, datazap) values (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        for (const OrderRecord &o : orders) {
            for (const QString *v : { &o.id, &o.suma, &o.oderz, &o.idoderz, &o.bank, &o.idbank,
                                      &o.kredit, &o.oznaka, &o.datazap })
                q.addBindValue(*v);
            if (!q.exec()) {
                lastError = q.lastError().text();
                d.rollback();
                return false;
            }
        }
        return d.commit();
    }

    QString lastError;

private:
    QString m_name;
};

inline OrderRecord order(int id, const QString &suma = QStringLiteral("1,00"),
                         const QString &oderz = QString())
{
    const QString n = QString::number(id);
    return OrderRecord{ n,
                        suma,
                        oderz.isEmpty() ? QStringLiteral("Одержувач ") + n : oderz,
                        QStringLiteral("3%1").arg(id, 7, 10, QLatin1Char('0')),
                        QStringLiteral("Банк ") + n,
                        QStringLiteral("300%1").arg(id % 1000, 3, 10, QLatin1Char('0')),
                        QStringLiteral("2600%1").arg(id, 8, 10, QLatin1Char('0')),
                        QStringLiteral("Призначення ") + n,
                        QStringLiteral("01.02.2026") };
}

// Clicks a line of a shown list, scrolling it into view first.
inline void clickLine(QTableView *view, int row)
{
    const QModelIndex index = view->model()->index(row, 0);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}
