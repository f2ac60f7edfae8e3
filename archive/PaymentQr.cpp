#include "archive/PaymentQr.h"

#include "archive/Cp1251.h"

#include <QRegularExpression>

namespace {

// A field is one line of the data: line breaks and runs of blanks become one
// blank, and blanks around are dropped.
QString oneLine(const QString &text)
{
    return text.simplified();
}

QString withoutBlanks(const QString &text)
{
    QString out = text;
    out.remove(QLatin1Char(' '));
    return out;
}

// "1234,56" -> "UAH1234.56"; leading zeros of the hryvnias dropped.
QString amountElement(const QString &amount)
{
    QString hryvnias = amount.left(amount.size() - 3);
    while (hryvnias.size() > 1 && hryvnias.startsWith(QLatin1Char('0')))
        hryvnias.remove(0, 1);
    return QStringLiteral("UAH") + hryvnias + QLatin1Char('.') + amount.right(2);
}

QStringList reasonsAgainst(const OrderRecord &order, const QString &recipient,
                           const QString &code, const QString &purpose)
{
    QStringList reasons;
    if (!PaymentQr::isUkrainianIban(order.kredit))
        reasons << QStringLiteral("Счет получателя «%1» не является IBAN Украины "
                                  "(UA и 27 цифр с верной контрольной суммой).").arg(order.kredit);
    if (!PaymentQr::amountInForm(order.suma))
        reasons << QStringLiteral("Сумма «%1» записана не в виде «0,00».").arg(order.suma);
    else if (QString(order.suma).remove(QLatin1Char(',')).toLongLong() == 0)
        reasons << QStringLiteral("Сумма равна нулю.");
    else if (order.suma.size() - 3 > 9)
        reasons << QStringLiteral("Сумма больше 999 999 999,99 грн, наибольшей, которую держит код.");
    if (recipient.isEmpty())
        reasons << QStringLiteral("Не указан получатель.");
    else if (recipient.size() > PaymentQr::RecipientLimit)
        reasons << QStringLiteral("Название получателя длиннее %1 знаков.").arg(PaymentQr::RecipientLimit);
    if (code.isEmpty())
        reasons << QStringLiteral("Не указан код получателя.");
    else if (code.size() > PaymentQr::RecipientCodeLimit)
        reasons << QStringLiteral("Код получателя длиннее %1 знаков.").arg(PaymentQr::RecipientCodeLimit);
    if (purpose.isEmpty())
        reasons << QStringLiteral("Не указано назначение платежа.");
    return reasons;
}

QString displayText(const OrderRecord &order, const Requisites &payer)
{
    QString text = QStringLiteral("Доручення № %1 від %2").arg(oneLine(order.id), oneLine(order.datazap));
    const QString name = oneLine(payer.firma);
    if (!name.isEmpty())
        text = name + QStringLiteral(", ") + text;
    return PaymentQr::cutAtWord(text, PaymentQr::DisplayLimit);
}

} // namespace

namespace PaymentQr {

bool isUkrainianIban(const QString &account)
{
    static const QRegularExpression form(QStringLiteral("^UA[0-9]{27}$"));
    const QString iban = withoutBlanks(account);
    if (!form.match(iban).hasMatch())
        return false;
    // The country and check digits move to the end; letters count as 10..35.
    const QString moved = iban.mid(4) + QStringLiteral("3010") + iban.mid(2, 2);
    int rest = 0;
    for (const QChar c : moved)
        rest = (rest * 10 + (c.unicode() - '0')) % 97;
    return rest == 1;
}

bool amountInForm(const QString &amount)
{
    static const QRegularExpression form(QStringLiteral("^[0-9]{1,12},[0-9]{2}$"));
    return form.match(amount).hasMatch();
}

QString cutAtWord(const QString &text, int limit)
{
    if (text.size() <= limit)
        return text;
    // A blank right after the limit ends a word exactly at it.
    const int blank = text.lastIndexOf(QLatin1Char(' '), limit);
    if (blank <= 0)
        return text.left(limit);
    return text.left(blank).trimmed();
}

// The text, bytes and link of the elements. Windows-1251 takes half the
// room of UTF-8 for Cyrillic, so a long purpose still fits the code; UTF-8
// when a character has no place in it.
void encodeElements(QStringList elements, Payload &p)
{
    elements[2] = QStringLiteral("2");
    p.text = elements.join(QLatin1Char('\n'));
    if (!Cp1251::encodeExact(p.text, &p.bytes)) {
        elements[2] = QStringLiteral("1");
        p.text = elements.join(QLatin1Char('\n'));
        p.bytes = p.text.toUtf8();
    }
    p.link = QString::fromLatin1(linkPrefix())
            + QString::fromLatin1(p.bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

Payload build(const OrderRecord &order, const Requisites &payer)
{
    Payload p;
    const QString recipient = oneLine(order.oderz);
    const QString code = withoutBlanks(oneLine(order.idoderz));
    const QString purpose = oneLine(order.oznaka);
    p.reasons = reasonsAgainst(order, recipient, code, purpose);
    if (!p.hasCode())
        return p;

    QStringList elements = {
        QStringLiteral("BCD"), QStringLiteral("003"), QString(), QStringLiteral("UCT"), QString(),
        recipient, withoutBlanks(order.kredit), amountElement(order.suma), code,
        QString(), QString(), QString(), displayText(order, payer),
        QString(), QString(), QString(), QString()
    };
    // In UTF-8 a purpose of the full length can make the link longer than
    // the largest symbol holds: the purpose is then cut shorter, at a word.
    for (int limit = PurposeLimit;;) {
        p.purpose = cutAtWord(purpose, limit);
        elements[11] = p.purpose;
        encodeElements(elements, p);
        const int excess = int(p.link.size()) - LinkLimit;
        if (excess <= 0 || p.purpose.size() <= 1)
            break;
        // Two UTF-8 bytes a Cyrillic letter, four link characters for three bytes.
        limit = int(p.purpose.size()) - 1 - excess * 3 / 8;
    }
    p.purposeCut = p.purpose != purpose;
    if (p.link.size() > LinkLimit)
        p.reasons << QStringLiteral("Получатель и назначение платежа не помещаются в код.");
    return p;
}

} // namespace PaymentQr
