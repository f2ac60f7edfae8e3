// The payment-order sheet as its window paints it, against reference
// pictures: bare, and with every field filled (the purpose and the amount in
// words too long for their boxes). A line or box moved or drawn at another
// width, a caption or field in another place, font or wrapping: each changes
// the picture. VEXA_UPDATE_PICTURES=1 writes the references anew. Then the
// rule for texts too wide for their boxes, the faces' TAB glyph, and the
// window repainting after its fields change.
#include "document/Form1.h"
#include "document/SheetFonts.h"
#include "document/SheetPainter.h"
#include "support/TestSupport.h"

#include <QPainterPath>
#include <QRawFont>
#include <QtTest>

using namespace Sheet;

namespace {

// A text `times` as wide as the field's box (within half a per cent) in
// its font as designed, words of the list repeated.
QString asWideAs(Field field, double times)
{
    const QStringList words = { "Товариство", "з", "обмеженою", "вiдповiдальнiстю", "«Вексарон-Трейд»" };
    const Text &t = elementFor(field);
    const QFontMetricsF metrics(Sheet::font(t.face, t.points, t.bold));
    QString text;
    for (int i = 0; metrics.horizontalAdvance(text) < t.width * times; ++i)
        text += (text.isEmpty() ? "" : " ") + words[i % words.size()];
    while (metrics.horizontalAdvance(text) > t.width * (times + 0.005))
        text.chop(1);
    return text;
}

// A big-endian number of `bytes` bytes at `at`; what lies outside the data
// reads as missing bytes, never past the end.
quint32 be(const QByteArray &data, qint64 at, int bytes = 4)
{
    quint32 value = 0;
    for (const char c : data.mid(at, bytes))
        value = value << 8 | quint8(c);
    return value;
}

// The offset of the character map's entry in a TrueType face's directory
// (the sixth table of each shipped face).
constexpr int CmapEntry = 12 + 16 * 5;

QByteArray cmapOf(const QByteArray &face)
{
    return face.mid(be(face, CmapEntry + 8), be(face, CmapEntry + 12));
}

// Four bytes of the directory changed.
QByteArray patched(QByteArray face, int at, quint32 value)
{
    qToBigEndian(value, face.data() + at);
    return face;
}

// A shipped face with its character map moved to the file's end (four-byte
// aligned) and `extra` zero bytes after its subtables: the table ends at the
// file's last byte, its length of another remainder modulo 4.
QByteArray shipped(const char *name, int extra = -1)
{
    QByteArray face = TestSupport::fileBytes(QString(":/fonts/Liberation%1.ttf").arg(name));
    if (extra < 0)
        return face;
    const QByteArray cmap = cmapOf(face) + QByteArray(extra, '\0');
    face.append(QByteArray(-face.size() & 3, '\0'));
    return patched(patched(face, CmapEntry + 8, face.size()), CmapEntry + 12, cmap.size()) + cmap;
}

} // namespace

