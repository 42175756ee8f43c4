#pragma once

#include "core/recording/TableFiles.h"

#include <QBuffer>

#include <cstdlib>

// Opens `data` as a table file of `layout` into a table that already holds one
// row, and checks what every open must leave: a reason for a failure, texts of
// at most 20 characters, a table that still takes rows.
inline void OpenFuzzedTable(const uint8_t *data, size_t size, TableLayout layout)
{
    ReadingTable table(64);
    const ReadingTable::Row before{1, QStringLiteral("t"), QStringLiteral("v"), QStringLiteral("u")};
    table.append(before);
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(reinterpret_cast<const char *>(data), qsizetype(size));
    buffer->open(QIODevice::ReadOnly);
    TableLoad job(std::move(buffer), layout, table);
    const TableFileJob::Status status = job.run();
    if (status == TableFileJob::Status::Failed && job.errorString().isEmpty())
        std::abort();
    const bool keepsFormerRow = layout == TableLayout::Text || status != TableFileJob::Status::Done;
    if (keepsFormerRow && (table.isEmpty() || table.text(0, 1) != before.Time))
        std::abort();
    for (qsizetype row = 0; row < table.rowCount(); ++row) {
        for (int column = 1; column < 4; ++column) {
            if (table.text(row, column).value_or(QString()).size() > ReadingTable::TextFieldSize)
                std::abort();
        }
    }
    table.append(before);
}
