#include "document/SheetLayout.h"

namespace Sheet {

namespace {

constexpr Qt::Alignment L = Qt::AlignLeft;
constexpr Qt::Alignment C = Qt::AlignHCenter;
constexpr Face Sans = Face::SansSerif;
constexpr Face Serif = Face::Serif;

// A day in quotation marks that the bank fills in by hand.
QString dayBlank()
{
    return QStringLiteral("\"       \"");
}

} // namespace

QString dateLineBlank()
{
    return QStringLiteral("вiд") + QString(30, QLatin1Char(' ')) + QStringLiteral("200")
            + QStringLiteral("  р.");
}

const QVector<Text> &texts()
{
    static const QVector<Text> list = {
        { "Label3", "", 9855, 270, 960, 195, Sans, 8.25, true, C, Field::None },
        { "Label4", "ПЛАТIЖНЕ ДОРУЧЕННЯ  №", 2700, 450, 3255, 285, Serif, 12, false, L, Field::None },
        { "Label1", "", 6075, 450, 645, 285, Sans, 12, false, C, Field::OrderNumber },
        { "Label5(21)", "Одержано банком", 8505, 720, 1635, 240, Serif, 9.75, false, L, Field::None },
        { "Label14", dateLineBlank(), 3465, 945, 2355, 195, Sans, 8.25, false, C, Field::DateLine },
        { "Label15", dayBlank(), 7695, 945, 600, 195, Serif, 9.75, true, C, Field::None },
        { "Label5(22)", "20     р.", 10080, 945, 600, 240, Serif, 9.75, false, L, Field::None },
        { "Label5(0)", "Платник", 675, 1620, 870, 240, Serif, 9.75, false, L, Field::None },
        { "Label19", "", 1710, 1620, 4380, 195, Sans, 8.25, true, L, Field::PayerName },
        { "Label5(1)", "Код", 675, 2025, 600, 240, Serif, 9.75, false, L, Field::None },
        { "Label6", "", 1710, 2025, 1410, 195, Sans, 8.25, true, C, Field::PayerCode },
        { "Label5(15)", "ДЕБЕТ", 7695, 2385, 645, 285, Serif, 9.75, false, L, Field::None },
        { "Label5(17)", "СУМА", 9765, 2385, 645, 285, Serif, 9.75, false, L, Field::None },
        { "Label5(2)", "Банк платника", 675, 2430, 1320, 240, Serif, 9.75, false, L, Field::None },
        { "Label5(10)", "код банку", 5130, 2430, 870, 240, Serif, 9.75, false, L, Field::None },
        { "Label9", "", 5040, 2790, 960, 195, Sans, 8.25, true, C, Field::PayerBankCode },
        { "Label11", "", 6840, 2790, 2355, 195, Sans, 8.25, true, C, Field::DebitAccount },
        { "Label2", "", 9360, 2790, 1410, 195, Sans, 8.25, true, C, Field::AmountInFigures },
        { "Label17", "", 675, 2880, 4290, 195, Sans, 8.25, true, L, Field::PayerBank },
        { "Label5(12)", "рах. №", 6210, 2880, 555, 240, Serif, 9.75, false, L, Field::None },
        { "Label5(3)", "Одержувач", 675, 3420, 960, 240, Serif, 9.75, false, L, Field::None },
        { "Label20", "", 1710, 3420, 4380, 195, Sans, 8.25, true, L, Field::RecipientName },
        { "Label5(16)", "КРЕДИТ", 7650, 3645, 825, 285, Serif, 9.75, false, L, Field::None },
        { "Label5(4)", "Код", 675, 3780, 870, 240, Serif, 9.75, false, L, Field::None },
        { "Label7", "", 1710, 3825, 1410, 195, Sans, 8.25, true, C, Field::RecipientCode },
        { "Label12", "", 6840, 4050, 2355, 195, Sans, 8.25, true, C, Field::None },
        { "Label5(11)", "код банку", 5130, 4140, 870, 240, Serif, 9.75, false, L, Field::None },
        { "Label5(5)", "Банк одержувача", 675, 4185, 1455, 240, Serif, 9.75, false, L, Field::None },
        { "Label5(13)", "рах. №", 6210, 4185, 555, 240, Serif, 9.75, false, L, Field::None },
        { "Label10", "", 5040, 4500, 960, 195, Sans, 8.25, true, C, Field::RecipientBankCode },
        { "Label13", "", 6840, 4500, 2355, 195, Sans, 8.25, true, C, Field::CreditAccount },
        { "Label18", "", 675, 4590, 4290, 195, Sans, 8.25, true, L, Field::RecipientBank },
        { "Label5(14)", "рах. №", 6210, 4590, 555, 240, Serif, 9.75, false, L, Field::None },
        { "Label5(6)", "Сума (лiтерами)", 675, 5085, 1500, 240, Serif, 9.75, false, L, Field::None },
        { "Label8", "", 675, 5310, 8520, 195, Sans, 8.25, true, L, Field::AmountInWords },
        { "Label5(7)", "Призначення платежу", 675, 5580, 1995, 240, Serif, 9.75, false, L, Field::None },
        { "Label21", "", 2610, 5625, 6585, 510, Sans, 8.25, true, L, Field::Purpose },
        { "Label5(18)", "Проведено банком", 8460, 6480, 1635, 240, Serif, 9.75, false, L, Field::None },
        { "Label16", dayBlank(), 7695, 6750, 600, 195, Serif, 9.75, true, C, Field::None },
        { "Label5(20)", "20     р.", 10080, 6750, 600, 240, Serif, 9.75, false, L, Field::None },
        { "Label5(9)", "М.П.", 765, 6930, 825, 240, Serif, 9.75, false, C, Field::None },
        { "Label5(8)", "Пiдпис платника", 2565, 6930, 1500, 240, Serif, 9.75, false, L, Field::None },
        { "Label5(19)", "Пiдпис банку", 9270, 7110, 1635, 240, Serif, 9.75, false, L, Field::None },
    };
    return list;
}

const QVector<Rect> &rects()
{
    static const QVector<Rect> list = {
        { "Shape1(8)", 9810, 225, 1095, 285, 1 },
        { "Shape1(4)", 1620, 1890, 1590, 465, 1 },
        { "Shape1(6)", 4995, 2655, 1095, 465, 2 },
        { "Shape1(1)", 6795, 2655, 2445, 465, 2 },
        { "Shape1(0)", 9225, 2655, 1680, 2175, 2 },
        { "Shape1(5)", 1620, 3690, 1590, 465, 1 },
        { "Shape1(2)", 6795, 3915, 2445, 465, 2 },
        { "Shape1(7)", 4995, 4365, 1095, 465, 2 },
        { "Shape1(3)", 6795, 4365, 2445, 465, 2 },
        { "Shape1(9)", 675, 6840, 1005, 420, 2 },
    };
    return list;
}

const QVector<Line> &lines()
{
    static const QVector<Line> list = {
        { "Line1", 6030, 720, 6795, 720 },
        { "Line2", 3555, 1170, 5670, 1170 },
        { "Line4(0)", 7785, 1170, 8190, 1170 },
        { "Line5(0)", 8325, 1170, 10035, 1170 },
        { "Line3(0)", 675, 3105, 4995, 3105 },
        { "Line3(1)", 675, 4815, 4995, 4815 },
        { "Line3(2)", 675, 5535, 9225, 5535 },
        { "Line4(1)", 7785, 6975, 8190, 6975 },
        { "Line5(1)", 8325, 6975, 10035, 6975 },
    };
    return list;
}

const Text &elementFor(Field field)
{
    for (const Text &t : texts())
        if (t.field == field)
            return t;
    Q_UNREACHABLE();
}

} // namespace Sheet
