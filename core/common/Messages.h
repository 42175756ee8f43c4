#pragma once

#include <QString>

// Texts the program shows in more than one place.
namespace Messages {

// A number field that does not hold a whole number.
inline QString NotAnInteger(const QString &text)
{
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

// The platform's own box for a file it could not write.
inline QString CannotCreateFile(const QString &file, const QString &reason)
{
    return QStringLiteral("Cannot create file \"%1\". %2").arg(file, reason);
}

} // namespace Messages
