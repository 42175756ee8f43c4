#pragma once

#include "core/recording/ReadingTable.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// How mx840-log prints the rows it records:
//   tsv    No, Time, Value and Unit separated by tabs, NULL for a null field
//          (the default, as always);
//   csv    a header line, then the four fields quoted as RFC 4180 wants;
//   jsonl  a JSON object per line: the four fields as recorded (null for a
//          null field), "timestamp", the moment of recording in ISO 8601 with
//          the date and the UTC offset, and "number", the Value as a JSON
//          number, or null for an overload or any text that is not a number.
enum class RowFormat { Tsv, Csv, Jsonl };

std::optional<RowFormat> RowFormatOf(const QString &name);

// The line before the rows: the CSV header; none for the others.
std::optional<QByteArray> RowHeader(RowFormat format);

// A row as a line (without its line end). `decimalSeparator` is the one the
// Value texts were recorded with.
QByteArray RowLine(RowFormat format, const ReadingTable::Row &row, const QDateTime &recordedAt,
                   const QString &decimalSeparator);
