#include "core/link/ReplayFile.h"

namespace {

// The longest data a report can carry (the size is 16-bit).
constexpr qsizetype kMaxReportData = 0xFFFF;

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Two hexadecimal digits at `at`, followed by a blank or the end of the line.
std::optional<quint8> hexByteAt(const QByteArray &line, qsizetype at)
{
    if (at + 2 > line.size() || (at + 2 < line.size() && line[at + 2] != ' '))
        return std::nullopt;
    const int high = hexValue(line[at]);
    const int low = hexValue(line[at + 1]);
    if (high < 0 || low < 0)
        return std::nullopt;
    return quint8(high * 16 + low);
}

std::optional<ReplayStep> refuse(QString *why, const QString &text)
{
    if (why)
        *why = text;
    return std::nullopt;
}

// The longest line a report can be written as, with room for a line end.
constexpr qsizetype kMaxLineLength = 6 + 3 * kMaxReportData + 2;

void chopLineEnd(QByteArray &line)
{
    while (!line.isEmpty() && (line.endsWith('\n') || line.endsWith('\r')))
        line.chop(1);
}

} // namespace

std::optional<ReplayStep> ParseReportLine(const QByteArray &line, QString *why)
{
    // "R " + two digits + two blanks, then "XX " per data byte; the last blank is optional.
    if (!line.startsWith("R "))
        return refuse(why, QStringLiteral("expected a report line starting with \"R \" or \"tick\""));
    const std::optional<quint8> reportId = hexByteAt(line, 2);
    const QByteArrayView afterId = QByteArrayView(line).sliced(qMin<qsizetype>(4, line.size()));
    const bool noData = afterId.size() <= 2 && afterId.count(' ') == afterId.size();
    if (!reportId || (!noData && !afterId.startsWith("  ")))
        return refuse(why,
                      QStringLiteral("expected two hexadecimal digits of the report ID and two blanks after \"R \""));

    ReplayStep step;
    step.reportId = *reportId;
    if (noData)
        return step;
    step.data.reserve((line.size() - 4) / 3);
    for (qsizetype at = 6; at < line.size(); at += 3) {
        const std::optional<quint8> byte = hexByteAt(line, at);
        if (!byte)
            return refuse(why, QStringLiteral("data byte %1 is not two hexadecimal digits followed by a blank")
                                   .arg(step.data.size() + 1));
        if (step.data.size() == kMaxReportData)
            return refuse(why, QStringLiteral("more than 65535 data bytes"));
        step.data.append(char(*byte));
    }
    return step;
}

ReplayReader::ReplayReader(QIODevice &device) : input(device)
{}

// Reads one line into `line`, reusing its buffer, until a line end or the end
// of the input; a pipe or a terminal is read to its end like a file.
ReplayReader::Line ReplayReader::readLine()
{
    line.resize(0);
    char chunk[4096];
    bool any = false;
    while (line.size() <= kMaxLineLength) {
        const qint64 n = input.readLine(chunk, sizeof chunk);
        if (n <= 0)
            break;
        any = true;
        line.append(chunk, n);
        if (chunk[n - 1] == '\n')
            break;
    }
    if (!any)
        return Line::End;
    if (line.size() > kMaxLineLength)
        return Line::TooLong;
    chopLineEnd(line);
    // A byte order mark before the first line says UTF-8, which this is anyway.
    if (lineNo == 1 && line.startsWith("\xEF\xBB\xBF"))
        line.remove(0, 3);
    return Line::Read;
}

std::optional<ReplayStep> ReplayReader::next()
{
    for (;;) {
        ++lineNo;
        const Line read = readLine();
        if (read == Line::End)
            return std::nullopt;
        if (read == Line::TooLong) {
            errorText = QStringLiteral("line %1: too long to be a report").arg(lineNo);
            return std::nullopt;
        }
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line == "tick")
            return ReplayStep{ReplayStep::Kind::Tick, 0, {}};
        QString why;
        std::optional<ReplayStep> step = ParseReportLine(line, &why);
        if (!step)
            errorText = QStringLiteral("line %1: %2").arg(lineNo).arg(why);
        return step;
    }
}
