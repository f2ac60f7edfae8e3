// AmountToWords on any text: no crash, no undefined behaviour, and words
// only for one to twelve decimal digits that are not all zeros.
#include "FuzzInput.h"

#include "document/Module1.h"

using FuzzInput::require;

static bool wordCharacter(QChar c)
{
    const char16_t u = c.unicode();
    // Cyrillic small letters, the Latin "i" the words are written with, the
    // ASCII apostrophe and the blank.
    return (u >= u'а' && u <= u'я') || u == u'є' || u == u'ї' || u == u'i' || u == u'\'' || u == u' ';
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = FuzzInput::text(data, size);
    const QString words = Module1::AmountToWords(text);

    const bool number = !text.isEmpty() && text.size() <= 12 && FuzzInput::allDigits(text);
    if (!number) {
        require(words.isEmpty(), "words for a text that is not 1 to 12 digits", text);
        return 0;
    }
    const qint64 value = text.toLongLong();
    require(words.isEmpty() == (value == 0), "words exactly for a non-zero amount", text);
    for (const QChar c : words)
        require(wordCharacter(c), "only letters, apostrophes and blanks", text);
    require(!words.startsWith(QLatin1Char(' ')) && !words.contains(QLatin1String("  ")),
            "no leading blank, no double blank", text);
    // Leading zeros change nothing, and the text is read as its number.
    require(Module1::AmountToWords(QString::number(value)) == words, "leading zeros give no words", text);
    if (value % 1000 == 0 && value > 0 && value < 1000000)
        require(words.contains(QStringLiteral("тисяч")), "whole thousands name the thousands", text);
    return 0;
}
