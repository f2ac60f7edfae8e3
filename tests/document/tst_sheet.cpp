// The payment-order sheet: its layout data, and what the painter routine
// actually puts on the page, checked by pixels at screen scale.
#include "document/Form1.h"
#include "document/SheetFonts.h"
#include "document/SheetLayout.h"
#include "document/SheetPainter.h"

#include <QFile>
#include <QFontDatabase>
#include <QRawFont>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSet>
#include <QtTest>

using namespace Sheet;

namespace {

constexpr int Scale = 4; // pixels per screen pixel in the fine renders below

// The sheet drawn at Scale times the screen size (15 / Scale twips a pixel).
QImage render(const SheetFields &fields)
{
    QImage image(WidthTwips * Scale / TwipsPerPixel, HeightTwips * Scale / TwipsPerPixel,
                 QImage::Format_RGB32);
    image.fill(Qt::red);
    QPainter p(&image);
    p.scale(double(Scale) / TwipsPerPixel, double(Scale) / TwipsPerPixel);
    Sheet::paint(p, fields);
    return image;
}

QPoint px(double xTwips, double yTwips)
{
    return QPoint(int(xTwips * Scale / TwipsPerPixel), int(yTwips * Scale / TwipsPerPixel));
}

bool dark(QRgb c)
{
    return qGray(c) < 128;
}

// Dark pixels inside a box given in twips.
int inkIn(const QImage &image, const QRectF &twips)
{
    const QPoint a = px(twips.left(), twips.top());
    const QPoint b = px(twips.right(), twips.bottom());
    int n = 0;
    for (int y = qMax(0, a.y()); y < qMin(image.height(), b.y()); ++y)
        for (int x = qMax(0, a.x()); x < qMin(image.width(), b.x()); ++x)
            n += dark(image.pixel(x, y));
    return n;
}

QRectF boxOf(const Text &t)
{
    return QRectF(t.left, t.top, t.width, t.height);
}

const Text &named(const QString &name)
{
    for (const Text &t : texts())
        if (t.name == name)
            return t;
    qFatal("no element %s", qPrintable(name));
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget)
    {
        widget->installEventFilter(this);
    }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == QEvent::Paint;
        return false;
    }
};

// A text `times` as wide as the field's box (within half a per cent) in
// its font as designed, words of the list repeated.
QString asWideAs(const Text &t, double times, const QStringList &words)
{
    const QFontMetricsF metrics(Sheet::font(t.face, t.points, t.bold));
    QString text;
    for (int i = 0; metrics.horizontalAdvance(text) < t.width * times; ++i)
        text += (text.isEmpty() ? "" : " ") + words[i % words.size()];
    while (metrics.horizontalAdvance(text) > t.width * (times + 0.005))
        text.chop(1);
    return text;
}

} // namespace

class TestSheet : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void layoutData();
    void designTimeTexts();
    void windowSizeAndBackground();
    void everyCaptionIsDrawnInItsBox();
    void rectanglesAndLines();
    void fieldsShowWhatIsSet_data();
    void fieldsShowWhatIsSet();
    void longTextsWrapAndAreCut();
    void textsCondenseBeforeTheyWrap_data();
    void textsCondenseBeforeTheyWrap();
    void facesGiveTheTabAGlyphOfItsOwn_data();
    void facesGiveTheTabAGlyphOfItsOwn();
    void windowRepaintsAfterItsFieldsChange_data();
    void windowRepaintsAfterItsFieldsChange();
};

void TestSheet::initTestCase()
{
    QVERIFY(SheetFonts::registerFonts());
    const QStringList families = QFontDatabase::families();
    QVERIFY(families.contains(SheetFonts::sansFamily()));
    QVERIFY(families.contains(SheetFonts::serifFamily()));
    // The faces really resolve to the shipped fonts, also offscreen.
    QCOMPARE(QFontInfo(font(Face::Serif, 9.75, false)).family(), SheetFonts::serifFamily());
    QCOMPARE(QFontInfo(font(Face::SansSerif, 8.25, true)).family(), SheetFonts::sansFamily());
    QVERIFY(QFontInfo(font(Face::SansSerif, 8.25, true)).bold());
}

void TestSheet::layoutData()
{
    // Each field is shown by exactly one element, and everything lies on the sheet.
    QSet<int> roles;
    for (const Text &t : texts()) {
        QVERIFY2(t.left + t.width <= WidthTwips && t.top + t.height <= HeightTwips, qPrintable(t.name));
        if (t.field != Field::None) {
            QVERIFY2(!roles.contains(int(t.field)), qPrintable(t.name));
            roles << int(t.field);
        }
    }
    QCOMPARE(roles.size(), FieldCount);
}

