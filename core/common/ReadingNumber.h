#pragma once

#include <QString>

#include <optional>

// How the program writes and reads the numbers of readings: with the system's
// decimal separator.

// The separator readings are written with: the system's, or a point when the
// system's could not be read (an empty separator would run the digits together).
QString ReadingSeparator(const QString &sysDecimalSep);

// The number a reading's text stands for, or nullopt for a text that is none
// (a blank, an overload, a finite number's digits not being there).
std::optional<double> ReadingNumber(const QString &valueText, const QString &sysDecimalSep);
