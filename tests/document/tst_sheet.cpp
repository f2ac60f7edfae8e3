// The payment-order sheet as its window paints it, against reference
// pictures: bare, and with every field filled (the purpose and the amount in
// words too long for their boxes). A line or box moved or drawn at another
// width, a caption or field in another place, font or wrapping: each changes
// the picture. VEXA_UPDATE_PICTURES=1 writes the references anew. Then the
// rule for texts too wide for their boxes, the faces' TAB glyph, and the
// window repainting after its fields change.
#include "document/Form1.h"
#include "document/SheetFonts.h"
#include "document/SheetLayout.h"
#include "document/SheetPainter.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
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

    // The captions keep their size: none is more than a hair too wide for
    // its box ("рах. №" in the stand-in serif face, by 10 twips), so none
    // is condensed by more than 2 % or wraps.
    void captionsKeepTheirSize()
    {
        for (const Text &t : texts()) {
            if (t.field != Field::None || t.text.isEmpty())
                continue;
            const Setting setting = settingFor(t, t.text);
            QVERIFY2(setting.stretch >= 98, qPrintable(QString("%1 at %2 %").arg(t.name).arg(setting.stretch)));
        }
    }

    void textsCondenseBeforeTheyWrap_data();
    void textsCondenseBeforeTheyWrap();
    void facesGiveTheTabAGlyphOfItsOwn_data();
    void facesGiveTheTabAGlyphOfItsOwn();
    void windowRepaintsAfterItsFieldsChange_data();
    void windowRepaintsAfterItsFieldsChange();
};

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
