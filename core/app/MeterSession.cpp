#include "core/app/MeterSession.h"

MeterSession::MeterSession(const QString &sysDecimalSep, qsizetype expectedTexts)
    : SysDecimalSep(sysDecimalSep), cds1(expectedTexts)
{}

MeterSession::InputReportOutcome MeterSession::Read618(quint8 ReportID, const quint8 *Data, quint16 Size)
{
    std::optional<QByteArray> text = reader.Read618(ReportID, Data, Size);
    if (!text)
        return {};
    displayText = std::move(*text);
    InputReportOutcome outcome{true, ShowData618(displayText)};
    display.FlashTimeEnabled = false;
    display.ShowDigits(true);
    return outcome;
}

std::optional<Dial::Stroke> MeterSession::ShowData618(const QByteArray &text)
{
    const std::optional<Dial::Stroke> needle = display.ShowData618(text, SysDecimalSep);
    if (!needle)
        return needle;
    chart.setLeftAxisRange(0, display.range.ChartAxisMaximum);
    if (!display.holdFlag)
        recordPolicy.INDataToTable(1);
    if (state.ReadingUnit != PreviousUnit)
        chart.clear();
    PreviousUnit = state.ReadingUnit;
    return needle;
}
