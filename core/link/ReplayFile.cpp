#include "ReplayFile.h"

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

QByteArray withoutLineEnd(QByteArray line)
{
    while (!line.isEmpty() && (line.endsWith('\n') || line.endsWith('\r')))
        line.chop(1);
    return line;
}

} // namespace

std::optional<ReplayStep> ParseReportLine(const QByteArray &line, QString *why)
{
    // "R " + two digits + two blanks, then "XX " per data byte; the last blank is optional.
    if (!line.startsWith("R "))
        return refuse(why, QStringLiteral("expected a report line starting with \"R \" or \"tick\""));
    const std::optional<quint8> reportId = hexByteAt(line, 2);
    const bool noData = line.size() <= 6 && line.mid(4).count(' ') == line.size() - 4;
    if (!reportId || (!noData && !line.mid(4).startsWith("  ")))
        return refuse(why,
                      QStringLiteral("expected two hexadecimal digits of the report ID and two blanks after \"R \""));

    ReplayStep step;
    step.reportId = *reportId;
    if (noData)
        return step;
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

std::optional<ReplayStep> ReplayReader::next()
{
    while (!input.atEnd()) {
        ++lineNo;
        line = withoutLineEnd(input.readLine());
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
    return std::nullopt;
}
