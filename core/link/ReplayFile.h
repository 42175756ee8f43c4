#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <optional>

// One step of a replay file: an input report in its logged text form
// ("R 00  F7 30 37 3B 36 30 35 3E"), or "tick", one second passing on the
// one-second timers. Blank lines and lines starting with '#' are skipped.
struct ReplayStep
{
    enum class Kind { Report, Tick };
    Kind kind = Kind::Report;
    quint8 reportId = 0;
    QByteArray data; // the report's bytes after the report ID
};

// Reads replay steps one at a time from a device, with the line number of each.
class ReplayReader
{
public:
    explicit ReplayReader(QIODevice &device);

    // The next step; nullopt at the end of the input or at a malformed line,
    // which error() then describes ("line N: ...").
    std::optional<ReplayStep> next();
    const QString &error() const { return errorText; }
    qint64 lineNumber() const { return lineNo; }

private:
    enum class Line { Read, End, TooLong };
    Line readLine();

    QIODevice &input;
    qint64 lineNo = 0;
    QString errorText;
    QByteArray line;
};

// Parses one report line; nullopt with `why` filled when it is not one.
std::optional<ReplayStep> ParseReportLine(const QByteArray &line, QString *why = nullptr);
