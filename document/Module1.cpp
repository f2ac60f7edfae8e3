#include "document/Module1.h"

namespace Module1 {

QString AmountToWords(const QString &integerPart)
{
    Q_UNUSED(integerPart);
    return QString(); // spelled out in the words module
}

QString MonthToWords(const QString &month)
{
    static const char *const words[] = { "сiчня", "лютого", "березня", "квiтня", "травня", "червня",
                                         "липня", "серпня", "вересня", "жовтня", "листопада", "грудня" };
    for (int m = 1; m <= 12; ++m)
        if (month == QStringLiteral("%1").arg(m, 2, 10, QLatin1Char('0')))
            return QString::fromUtf8(words[m - 1]);
    return QString();
}

QString DateLine(const QString &d)
{
    return QStringLiteral("вiд ") + d.left(2) + QLatin1Char(' ') + MonthToWords(d.mid(3, 2))
            + QStringLiteral(" 20") + d.right(2) + QStringLiteral(" р.");
}

} // namespace Module1
