#include "document/SheetFonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QRawFont>
#include <QStringList>
#include <QtEndian>

#include <vector>

static void initDocumentResources()
{
    Q_INIT_RESOURCE(document);
}

namespace SheetFonts {

namespace {

// The glyph TrueType faces keep for invisible control characters
// ("nonmarkingreturn", after .notdef and .null).
constexpr quint32 InvisibleGlyph = 2;

struct CharGroup
{
    quint32 first, last, firstGlyph;
};

quint16 u16(const QByteArray &data, int at)
{
    return qFromBigEndian<quint16>(data.constData() + at);
}

quint32 u32(const QByteArray &data, int at)
{
    return qFromBigEndian<quint32>(data.constData() + at);
}

void append16(QByteArray &out, quint16 v)
{
    char b[2];
    qToBigEndian(v, b);
    out.append(b, 2);
}

void append32(QByteArray &out, quint32 v)
{
    char b[4];
    qToBigEndian(v, b);
    out.append(b, 4);
}

quint32 tableChecksum(const QByteArray &table)
{
    QByteArray padded = table;
    padded.append(QByteArray((4 - padded.size() % 4) % 4, '\0'));
    quint32 sum = 0;
    for (int i = 0; i < padded.size(); i += 4)
        sum += u32(padded, i);
    return sum;
}

// Every character of the face's basic plane as runs of consecutive glyphs,
// the TAB given the invisible glyph.
std::vector<CharGroup> characterGroups(const QByteArray &face)
{
    QString all;
    for (uint c = 0; c < 0x10000; ++c)
        all.append(QChar::isSurrogate(c) ? QChar(0) : QChar(char16_t(c)));
    const QList<quint32> glyphs = QRawFont(face, 100).glyphIndexesForString(all);
    std::vector<CharGroup> groups;
    for (uint c = 0; c < uint(glyphs.size()); ++c) {
        quint32 glyph = c == 0x09 ? InvisibleGlyph : glyphs[c];
        if (glyph == 0 || QChar::isSurrogate(c))
            continue;
        if (!groups.empty() && groups.back().last + 1 == c
            && groups.back().firstGlyph + (c - groups.back().first) == glyph)
            groups.back().last = c;
        else
            groups.push_back({ c, c, glyph });
    }
    return groups;
}

// The face's character map with one more subtable (Windows, full Unicode,
// format 12) that maps the TAB to an invisible glyph of its own; FreeType
// prefers that subtable to the original ones, which stay as they were.
QByteArray cmapWithTab(const QByteArray &cmap, const std::vector<CharGroup> &groups)
{
    const quint16 count = u16(cmap, 2);
    const quint32 grown = 8; // one more encoding record
    QByteArray out;
    append16(out, 0);
    append16(out, count + 1);
    for (int i = 0; i < count; ++i) {
        const int record = 4 + 8 * i;
        append16(out, u16(cmap, record));
        append16(out, u16(cmap, record + 2));
        append32(out, u32(cmap, record + 4) + grown);
    }
    append16(out, 3);
    append16(out, 10);
    append32(out, quint32(cmap.size()) + grown);
    out.append(cmap.mid(4 + 8 * count));
    append16(out, 12);
    append16(out, 0);
    append32(out, 16 + 12 * quint32(groups.size()));
    append32(out, 0);
    append32(out, quint32(groups.size()));
    for (const CharGroup &g : groups) {
        append32(out, g.first);
        append32(out, g.last);
        append32(out, g.firstGlyph);
    }
    return out;
}

} // namespace

QByteArray withTabOfItsOwn(const QByteArray &face)
{
    if (face.size() < 12)
        return face;
    const int tables = u16(face, 4);
    if (face.size() < 12 + 16 * tables)
        return face;
    for (int i = 0; i < tables; ++i) {
        const int entry = 12 + 16 * i;
        if (face.mid(entry, 4) != "cmap")
            continue;
        const quint32 offset = u32(face, entry + 8), length = u32(face, entry + 12);
        if (quint64(offset) + length > quint64(face.size()) || length < 4)
            return face;
        const QByteArray cmap = cmapWithTab(face.mid(offset, length), characterGroups(face));
        // The new map goes at the end, four-byte aligned; the old one stays
        // in place, unreferenced.
        QByteArray out = face;
        out.append(QByteArray((4 - out.size() % 4) % 4, '\0'));
        qToBigEndian(tableChecksum(cmap), out.data() + entry + 4);
        qToBigEndian(quint32(out.size()), out.data() + entry + 8);
        qToBigEndian(quint32(cmap.size()), out.data() + entry + 12);
        out.append(cmap);
        return out;
    }
    return face;
}

bool registerFonts()
{
    static int loaded = -1;
    if (loaded >= 0)
        return loaded == 4;
    initDocumentResources();
    loaded = 0;
    const QStringList files = {
        QStringLiteral(":/fonts/LiberationSans-Regular.ttf"),
        QStringLiteral(":/fonts/LiberationSans-Bold.ttf"),
        QStringLiteral(":/fonts/LiberationSerif-Regular.ttf"),
        QStringLiteral(":/fonts/LiberationSerif-Bold.ttf"),
    };
    for (const QString &file : files) {
        QFile f(file);
        if (f.open(QIODevice::ReadOnly)
            && QFontDatabase::addApplicationFontFromData(withTabOfItsOwn(f.readAll())) >= 0)
            ++loaded;
    }
    return loaded == 4;
}

QString sansFamily()
{
    return QStringLiteral("Liberation Sans");
}

QString serifFamily()
{
    return QStringLiteral("Liberation Serif");
}

} // namespace SheetFonts
