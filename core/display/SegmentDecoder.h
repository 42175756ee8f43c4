#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Turns the 26-character frame text of one display frame into the 18-character
// display text: main digits 1..5 (rightmost first), main point position, small
// digits 1..5, small point position, the four flag digits and "DA".
QByteArray DecodeSegmentFrame(const QByteArray &frameText);

// "A".."F" give 10..15; anything else is read as a decimal integer (0 if it is not one).
int HexNibbleValue(const QByteArray &digit);

// Whole-number part, truncated toward zero, of a reading written with the given
// decimal separator ("12<sep>7" gives 12). Text that is not a number gives 0.
int ReadingWholePart(const QString &readingText, const QString &decimalSeparator);

// The segment code the meter sends for "0".."9" or "L", with or without the
// decimal point bit; any other character gives 0x00 (a blank digit).
quint8 SegmentCodeOf(char character, bool point);
