#include "core/app/MeterSession.h"

MeterSession::MeterSession(const QString &sysDecimalSep) : SysDecimalSep(sysDecimalSep)
{}

MeterSession::InputReportOutcome MeterSession::Read618(quint8 ReportID, const quint8 *Data, quint16 Size)
{
    std::optional<QByteArray> text = reader.Read618(ReportID, Data, Size);
    if (!text)
        return {};
    displayText = std::move(*text);
    InputReportOutcome outcome{true, display.ShowData618(displayText, SysDecimalSep)};
    display.FlashTimeEnabled = false;
    display.ShowDigits(true);
    return outcome;
}
