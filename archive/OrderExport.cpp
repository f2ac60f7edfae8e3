#include "archive/OrderExport.h"

#include "archive/Cp1251.h"
#include "archive/PaymentQr.h"

#include <QDate>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// "1234,56" -> "1234.56", the hryvnias without leading zeros.
QString pointAmount(const QString &amount)
{
    QString hryvnias = amount.left(amount.size() - 3);
    while (hryvnias.size() > 1 && hryvnias.startsWith(QLatin1Char('0')))
        hryvnias.remove(0, 1);
    return hryvnias + QLatin1Char('.') + amount.right(2);
}

// The exchange text is line by line: a value is kept on its one line.
// Most values hold no line break, and they are copied as they are: this
// runs for every key of every order.
void appendKey(QString &text, QStringView name, const QString &value)
{
    text += name;
    text += QLatin1Char('=');
    const QString trimmed = value.trimmed();
    if (trimmed.contains(QLatin1Char('\n')) || trimmed.contains(QLatin1Char('\r'))) {
        QString line = trimmed;
        line.replace(QLatin1String("\r\n"), QLatin1String(" "));
        line.replace(QLatin1Char('\r'), QLatin1Char(' '));
        line.replace(QLatin1Char('\n'), QLatin1Char(' '));
        text += line;
    } else {
        text += trimmed;
    }
    text += QLatin1String("\r\n");
}

struct Document
{
    const OrderRecord &order;
    const Requisites &payer;
};

void appendDocument(QString &text, const Document &d)
{
    const auto key = [&](QStringView name, const QString &value) { appendKey(text, name, value); };
    const OrderRecord &o = d.order;
    const Requisites &p = d.payer;
    key(u"СекцияДокумент", QStringLiteral("Платежное поручение"));
    key(u"Номер", o.id);
    key(u"Дата", o.datazap);
    key(u"Сумма", pointAmount(o.suma));
    key(u"ПлательщикСчет", p.rsbank);
    key(u"Плательщик", p.firma);
    key(u"ПлательщикОКПО", p.kodfirma);
    key(u"Плательщик1", p.firma);
    key(u"ПлательщикРасчСчет", p.rsbank);
    key(u"ПлательщикБанк1", p.bank);
    key(u"ПлательщикМФО", p.kodbank);
    key(u"ПолучательСчет", o.kredit);
    key(u"Получатель", o.oderz);
    key(u"ПолучательОКПО", o.idoderz);
    key(u"Получатель1", o.oderz);
    key(u"ПолучательРасчСчет", o.kredit);
    key(u"ПолучательБанк1", o.bank);
    key(u"ПолучательМФО", o.idbank);
    key(u"НазначениеПлатежа", o.oznaka);
    text += QStringLiteral("КонецДокумента\r\n");
}

QString clientBankText(const QVector<const OrderRecord *> &orders, const Requisites &payer,
                       const QDateTime &created)
{
    QDate first, last;
    for (const OrderRecord *o : orders) {
        const QDate date = QDate::fromString(o->datazap, QStringLiteral("dd.MM.yyyy"));
        if (date.isValid()) {
            first = first.isValid() ? qMin(first, date) : date;
            last = last.isValid() ? qMax(last, date) : date;
        }
    }
    const QString dateForm = QStringLiteral("dd.MM.yyyy");
    QString text;
    text.reserve(orders.size() * 900 + 400);
    text += QLatin1String("1CClientBankExchange\r\n");
    const auto key = [&](QStringView name, const QString &value) { appendKey(text, name, value); };
    key(u"ВерсияФормата", QStringLiteral("1.02"));
    key(u"Кодировка", QStringLiteral("Windows"));
    key(u"Отправитель", QStringLiteral("Vexaron"));
    key(u"Получатель", QString());
    key(u"ДатаСоздания", created.toString(dateForm));
    key(u"ВремяСоздания", created.toString(QStringLiteral("HH:mm:ss")));
    key(u"ДатаНачала", first.toString(dateForm));
    key(u"ДатаКонца", last.toString(dateForm));
    key(u"РасчСчет", payer.rsbank);
    key(u"Документ", QStringLiteral("Платежное поручение"));
    for (const OrderRecord *o : orders)
        appendDocument(text, { *o, payer });
    text += QStringLiteral("КонецФайла\r\n");
    return text;
}

// RFC 4180: a field holding the separator, a quote or a line break is
// quoted, its quotes doubled.
void appendCsvField(QString &line, const QString &value)
{
    const bool quote = value.contains(QLatin1Char(';')) || value.contains(QLatin1Char('"'))
            || value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'));
    if (!quote) {
        line += value;
        return;
    }
    line += QLatin1Char('"') + QString(value).replace(QLatin1String("\""), QLatin1String("\"\""))
            + QLatin1Char('"');
}

QString csvText(const QVector<const OrderRecord *> &orders, const Requisites &p)
{
    QString text;
    text.reserve(orders.size() * 500 + 300);
    const auto row = [&](const QStringList &values) {
        for (qsizetype k = 0; k < values.size(); ++k) {
            if (k > 0)
                text += QLatin1Char(';');
            appendCsvField(text, values[k]);
        }
        text += QLatin1String("\r\n");
    };
    row(OrderExport::csvHeader());
    for (const OrderRecord *o : orders)
        row({ o->id, o->datazap, pointAmount(o->suma), p.firma, p.kodfirma, p.rsbank, p.bank,
              p.kodbank, o->oderz, o->idoderz, o->kredit, o->bank, o->idbank, o->oznaka });
    return text;
}

} // namespace

namespace OrderExport {

QStringList csvHeader()
{
    return { QStringLiteral("Номер"), QStringLiteral("Дата"), QStringLiteral("Сумма"),
             QStringLiteral("Плательщик"), QStringLiteral("ОКПО плательщика"),
             QStringLiteral("Счет плательщика"), QStringLiteral("Банк плательщика"),
             QStringLiteral("МФО банка плательщика"), QStringLiteral("Получатель"),
             QStringLiteral("ОКПО получателя"), QStringLiteral("Счет получателя"),
             QStringLiteral("Банк получателя"), QStringLiteral("МФО банка получателя"),
             QStringLiteral("Назначение платежа") };
}

Prepared prepare(const QVector<OrderRecord> &orders, const Requisites &payer, Format format,
                 const QDateTime &created)
{
    Prepared result;
    QVector<const OrderRecord *> kept;
    kept.reserve(orders.size());
    for (const OrderRecord &o : orders) {
        if (PaymentQr::amountInForm(o.suma))
            kept << &o;
        else
            result.leftOut << QStringLiteral("№ %1 от %2: сумма «%3» не в виде «0,00»")
                                      .arg(o.id, o.datazap, o.suma);
    }
    result.written = int(kept.size());
    if (format == Format::Csv)
        result.bytes = csvText(kept, payer).toUtf8();
    else
        result.bytes = Cp1251::encodeNearest(clientBankText(kept, payer, created), &result.replaced);
    return result;
}

bool writeFile(const QString &path, const QByteArray &bytes, bool replace, QString *error)
{
    const auto fail = [&](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (!replace && QFileInfo::exists(path))
        return fail(QStringLiteral("файл уже есть"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

} // namespace OrderExport
