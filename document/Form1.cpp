#include "document/Form1.h"

#include "document/SheetPainter.h"

#include <QImage>
#include <QPainter>

Form1::Form1(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setFixedSize(Sheet::WidthTwips / Sheet::TwipsPerPixel, Sheet::HeightTwips / Sheet::TwipsPerPixel);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

void Form1::setField(Sheet::Field field, const QString &text)
{
    m_fields.setText(field, text);
    update();
}

void Form1::setFields(const SheetFields &fields)
{
    m_fields = fields;
    update();
}

void Form1::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.scale(1.0 / Sheet::TwipsPerPixel, 1.0 / Sheet::TwipsPerPixel);
    Sheet::paint(painter, m_fields);
}

QImage Form1::renderImage() const
{
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(1.0 / Sheet::TwipsPerPixel, 1.0 / Sheet::TwipsPerPixel);
    Sheet::paint(painter, m_fields);
    return image;
}
