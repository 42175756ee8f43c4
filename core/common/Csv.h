#pragma once

#include <QByteArray>
#include <QString>

// A CSV field as RFC 4180 wants it: quoted, its quotes doubled, when it holds
// a comma, a quote or a line break; as it stands otherwise. UTF-8.
inline QByteArray CsvField(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\r') && !bytes.contains('\n'))
        return bytes;
    return '"' + bytes.replace('"', "\"\"") + '"';
}

// A CSV field for a spreadsheet: a text that a spreadsheet would take for a
// formula (one starting with =, +, -, @, a tab or a carriage return, unless
// it reads as a number, with a decimal point or comma) gets a leading
// apostrophe, so that opening the file never runs it.
inline QByteArray CsvSpreadsheetField(const QString &text)
{
    static const QString FormulaStarts = QStringLiteral("=+-@\t\r");
    if (text.isEmpty() || !FormulaStarts.contains(text.front()))
        return CsvField(text);
    bool number = false;
    QString(text).replace(u',', u'.').toDouble(&number);
    return CsvField(number ? text : u'\'' + text);
}
