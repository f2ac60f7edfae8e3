#include "archive/CollationTable.h"

#include "archive/SearchFold.h"

#include <unicode/uchar.h>
#include <unicode/ucol.h>
#include <unicode/uset.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

namespace {

using Collator = std::unique_ptr<UCollator, decltype(&ucol_close)>;
using Set = std::unique_ptr<USet, decltype(&uset_close)>;

struct Text
{
    UChar units[4] = {};
    int32_t size = 0;
    void append(char32_t cp)
    {
        U16_APPEND_UNSAFE(units, size, cp);
    }
};

Text textOf(char32_t a, char32_t b = 0)
{
    Text t;
    t.append(a);
    if (b)
        t.append(b);
    return t;
}

int compare(const UCollator *c, const Text &a, const Text &b)
{
    return ucol_strcoll(c, a.units, a.size, b.units, b.size);
}

} // namespace

const CollationTable *CollationTable::ukrainian()
{
    static std::once_flag once;
    static std::unique_ptr<CollationTable> table;
    std::call_once(once, [] {
        table.reset(new CollationTable);
        if (!table->build())
            table.reset();
    });
    return table.get();
}

bool CollationTable::build()
{
    UErrorCode status = U_ZERO_ERROR;
    Collator collator(ucol_open("uk_UA", &status), &ucol_close);
    Set contractions(uset_openEmpty(), &uset_close), expansions(uset_openEmpty(), &uset_close);
    if (U_SUCCESS(status))
        ucol_getContractionsAndExpansions(collator.get(), contractions.get(), expansions.get(), true, &status);
    if (U_FAILURE(status))
        return false;
    ucol_setStrength(collator.get(), UCOL_PRIMARY);
    const UCollator *primary = collator.get();

    // The stored bytes with a character of their own; the upper case of a
    // letter must weigh as its lower case.
    std::fill(std::begin(m_count), std::end(m_count), -1);
    std::vector<unsigned char> plain, expanding;
    for (int b = 0; b < 256; ++b) {
        const char32_t cp = SearchFold::storedCharacter((unsigned char)b);
        if (!cp)
            continue;
        const char32_t upper = u_toupper(UChar32(cp));
        if (upper != cp && compare(primary, textOf(cp), textOf(upper)) != 0)
            continue;
        if (uset_contains(expansions.get(), UChar32(cp)) || uset_contains(expansions.get(), UChar32(upper)))
            expanding.push_back((unsigned char)b);
        else
            plain.push_back((unsigned char)b);
    }
    // A contraction made only of stored characters weighs otherwise than
    // its characters one by one: its bytes are left to ICU. (A contraction
    // with any other character is in a text with an escape, left to ICU
    // anyway.)
    auto storedByte = [](UChar32 cp) -> int {
        char utf8[U8_MAX_LENGTH];
        int32_t size = 0;
        U8_APPEND_UNSAFE(utf8, size, cp);
        std::string folded;
        SearchFold::appendFolded(utf8, size, &folded);
        return folded.size() == 1 && SearchFold::storedCharacter((unsigned char)folded[0])
                ? (unsigned char)folded[0] : -1;
    };
    std::vector<bool> contracting(256, false);
    for (int32_t i = 0, n = uset_getItemCount(contractions.get()); i < n; ++i) {
        UChar32 start = 0, end = 0;
        UChar string[64];
        UErrorCode itemStatus = U_ZERO_ERROR;
        const int32_t length = uset_getItem(contractions.get(), i, &start, &end, string, 64, &itemStatus);
        if (U_FAILURE(itemStatus) || length <= 0)
            continue;
        std::vector<int> bytes;
        for (int32_t at = 0; at < length;) {
            UChar32 cp;
            U16_NEXT(string, at, length, cp);
            bytes.push_back(storedByte(cp));
        }
        if (std::find(bytes.begin(), bytes.end(), -1) == bytes.end())
            for (int byte : bytes)
                contracting[size_t(byte)] = true;
    }
    auto isContracting = [&](unsigned char b) { return bool(contracting[b]); };
    plain.erase(std::remove_if(plain.begin(), plain.end(), isContracting), plain.end());
    expanding.erase(std::remove_if(expanding.begin(), expanding.end(), isContracting), expanding.end());

    // The plain characters in collation order, the equal ones one weight;
    // those that weigh nothing at this level are skipped.
    auto characterOf = [](unsigned char b) { return textOf(SearchFold::storedCharacter(b)); };
    std::stable_sort(plain.begin(), plain.end(), [&](unsigned char a, unsigned char b) {
        return compare(primary, characterOf(a), characterOf(b)) < 0;
    });
    int weight = 0;
    for (size_t i = 0; i < plain.size(); ++i) {
        const Text t = characterOf(plain[i]);
        if (compare(primary, t, Text()) == 0) {
            m_count[plain[i]] = 0;
            continue;
        }
        if (weight == 0 || compare(primary, characterOf(plain[i - 1]), t) != 0)
            ++weight;
        if (weight > 255) // more than a byte holds
            return false;
        m_count[plain[i]] = 1;
        m_weights[plain[i]][0] = (unsigned char)weight;
    }
    // A character that expands weighs as one or two plain ones, or is left
    // to ICU.
    std::vector<unsigned char> weighing;
    for (unsigned char b : plain)
        if (m_count[b] == 1)
            weighing.push_back(b);
    for (unsigned char e : expanding) {
        const Text t = characterOf(e);
        for (unsigned char a : weighing)
            if (compare(primary, t, characterOf(a)) == 0) {
                m_count[e] = 1;
                m_weights[e][0] = m_weights[a][0];
                break;
            }
        for (size_t i = 0; m_count[e] < 0 && i < weighing.size(); ++i)
            for (unsigned char b : weighing)
                if (compare(primary, t, textOf(SearchFold::storedCharacter(weighing[i]),
                                               SearchFold::storedCharacter(b))) == 0) {
                    m_count[e] = 2;
                    m_weights[e][0] = m_weights[weighing[i]][0];
                    m_weights[e][1] = m_weights[b][0];
                    break;
                }
    }
    return true;
}
