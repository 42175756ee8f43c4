#pragma once

#include "LogOptions.h"

#include <QImage>
#include <QString>

#include <optional>

class ReadingTable;

// The report that --report asks for, made of the table at the end of the run,
// exported (--export) and printed (--print) through the window's renderer,
// export and print.
class ReportOut
{
public:
    // Reads the picture and asks the printer queue at once, so that a graph
    // report without a picture, an unreadable one, or a queue that is unknown
    // or takes no jobs stops before the run starts.
    static std::optional<ReportOut> prepare(const LogOptions &options, QString *error);
    bool write(const ReadingTable &table, QString *error) const;

private:
    ReportStyle style = ReportStyle::Data;
    QString exportFile;
    std::optional<QString> printQueue;
    QImage picture;
};