void TestSheet::designTimeTexts()
{
    const QString blank = dateLineBlank();
    QCOMPARE(blank.size(), 40);
    QCOMPARE(blank, QString("вiд") + QString(30, ' ') + "200  р.");
    QCOMPARE(blank.at(0), QChar(0x432)); // Cyrillic в
    QCOMPARE(blank.at(1), QChar('i'));   // Latin i
    QCOMPARE(named("Label15").text, QString("\"       \""));
    QCOMPARE(named("Label16").text, QString("\"       \""));
    SheetFields fresh;
    QCOMPARE(fresh.text(Field::DateLine), blank);
    for (int f = 0; f < FieldCount; ++f)
        if (Field(f) != Field::DateLine)
            QVERIFY(fresh.text(Field(f)).isEmpty());
}

void TestSheet::windowSizeAndBackground()
{
    Form1 form;
    QCOMPARE(form.size(), QSize(779, 565));
    QCOMPARE(form.objectName(), QString("Form1"));
    const QImage image = form.renderImage();
    QCOMPARE(image.size(), QSize(779, 565));
    // White where nothing stands: the corners and the middle of the amount box.
    QCOMPARE(image.pixel(2, 2), qRgb(255, 255, 255));
    QCOMPARE(image.pixel(776, 562), qRgb(255, 255, 255));
    QCOMPARE(image.pixel(9225 / 15 + 40, 3900 / 15), qRgb(255, 255, 255));
    // The whole sheet is painted: no pixel of the red canvas is left.
    const QImage fine = render(SheetFields());
    for (int y = 0; y < fine.height(); y += 7)
        for (int x = 0; x < fine.width(); x += 7)
            QVERIFY(fine.pixel(x, y) != qRgb(255, 0, 0));
}

void TestSheet::everyCaptionIsDrawnInItsBox()
{
    const QImage image = render(SheetFields());
    for (const Text &t : texts()) {
        if (t.field != Field::None && t.field != Field::DateLine)
            continue;
        const QString text = t.field == Field::DateLine ? dateLineBlank() : t.text;
        const int ink = inkIn(image, boxOf(t));
        if (text.trimmed().isEmpty())
            QVERIFY2(ink == 0, qPrintable(t.name));
        else
            QVERIFY2(ink > 20, qPrintable(t.name));
    }
    // Centred and left-aligned texts: "М.П." stands in the middle of its box,
    // "Платник" at the left of its own.
    const Text &mp = named("Label5(9)");
    QVERIFY(inkIn(image, QRectF(mp.left, mp.top, mp.width / 4.0, mp.height)) == 0);
    QVERIFY(inkIn(image, QRectF(mp.left + mp.width * 3 / 8.0, mp.top, mp.width / 4.0, mp.height)) > 0);
    const Text &payer = named("Label5(0)");
    QVERIFY(inkIn(image, QRectF(payer.left, payer.top, payer.width / 4.0, payer.height)) > 0);
    // The captions keep their size: none is more than a hair too wide for
    // its box ("рах. №" in the stand-in serif face, by 10 twips), so none
    // is condensed by more than 2 % or wraps.
    for (const Text &t : texts()) {
        if (t.field != Field::None || t.text.isEmpty())
            continue;
        const Setting setting = settingFor(t, t.text);
        QVERIFY2(setting.stretch >= 98, qPrintable(QString("%1 at %2 %").arg(t.name).arg(setting.stretch)));
    }
}

