#include "RowFormat.h"

#include "core/common/Csv.h"
#include "core/common/ReadingNumber.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

QJsonValue jsonText(const std::optional<QString> &text)
{
    return text ? QJsonValue(*text) : QJsonValue(QJsonValue::Null);
}

QByteArray jsonLine(const ReadingTable::Row &row, const QDateTime &recordedAt, const QString &decimalSeparator)
{
    const std::optional<double> number = row.Value ? ReadingNumber(*row.Value, decimalSeparator) : std::nullopt;
    QDateTime withOffset = recordedAt;
    withOffset.setOffsetFromUtc(recordedAt.offsetFromUtc()); // so that the offset is written
    QString timestamp = withOffset.toString(Qt::ISODateWithMs);
    if (timestamp.endsWith(u'Z')) // Qt writes UTC as "Z"; older readers want the offset
        timestamp = timestamp.chopped(1) + QStringLiteral("+00:00");
    const QJsonObject object{{QStringLiteral("No"), row.No ? QJsonValue(*row.No) : QJsonValue(QJsonValue::Null)},
                             {QStringLiteral("Time"), jsonText(row.Time)},
                             {QStringLiteral("Value"), jsonText(row.Value)},
                             {QStringLiteral("Unit"), jsonText(row.Unit)},
                             {QStringLiteral("timestamp"), timestamp},
                             {QStringLiteral("number"), number ? QJsonValue(*number) : QJsonValue(QJsonValue::Null)}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

std::optional<RowFormat> RowFormatOf(const QString &name)
{
    if (name == u"tsv")
        return RowFormat::Tsv;
    if (name == u"csv")
        return RowFormat::Csv;
    if (name == u"jsonl")
        return RowFormat::Jsonl;
    return std::nullopt;
}

std::optional<QByteArray> RowHeader(RowFormat format)
{
    if (format != RowFormat::Csv)
        return std::nullopt;
    QByteArrayList titles;
    for (const QString &title : ReadingTable::FieldNames())
        titles << CsvField(title);
    return titles.join(',');
}

QByteArray RowLine(RowFormat format, const ReadingTable::Row &row, const QDateTime &recordedAt,
                   const QString &decimalSeparator)
{
    if (format == RowFormat::Jsonl)
        return jsonLine(row, recordedAt, decimalSeparator);
    const std::optional<QString> no = row.No ? std::optional(QString::number(*row.No)) : std::nullopt;
    const std::optional<QString> fields[] = {no, row.Time, row.Value, row.Unit};
    QByteArrayList line;
    for (const std::optional<QString> &field : fields) {
        if (format == RowFormat::Csv)
            line << CsvField(field.value_or(QString()));
        else
            line << field.value_or(QStringLiteral("NULL")).toUtf8();
    }
    return line.join(format == RowFormat::Csv ? ',' : '\t');
}
