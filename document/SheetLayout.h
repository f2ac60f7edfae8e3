#pragma once

#include <QString>
#include <QVector>
#include <Qt>

// The payment-order sheet as it stands on the printed bank form. All
// positions and sizes are in twips (1/1440 inch) from the sheet's top-left
// corner; font sizes are in points.
namespace Sheet {

constexpr int WidthTwips = 11685;  // about 206 mm
constexpr int HeightTwips = 8475;  // about 149.5 mm
constexpr int TwipsPerPixel = 15;  // on screen, at 96 dots per inch
constexpr int TwipsPerPoint = 20;

// The fifteen variable fields of the sheet, by role.
enum class Field {
    OrderNumber,
    DateLine,
    PayerName,
    PayerCode,
    PayerBank,
    PayerBankCode,
    DebitAccount,
    RecipientName,
    RecipientCode,
    RecipientBank,
    RecipientBankCode,
    CreditAccount,
    AmountInFigures,
    AmountInWords,
    Purpose,
    None // a fixed caption, or a text that is never written
};
constexpr int FieldCount = int(Field::None);

enum class Face { SansSerif, Serif }; // "MS Sans Serif", "Times New Roman" on the form

struct Text
{
    QString name;      // control name, e.g. "Label5(21)"
    QString text;      // text at design time
    int left, top, width, height;
    Face face;
    double points;
    bool bold;
    Qt::Alignment align; // Qt::AlignLeft or Qt::AlignHCenter
    Field field;
};

struct Rect
{
    QString name;
    int left, top, width, height;
    int borderPixels; // border width in screen pixels (15 twips each)
};

struct Line
{
    QString name;
    int x1, y1, x2, y2;
};

const QVector<Text> &texts();
const QVector<Rect> &rects();
const QVector<Line> &lines();

// The text element that shows a field.
const Text &elementFor(Field field);

// What the date line shows before the first fill.
QString dateLineBlank();

} // namespace Sheet
