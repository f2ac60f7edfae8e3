#pragma once

#include "document/SheetLayout.h"

#include <QString>
#include <array>

// The texts of the fifteen variable fields. At start every field is empty
// but the date line, which shows its blank.
class SheetFields
{
public:
    SheetFields();

    QString text(Sheet::Field field) const;
    void setText(Sheet::Field field, const QString &text);

    bool operator==(const SheetFields &other) const { return m_texts == other.m_texts; }
    bool operator!=(const SheetFields &other) const { return !(*this == other); }

private:
    std::array<QString, Sheet::FieldCount> m_texts;
};
