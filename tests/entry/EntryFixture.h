#pragma once

// Shared set-up of the order-entry tests: a program folder with a freshly
// delivered vexa.mdb, the real main window loaded on it, and helpers that
// type an order into the dialog the way a user would leave it.

#include "app/MDIForm1.h"
#include "document/Form1.h"
#include "entry/frmCreate.h"
#include "store/Records.h"
#include "tests/support/TestSupport.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace EntryFixture {

struct Program
{
    TestSupport::ProgramFolder folder;
    std::unique_ptr<MDIForm1> main;

    // Loads the main window on the folder; false when anything failed.
    bool load()
    {
        if (!folder.isValid())
            return false;
        main = std::make_unique<MDIForm1>(folder.path());
        return main->MDIForm_Load();
    }

    QString db() const { return folder.databasePath(); }
    bool sql(const QString &statement) const { return TestSupport::execSql(db(), statement); }
    int arcCount() const
    {
        const auto rows = TestSupport::queryRows(db(), QStringLiteral("select count(*) from arc"));
        return rows.isEmpty() ? -1 : rows.first().first().toInt();
    }
    QList<QStringList> arcRows() const
    {
        return TestSupport::queryRows(
                db(), QStringLiteral("select id, suma, oderz, idoderz, bank, idbank, kredit, "
                                     "oznaka, datazap from arc order by rowid"));
    }
    SheetFields fields() const { return main->documentWindow()->fields(); }

    bool setRequisites(const Requisites &r) const
    {
        return sql(QStringLiteral("update firma set firma='%1', kodfirma='%2', bank='%3', "
                                  "kodbank='%4', rsbank='%5'")
                           .arg(r.firma, r.kodfirma, r.bank, r.kodbank, r.rsbank));
    }
};

template<typename T>
T *control(QWidget *dialog, const char *name)
{
    return dialog->findChild<T *>(QString::fromLatin1(name));
}

inline QLineEdit *box(QWidget *dialog, const char *name)
{
    return control<QLineEdit>(dialog, name);
}

inline QPushButton *button(QWidget *dialog, const char *name)
{
    return control<QPushButton>(dialog, name);
}

// Puts an order into the dialog's boxes and picker (the number stays what
// the dialog proposed).
inline void enter(QWidget *dialog, const OrderRecord &o)
{
    box(dialog, "Text2")->setText(o.suma);
    box(dialog, "Text3")->setText(o.oderz);
    box(dialog, "Text4")->setText(o.idoderz);
    box(dialog, "Text5")->setText(o.bank);
    box(dialog, "Text9")->setText(o.idbank);
    box(dialog, "Text6")->setText(o.kredit);
    control<QPlainTextEdit>(dialog, "Text8")->setPlainText(o.oznaka);
    if (!o.datazap.isEmpty())
        control<QDateEdit>(dialog, "DTPicker1")
                ->setDate(QDate::fromString(o.datazap, QStringLiteral("dd.MM.yyyy")));
}

// What the dialog holds, read through its controls.
inline QStringList boxTexts(QWidget *dialog)
{
    return { box(dialog, "Text2")->text(), box(dialog, "Text3")->text(),
             box(dialog, "Text4")->text(), box(dialog, "Text5")->text(),
             box(dialog, "Text9")->text(), box(dialog, "Text6")->text(),
             control<QPlainTextEdit>(dialog, "Text8")->toPlainText() };
}

inline OrderRecord sampleOrder()
{
    OrderRecord o;
    o.suma = QStringLiteral("1234,56");
    o.oderz = QStringLiteral("ТОВ Лан");
    o.idoderz = QStringLiteral("111");
    o.bank = QStringLiteral("АТ Банк");
    o.idbank = QStringLiteral("222");
    o.kredit = QStringLiteral("333");
    o.oznaka = QStringLiteral("Оплата");
    o.datazap = QStringLiteral("07.03.2026");
    return o;
}

inline Requisites sampleRequisites()
{
    return { QStringLiteral("ПП Вексарон"), QStringLiteral("12345678"),
             QStringLiteral("АТ Приватбанк"), QStringLiteral("305299"),
             QStringLiteral("26001234567890") };
}

inline QStringList texts(const QList<TestSupport::SeenBox> &seen)
{
    QStringList t;
    for (const auto &s : seen)
        t << s.text;
    return t;
}

// The message box of a user-input failure: error icon, OK alone, no title.
inline void verifyInputError(const TestSupport::SeenBox &seen, const QString &text)
{
    QCOMPARE(seen.text, text);
    QCOMPARE(seen.icon, QMessageBox::Critical);
    QCOMPARE(seen.title, QString());
    QCOMPARE(seen.buttons.size(), 1);
    QCOMPARE(QString(seen.buttons.first()).remove(QLatin1Char('&')), QStringLiteral("OK"));
}

} // namespace EntryFixture
