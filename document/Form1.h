#pragma once

#include "document/SheetFields.h"

#include <QWidget>

// The document window: the payment-order sheet at 15 twips to a pixel. It
// has no input of its own; the fill steps write its fields.
class Form1 : public QWidget
{
    Q_OBJECT

public:
    explicit Form1(QWidget *parent = nullptr);

    // Size in twips, for centring in the main window.
    static constexpr int WidthTwips = Sheet::WidthTwips;
    static constexpr int HeightTwips = Sheet::HeightTwips;

    const SheetFields &fields() const { return m_fields; }
    QString field(Sheet::Field field) const { return m_fields.text(field); }
    void setField(Sheet::Field field, const QString &text);
    // Replaces all fifteen fields at once.
    void setFields(const SheetFields &fields);

    // The sheet as an image at screen scale, as the window shows it.
    QImage renderImage() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    SheetFields m_fields;
};
