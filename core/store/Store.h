#pragma once

#include <QStringList>

// The store data: records the meter keeps, as the store window's grid and the
// store report show them. The program has no source for them, so both show
// the columns and no rows.
namespace Store {

// SNo, STime, SValue, SUnit, SV_Range, SI_Range.
inline const QStringList &FieldNames()
{
    static const QStringList names{QStringLiteral("SNo"),   QStringLiteral("STime"),    QStringLiteral("SValue"),
                                   QStringLiteral("SUnit"), QStringLiteral("SV_Range"), QStringLiteral("SI_Range")};
    return names;
}

} // namespace Store
