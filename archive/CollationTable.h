#pragma once

// The first level of the Ukrainian collation (the letters, not their case
// nor accents) for the archive's stored one-byte characters, taken from
// ICU once: each byte's weights as small numbers, so that two stored texts
// compare by their bytes' weights exactly as ICU compares the texts at
// that level. A byte ICU cannot be followed for that way (an escape, a
// letter that starts a contraction, a character whose weights are none of
// the others') is not exact: a text holding one is left to ICU itself.
class CollationTable
{
public:
    // The table for uk_UA, made on first use; null when ICU has no such
    // collation or it cannot be followed this way.
    static const CollationTable *ukrainian();

    bool exact(unsigned char byte) const { return m_count[byte] >= 0; }
    // How many weights the byte has (0: ignored at this level), and they.
    int weightCount(unsigned char byte) const { return m_count[byte]; }
    const unsigned char *weights(unsigned char byte) const { return m_weights[byte]; }

private:
    CollationTable() = default;
    bool build();

    signed char m_count[256];            // -1 when not exact
    unsigned char m_weights[256][2] = {}; // 1 to 255
};