class TestSheet : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(SheetFonts::registerFonts()); }

    void painted_data()
    {
        QTest::addColumn<bool>("filled");
        QTest::newRow("bare") << false;
        QTest::newRow("filled") << true;
    }

    void painted()
    {
        QFETCH(bool, filled);
        Form1 form;
        for (int f = 0; filled && f < FieldCount; ++f) {
            const bool tooLong = Field(f) == Field::Purpose || Field(f) == Field::AmountInWords;
            form.setField(Field(f), QString("%1 ЖжЁ 777 слово ").arg(f).repeated(tooLong ? 40 : 1));
        }
        QCOMPARE(form.size(), QSize(779, 565));
        const QString fault = TestSupport::differsFromReference(form.grab().toImage(),
                                                                QString("document/sheet-") + QTest::currentDataTag());
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }

    void textsCondenseBeforeTheyWrap_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("lowest"); // the stretch may lie from here...
        QTest::addColumn<int>("highest"); // ...to here
        QTest::addColumn<bool>("oneLine"); // the whole text on its one line
        QTest::newRow("short name: as designed") << int(Field::RecipientName) << "Ромашка ПП" << 100 << 100 << true;
        QTest::newRow("account of 29 characters") << int(Field::CreditAccount) << "UA213223130000026007233566001"
                                                  << CondenseFloor << 99 << true;
        QTest::newRow("bank 5 % too wide") << int(Field::RecipientBank) << asWideAs(Field::RecipientBank, 1.05) << 93
                                           << 96 << true;
        QTest::newRow("name 60 % too wide: floor, wrapped")
                << int(Field::RecipientName) << asWideAs(Field::RecipientName, 1.6) << CondenseFloor << CondenseFloor
                << false;
        QTest::newRow("purpose on two lines: as designed")
                << int(Field::Purpose) << asWideAs(Field::Purpose, 1.5) << 100 << 100 << false;
        QTest::newRow("amount in words below the floor")
                << int(Field::AmountInWords) << asWideAs(Field::AmountInWords, 1.5) << 60 << 67 << true;
    }

    // One rule for every element: the natural width when it fits, else
    // condensed just enough, down to the floor; below it, wrapped. The amount in
    // words stays on its line. (The pictures above show the painter follows it.)
    void textsCondenseBeforeTheyWrap()
    {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(int, lowest);
        QFETCH(int, highest);
        QFETCH(bool, oneLine);
        const Text &t = elementFor(Field(field));
        const Setting setting = settingFor(t, text);
        QVERIFY2(setting.stretch >= lowest && setting.stretch <= highest,
                 qPrintable(QString::number(setting.stretch)));
        QFont font = Sheet::font(t.face, t.points, t.bold);
        font.setStretch(setting.stretch);
        QCOMPARE(QFontMetricsF(font).horizontalAdvance(text) <= t.width, oneLine);
        // Just enough: one per cent wider would not fit.
        if (oneLine && setting.stretch < 100) {
            font.setStretch(setting.stretch + 1);
            QVERIFY(QFontMetricsF(font).horizontalAdvance(text) > t.width);
        }
    }

    void facesGiveTheTabAGlyphOfItsOwn_data()
    {
        QTest::addColumn<QByteArray>("face");
        QTest::addColumn<bool>("sound"); // else handed back as it was, without reading outside it
        const QByteArray good = shipped("Sans-Regular"), atEnd = shipped("Sans-Regular", 0);
        for (const char *face : { "Sans-Regular", "Sans-Bold", "Serif-Regular", "Serif-Bold" })
            QTest::newRow(face) << shipped(face) << true;
        // Character maps of every length modulo 4 (the shipped ones: 2), the
        // last ending at the file's last byte.
        for (int extra = 0; extra < 4; ++extra)
            QTest::addRow("character map at the end, %d more bytes", extra)
                    << shipped("Sans-Regular", extra) << true;
        QTest::newRow("not a face") << QByteArray("not a face") << false;
        QTest::newRow("directory longer than the file") << good.left(12 + 16 * 10) << false;
        QTest::newRow("no character map") << patched(good, CmapEntry, 0x636d6171) << false; // "cmaq"
        QTest::newRow("character map of 3 bytes") << patched(good, CmapEntry + 12, 3) << false;
        QTest::newRow("character map one byte past the end")
                << patched(atEnd, CmapEntry + 12, be(atEnd, CmapEntry + 12) + 1) << false;
        QTest::newRow("character map beyond 4 GB") << patched(good, CmapEntry + 8, 0xfffffff0) << false;
    }

    // The TAB no longer shares the space's glyph (which made the PDF writer
    // name printed spaces TABs); every other character keeps its glyph, and the
    // face stays a valid TrueType file.
    void facesGiveTheTabAGlyphOfItsOwn()
    {
        QFETCH(QByteArray, face);
        QFETCH(bool, sound);
        const QByteArray out = SheetFonts::withTabOfItsOwn(face);
        if (!sound) {
            QCOMPARE(out, face);
            return;
        }
        const QRawFont before(face, 100), after(out, 100);
        QVERIFY(before.isValid() && after.isValid());
        QString all;
        for (uint c = 0x20; c < 0x10000; ++c)
            all.append(QChar::isSurrogate(c) ? QChar(' ') : QChar(char16_t(c)));
        QCOMPARE(after.glyphIndexesForString(all), before.glyphIndexesForString(all));
        const QList<quint32> blanks = after.glyphIndexesForString(" \t");
        QVERIFY(blanks[0] != blanks[1] && blanks[1] != 0);
        QVERIFY(after.pathForGlyph(blanks[1]).isEmpty()); // a blank: no ink
        // The new map at the file's end, four-byte aligned, its checksum (its bytes as big-endian words,
        // zero-padded, summed) right.
        const QByteArray was = cmapOf(face), map = cmapOf(out);
        quint32 sum = 0;
        for (int b = 0; b < map.size(); ++b)
            sum += quint32(quint8(map[b])) << (24 - 8 * (b % 4));
        QCOMPARE(sum, be(out, CmapEntry + 4));
        const quint32 offset = be(out, CmapEntry + 8);
        QVERIFY(offset % 4 == 0 && offset + be(out, CmapEntry + 12) == quint32(out.size()));
        // The original subtables (formats 4 and 6) unchanged under their records; one more record
        // (Windows, full Unicode) for a format 12 subtable whose length covers its groups to the map's end.
        const int count = int(be(map, 2, 2));
        QCOMPARE(count, int(be(was, 2, 2)) + 1);
        for (int i = 0; i + 1 < count; ++i) {
            const quint32 at = be(map, 8 + 8 * i), length = be(map, at + 2, 2);
            QVERIFY(map.mid(4 + 8 * i, 4) == was.mid(4 + 8 * i, 4) && length >= 6
                    && map.mid(at, length) == was.mid(be(was, 8 + 8 * i), length));
        }
        const quint32 at = be(map, 8 * count), length = be(map, at + 4);
        QVERIFY(be(map, 4 + 8 * (count - 1)) == 0x3000a && be(map, at, 2) == 12);
        QCOMPARE(length, 16 + 12 * be(map, at + 12));
        QCOMPARE(at + length, quint32(map.size()));
    }

    // The window shows what was written, by setField or by setFields (as a fill writes them), without
    // anything else prompting a repaint: what is on screen is what will print.
    void windowRepaintsAfterItsFieldsChange()
    {
        struct Counted : Form1
        {
            int paints = 0;
            void paintEvent(QPaintEvent *event) override
            {
                ++paints;
                Form1::paintEvent(event);
            }
        } form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        SheetFields fields;
        fields.setText(Field::RecipientName, "Лотос ТОВ");
        for (const bool allAtOnce : { false, true }) {
            QTest::qWait(50); // the paint before is through
            form.paints = 0;
            allAtOnce ? form.setFields(fields) : form.setField(Field::RecipientName, "Ромашка ПП");
            QTRY_VERIFY2_WITH_TIMEOUT(form.paints > 0, allAtOnce ? "setFields" : "setField", 2000);
        }
    }
};

QTEST_MAIN(TestSheet)
#include "tst_sheet.moc"
