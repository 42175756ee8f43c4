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
