#include "platform/locale/SystemLocale.h"

#include <QFile>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>

namespace {

// Variables of a shell-style "NAME=value" file; quotes around values removed.
QHash<QString, QString> readAssignments(const QString &path)
{
    QHash<QString, QString> values;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return values;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine(4096)).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0)
            continue;
        QString value = line.mid(equals + 1).trimmed();
        if (value.size() >= 2 && (value.startsWith(u'"') || value.startsWith(u'\'')) && value.endsWith(value.front()))
            value = value.mid(1, value.size() - 2);
        values.insert(line.left(equals).trimmed(), value);
    }
    return values;
}

} // namespace

QString SystemLocaleName(const QString &categoryVariable, const QStringList &configFiles)
{
    for (const QString &path : configFiles) {
        const QHash<QString, QString> values = readAssignments(path);
        for (const QString &name : {QStringLiteral("LC_ALL"), categoryVariable, QStringLiteral("LANG")}) {
            const QString value = values.value(name);
            if (!value.isEmpty())
                return value;
        }
    }
    return {};
}

QString DecimalSeparatorOfLocale(const QString &localeName)
{
    // "de_DE.UTF-8@euro" -> "de_DE"
    QString base = localeName.section(u'.', 0, 0).section(u'@', 0, 0);
    if (base.isEmpty())
        return {};
    if (base == u"C" || base == u"POSIX")
        return QStringLiteral(".");
    const QLocale locale(base);
    if (locale.language() == QLocale::C)
        return {}; // no locale data for this name
    return locale.decimalPoint();
}

QString SystemDecimalSeparator()
{
    // A system with no locale configured runs in the C locale.
    const QString name = SystemLocaleName(QStringLiteral("LC_NUMERIC"));
    return DecimalSeparatorOfLocale(name.isEmpty() ? QStringLiteral("C") : name);
}

QString TimeSeparatorOfLocale(const QString &localeName)
{
    const QString base = localeName.section(u'.', 0, 0).section(u'@', 0, 0);
    const QLocale locale(base);
    if (base.isEmpty() || locale.language() == QLocale::C)
        return QStringLiteral(":");
    // The first character between the hours and the minutes of the locale's
    // short time format ("HH:mm", "H.mm").
    const QString format = locale.timeFormat(QLocale::ShortFormat);
    const qsizetype hours = format.lastIndexOf(QRegularExpression(QStringLiteral("[hH]")));
    if (hours < 0 || hours + 1 >= format.size() || format[hours + 1].isLetter())
        return QStringLiteral(":");
    return format.mid(hours + 1, 1);
}

QString SystemTimeSeparator()
{
    return TimeSeparatorOfLocale(SystemLocaleName(QStringLiteral("LC_TIME")));
}

QString ShortDateOfLocale(const QString &localeName, const QDate &date)
{
    const QString base = localeName.section(u'.', 0, 0).section(u'@', 0, 0);
    const QLocale locale(base);
    // The C library's short date (%x) in the C and POSIX locales, and where
    // no locale is set or its name is unknown.
    if (base.isEmpty() || locale.language() == QLocale::C)
        return date.toString(QStringLiteral("MM/dd/yy"));
    return locale.toString(date, QLocale::ShortFormat);
}

QString SystemShortDate(const QDate &date)
{
    return ShortDateOfLocale(SystemLocaleName(QStringLiteral("LC_TIME")), date);
}
