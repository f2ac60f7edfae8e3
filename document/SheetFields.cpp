#include "document/SheetFields.h"

SheetFields::SheetFields()
{
    m_texts[int(Sheet::Field::DateLine)] = Sheet::dateLineBlank();
}

QString SheetFields::text(Sheet::Field field) const
{
    if (field == Sheet::Field::None)
        return QString();
    return m_texts[int(field)];
}

void SheetFields::setText(Sheet::Field field, const QString &text)
{
    if (field != Sheet::Field::None)
        m_texts[int(field)] = text;
}
