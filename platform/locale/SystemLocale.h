#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// The system default locale of the machine: the locale configured for the whole
// system (/etc/default/locale, /etc/locale.conf), not the user's environment.

// Name of the system default locale for LC_NUMERIC-like queries, read from the
// first of `configFiles` that sets LC_ALL, the category variable or LANG
// (in that order of precedence). Empty when none does.
QString SystemLocaleName(const QString &categoryVariable,
                         const QStringList &configFiles = {QStringLiteral("/etc/default/locale"),
                                                           QStringLiteral("/etc/locale.conf")});

// The decimal separator of the system default locale ("." for the C locale a
// system without a configured locale runs in); empty when the query fails
// (a configured name that no locale data is known for).
QString SystemDecimalSeparator();
QString DecimalSeparatorOfLocale(const QString &localeName);

// The time separator of the system default locale (LC_TIME); ":" when it
// cannot be read.
QString SystemTimeSeparator();
QString TimeSeparatorOfLocale(const QString &localeName);

// A date in the short date format of the system default locale (LC_TIME), as
// the reports print it; the C locale's when none is configured or known.
QString SystemShortDate(const QDate &date);
QString ShortDateOfLocale(const QString &localeName, const QDate &date);
