#include "document/RequisiteChecks.h"

namespace {

constexpr int IbanLength = 29;

// Blanks dropped and letters upper-cased: how a bank reads an IBAN, which
// is often typed in groups of four.
QString compacted(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (!c.isSpace())
            out += c.toUpper();
    }
    return out;
}

bool allDigits(const QString &text)
{
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return !text.isEmpty();
}

int digit(const QString &text, int index)
{
    return text.at(index).unicode() - '0';
}

bool isUkrainianIban(const QString &compact)
{
    return compact.startsWith(QLatin1String("UA"));
}

// ISO 7064 MOD 97-10 over an IBAN of Latin letters and digits: the first
// four characters moved to the end, each letter read as 10 to 35.
bool mod97Holds(const QString &compact)
{
    const QString rotated = compact.mid(4) + compact.left(4);
    int remainder = 0;
    for (const QChar c : rotated) {
        const ushort u = c.unicode();
        if (u >= '0' && u <= '9') {
            remainder = (remainder * 10 + (u - '0')) % 97;
        } else if (u >= 'A' && u <= 'Z') {
            remainder = (remainder * 100 + (u - 'A' + 10)) % 97;
        } else {
            return false;
        }
    }
    return remainder == 1;
}

bool isCyrillicLetter(QChar c)
{
    return c.isLetter() && c.script() == QChar::Script_Cyrillic;
}

// A passport of the old form (two Cyrillic letters, six digits) or an ID
// card number (nine digits).
bool isPassport(const QString &code)
{
    if (code.size() == 8 && isCyrillicLetter(code.at(0)) && isCyrillicLetter(code.at(1)))
        return allDigits(code.mid(2));
    return code.size() == 9 && allDigits(code);
}

int weightedSum(const QString &code, const int *weights, int count, int extra)
{
    int sum = 0;
    for (int i = 0; i < count; ++i)
        sum += digit(code, i) * (weights[i] + extra);
    return sum;
}

} // namespace

namespace RequisiteChecks {

bool ibanValid(const QString &account)
{
    const QString compact = compacted(account);
    return compact.size() == IbanLength && isUkrainianIban(compact) && allDigits(compact.mid(2, 2))
            && mod97Holds(compact);
}

QString accountNote(const QString &account)
{
    const QString compact = compacted(account);
    if (!isUkrainianIban(compact))
        return QString();
    if (compact.size() != IbanLength)
        return QStringLiteral("IBAN: %1 знаков вместо 29").arg(compact.size());
    if (!ibanValid(compact))
        return QStringLiteral("IBAN: неверная контрольная сумма");
    return QString();
}

QString bankCodeFromIban(const QString &account)
{
    if (!ibanValid(account))
        return QString();
    return compacted(account).mid(4, 6);
}

bool edrpouValid(const QString &code)
{
    if (code.size() != 8 || !allDigits(code))
        return false;
    static const int plain[] = { 1, 2, 3, 4, 5, 6, 7 };
    static const int shifted[] = { 7, 1, 2, 3, 4, 5, 6 };
    const int first = digit(code, 0);
    const int *weights = (first >= 3 && first <= 5) ? shifted : plain;
    int check = weightedSum(code, weights, 7, 0) % 11;
    if (check == 10)
        check = weightedSum(code, weights, 7, 2) % 11 % 10;
    return check == digit(code, 7);
}

bool rnokppValid(const QString &code)
{
    if (code.size() != 10 || !allDigits(code))
        return false;
    static const int weights[] = { -1, 5, 7, 9, 4, 6, 10, 5, 7 };
    // The first weight is negative: C++ keeps the sign of a remainder.
    const int check = (weightedSum(code, weights, 9, 0) % 11 + 11) % 11 % 10;
    return check == digit(code, 9);
}

QString codeNote(const QString &code)
{
    const QString compact = compacted(code);
    if (compact.isEmpty() || isPassport(compact))
        return QString();
    if (!allDigits(compact) || (compact.size() != 8 && compact.size() != 10))
        return QStringLiteral("код должен содержать 8 или 10 цифр");
    if (compact.size() == 8)
        return edrpouValid(compact) ? QString() : QStringLiteral("ЄДРПОУ: неверная контрольная цифра");
    return rnokppValid(compact) ? QString() : QStringLiteral("РНОКПП: неверная контрольная цифра");
}

QString bankCodeNote(const QString &bankCode, const QString &account)
{
    const QString compact = compacted(bankCode);
    if (compact.isEmpty())
        return QString();
    if (compact.size() != 6 || !allDigits(compact))
        return QStringLiteral("код банка должен содержать 6 цифр");
    const QString fromIban = bankCodeFromIban(account);
    if (!fromIban.isEmpty() && fromIban != compact)
        return QStringLiteral("в IBAN код банка %1").arg(fromIban);
    return QString();
}

} // namespace RequisiteChecks