void TestSheet::rectanglesAndLines()
{
    const QImage image = render(SheetFields());
    for (const Rect &r : rects()) {
        const int border = r.borderPixels * TwipsPerPixel;
        // Each side is black along its length, inside the rectangle's bounds.
        const double midX = r.left + r.width / 2.0, midY = r.top + r.height / 2.0;
        QVERIFY2(dark(image.pixel(px(midX, r.top + border / 2.0))), qPrintable(r.name));
        QVERIFY2(dark(image.pixel(px(midX, r.top + r.height - border / 2.0 - 1))), qPrintable(r.name));
        QVERIFY2(dark(image.pixel(px(r.left + border / 2.0, midY))), qPrintable(r.name));
        QVERIFY2(dark(image.pixel(px(r.left + r.width - border / 2.0 - 1, midY))), qPrintable(r.name));
        // Not filled, and the border has its width: twice as thick for width 2.
        int thickness = 0;
        for (int y = px(0, r.top).y(); y < px(0, r.top + 60).y(); ++y)
            thickness += dark(image.pixel(px(midX, 0).x(), y));
        QVERIFY2(qAbs(thickness - r.borderPixels * Scale) <= 1, qPrintable(r.name));
        QVERIFY2(!dark(image.pixel(px(r.left + border + 30, r.top + border + 30))) || r.name == "Shape1(9)",
                 qPrintable(r.name));
    }
    for (const Line &l : lines()) {
        for (double f : { 0.1, 0.5, 0.9 }) {
            const QPoint p = px(l.x1 + (l.x2 - l.x1) * f, l.y1 + 7);
            QVERIFY2(dark(image.pixel(p)), qPrintable(l.name));
        }
        QVERIFY2(!dark(image.pixel(px(l.x1 + (l.x2 - l.x1) / 2.0, l.y1 + 40))), qPrintable(l.name));
    }
}

void TestSheet::fieldsShowWhatIsSet_data()
{
    QTest::addColumn<int>("field");
    for (int f = 0; f < FieldCount; ++f)
        QTest::newRow(qPrintable(elementFor(Field(f)).name)) << f;
}

void TestSheet::fieldsShowWhatIsSet()
{
    QFETCH(int, field);
    const Text &element = elementFor(Field(field));
    SheetFields fields;
    fields.setText(Field(field), QString());
    // A rule line may run along the bottom of a field's box.
    const int empty = inkIn(render(fields), boxOf(element));
    fields.setText(Field(field), "12345 ЖЖЖ");
    QVERIFY(inkIn(render(fields), boxOf(element)) > empty + 50);

    Form1 form;
    form.setField(Field(field), "ЖЖЖ 777");
    QCOMPARE(form.field(Field(field)), QString("ЖЖЖ 777"));
    QVERIFY(inkIn(render(form.fields()), boxOf(element)) > empty + 20);
}

void TestSheet::longTextsWrapAndAreCut()
{
    const Text &purpose = elementFor(Field::Purpose);
    const Text &words = elementFor(Field::AmountInWords);
    SheetFields fields;
    QString longText;
    for (int i = 0; i < 60; ++i)
        longText += QString("слово%1 ").arg(i);
    fields.setText(Field::Purpose, longText);
    fields.setText(Field::AmountInWords, longText);
    const QImage image = render(fields);

    // The purpose shows a second line inside its box...
    const double lineHeight = 8.25 * TwipsPerPoint;
    QVERIFY(inkIn(image, QRectF(purpose.left, purpose.top + lineHeight * 1.2, purpose.width,
                                lineHeight * 0.8))
            > 50);
    // ...and nothing below it or beside it.
    QCOMPARE(inkIn(image, QRectF(purpose.left, purpose.top + purpose.height, purpose.width, 300)), 0);
    QCOMPARE(inkIn(image, QRectF(purpose.left + purpose.width, purpose.top, 20, purpose.height)), 0);
    // The amount in words keeps to its one line: the rule under it stays clean.
    QCOMPARE(inkIn(image, QRectF(words.left, words.top + words.height, words.width, 20)), 0);
    QVERIFY(inkIn(image, boxOf(words)) > 100);
}

void TestSheet::textsCondenseBeforeTheyWrap_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("lowest"); // the stretch may lie from here...
    QTest::addColumn<int>("highest"); // ...to here
    QTest::addColumn<bool>("oneLine"); // the whole text on its one line
    const QStringList words = { "Товариство", "з", "обмеженою", "вiдповiдальнiстю", "«Вексарон-Трейд»" };
    const auto wide = [&](Field f, double times) { return asWideAs(elementFor(f), times, words); };
    QTest::newRow("short name: as designed") << int(Field::RecipientName) << "Ромашка ПП" << 100 << 100 << true;
    QTest::newRow("account of 29 characters") << int(Field::CreditAccount) << "UA213223130000026007233566001"
                                              << CondenseFloor << 99 << true;
    QTest::newRow("10-digit code") << int(Field::PayerCode) << "3012345678" << 100 << 100 << true;
    QTest::newRow("bank 5 % too wide") << int(Field::RecipientBank) << wide(Field::RecipientBank, 1.05) << 93 << 96
                                       << true;
    QTest::newRow("name 60 % too wide: floor, wrapped")
            << int(Field::RecipientName) << wide(Field::RecipientName, 1.6) << CondenseFloor << CondenseFloor << false;
    QTest::newRow("name without blanks, too wide at the floor")
            << int(Field::RecipientName) << QString(80, QChar(0x0416)) << CondenseFloor << CondenseFloor << false;
    QTest::newRow("purpose on two lines: as designed") << int(Field::Purpose) << wide(Field::Purpose, 1.5) << 100
                                                       << 100 << false;
    QTest::newRow("amount in words below the floor") << int(Field::AmountInWords) << wide(Field::AmountInWords, 1.5)
                                                     << 60 << 67 << true;
}

