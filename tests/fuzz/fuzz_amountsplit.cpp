// The amount split of the document fill on any text: no crash, no undefined
// behaviour; the three views of an amount agree with each other and with
// the text, and the words are there exactly when the amount can be filled.
#include "FuzzInput.h"

#include "document/DocumentFill.h"
#include "document/Module1.h"

using DocumentFill::AmountForm;
using FuzzInput::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString amount = FuzzInput::text(data, size);
    const qsizetype n = amount.size();

    const AmountForm form = DocumentFill::checkAmount(amount);
    const bool placed = DocumentFill::commaPlaced(amount);
    const QString words = DocumentFill::amountInWords(amount);

    if (n < 3) {
        require(form == AmountForm::Unusable, "too short to be filled", amount);
        require(!placed, "no third character from the end", amount);
        require(words.isNull(), "no words for a short amount", amount);
        return 0;
    }
    require(placed == (amount.at(n - 3) == QLatin1Char(',')), "the comma test looks at one character",
            amount);
    const QString integer = amount.left(n - 3);
    const bool digits = FuzzInput::allDigits(integer) && integer.size() <= 12;
    require((form == AmountForm::Unusable) == !digits, "unusable exactly when not 0 to 12 digits", amount);
    require((form == AmountForm::Good) == (digits && placed), "good exactly in the 0,00 form", amount);

    require(words == QStringLiteral("(") + Module1::AmountToWords(integer) + QStringLiteral(" гр. ")
                            + amount.right(2) + QStringLiteral(" коп.)"),
            "the words of the integer part and the kopecks", amount);
    if (form != AmountForm::Unusable && integer.toLongLong() > 0)
        require(words.size() > 14, "a usable non-zero amount has words", amount);
    return 0;
}
