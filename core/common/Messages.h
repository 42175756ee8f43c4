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

// A file the window will not read or write: opening a FIFO or a device
// could keep it waiting for good.
inline QString NotARegularFile(const QString &file)
{
    return QStringLiteral("\"%1\" is not a regular file (a device, a FIFO or a socket); choose a file.").arg(file);
}

} // namespace Messages