// One rule for every element, through the painter's own choice: the
// natural width when it fits, else condensed just enough, down to the floor;
// below it, wrapped. The amount in words stays on its line.
void TestSheet::textsCondenseBeforeTheyWrap()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(int, lowest);
    QFETCH(int, highest);
    QFETCH(bool, oneLine);
    const Text &t = elementFor(Field(field));
    const Setting setting = settingFor(t, text);
    QVERIFY2(setting.stretch >= lowest && setting.stretch <= highest, qPrintable(QString::number(setting.stretch)));
    QFont font = Sheet::font(t.face, t.points, t.bold);
    font.setStretch(setting.stretch);
    const double width = QFontMetricsF(font).horizontalAdvance(text);
    QCOMPARE(width <= t.width, oneLine);
    // Just enough: one per cent wider would not fit.
    if (oneLine && setting.stretch < 100) {
        font.setStretch(setting.stretch + 1);
        QVERIFY(QFontMetricsF(font).horizontalAdvance(text) > t.width);
    }

    // Drawn: nothing outside the box, in a band around it.
    SheetFields fields;
    fields.setText(Field(field), text);
    const QImage image = render(fields);
    const QRectF box = boxOf(t);
    const int around = inkIn(image, box.adjusted(-60, -60, 60, 60)) - inkIn(image, box);
    QCOMPARE(around, inkIn(render(SheetFields()), box.adjusted(-60, -60, 60, 60)) - inkIn(render(SheetFields()), box));
    QVERIFY(inkIn(image, box) > 50);
}

void TestSheet::facesGiveTheTabAGlyphOfItsOwn_data()
{
    QTest::addColumn<QString>("file");
    for (const char *face : { "Sans-Regular", "Sans-Bold", "Serif-Regular", "Serif-Bold" })
        QTest::newRow(face) << QString(":/fonts/Liberation%1.ttf").arg(face);
}

// The TAB no longer shares the space's glyph (which made the PDF writer
// name printed spaces TABs); every other character keeps its glyph.
void TestSheet::facesGiveTheTabAGlyphOfItsOwn()
{
    QFETCH(QString, file);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray original = f.readAll();
    const QRawFont before(original, 100), after(SheetFonts::withTabOfItsOwn(original), 100);
    QVERIFY(after.isValid());
    QString all;
    for (uint c = 0x20; c < 0x10000; ++c)
        if (!QChar::isSurrogate(c))
            all.append(QChar(char16_t(c)));
    QCOMPARE(after.glyphIndexesForString(all), before.glyphIndexesForString(all));
    const QList<quint32> blanks = after.glyphIndexesForString(" \t");
    QVERIFY(blanks[0] != blanks[1] && blanks[1] != 0);
    QVERIFY(after.pathForGlyph(blanks[1]).isEmpty()); // a blank: no ink
    // Not a face: the data come back as they were.
    QCOMPARE(SheetFonts::withTabOfItsOwn("not a face"), QByteArray("not a face"));
}

void TestSheet::windowRepaintsAfterItsFieldsChange_data()
{
    QTest::addColumn<bool>("allAtOnce"); // setFields, as a fill writes them; else setField
    QTest::newRow("one field") << false;
    QTest::newRow("all fields") << true;
}

// The window shows what was written, without anything else prompting a
// repaint: what is on screen is what will print.
void TestSheet::windowRepaintsAfterItsFieldsChange()
{
    QFETCH(bool, allAtOnce);
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::qWait(50); // the first paint is through
    PaintCounter painted(&form);

    if (allAtOnce) {
        SheetFields fields;
        fields.setText(Field::RecipientName, "Ромашка ПП");
        form.setFields(fields);
    } else {
        form.setField(Field::RecipientName, "Ромашка ПП");
    }
    QTRY_VERIFY_WITH_TIMEOUT(painted.count > 0, 2000);
}

QTEST_MAIN(TestSheet)
#include "tst_sheet.moc"
