#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The rules that turn the main display's digits into the current reading and
// its range.

// The range band a reading's magnitude falls in: the dial multiplier, the
// progress bar's maximum and the factor that scales the reading to 0..1000.
struct RangeBand
{
    QString multiplier; // caption of Labrate
    int barMaximum;     // maximum of PBar2
    double factor;
};

// The band of magnitude m; each limit belongs to the lower band.
RangeBand RangeBandOf(int magnitude);

// The reading text for the five main digit texts (left to right) and the
// decimal point position ("1".."5"), or nullopt for any other position.
std::optional<QString> ReadingTextFor(const QStringList &digitTexts, char pointPosition,
                                      const QString &decimalSeparator);

// The dial needle value (0..1000 within a band) of a reading: the reading times
// the band's factor, written with 15 significant digits, whole part.
int NeedleValueOf(const QString &readingText, const QString &decimalSeparator, double factor);
