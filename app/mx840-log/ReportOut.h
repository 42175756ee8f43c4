#pragma once

#include "LogOptions.h"

#include <QImage>
#include <QString>

#include <optional>

class ReadingTable;

// The report that --report and --export ask for, made of the table at the end
// of the run, through the window's renderer and export.
class ReportOut
{
public:
    // Reads the picture at once, so that a graph report without one, or with
    // one that cannot be read, stops before the run starts.
    static std::optional<ReportOut> prepare(const LogOptions &options, QString *error);
    bool write(const ReadingTable &table, QString *error) const;

private:
    ReportStyle style = ReportStyle::Data;
    QString exportFile;
    QImage picture;
};
