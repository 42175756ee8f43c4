#include "core/common/ReadingNumber.h"

#include <cmath>

QString ReadingSeparator(const QString &sysDecimalSep)
{
    return sysDecimalSep.isEmpty() ? QStringLiteral(".") : sysDecimalSep;
}

std::optional<double> ReadingNumber(const QString &valueText, const QString &sysDecimalSep)
{
    QString plain = valueText;
    plain.replace(ReadingSeparator(sysDecimalSep), QStringLiteral("."));
    bool ok = false;
    const double number = plain.toDouble(&ok); // the C locale's form
    if (!ok || !std::isfinite(number))
        return std::nullopt;
    return number;
}
