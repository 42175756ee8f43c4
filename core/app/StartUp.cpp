#include "core/app/StartUp.h"

#include "core/app/MeterSession.h"

void StartUp::Configure(MeterSession &session, const QString &decimalSeparator, const QString &timeSeparator)
{
    session.SysDecimalSep = decimalSeparator;
    session.recordPolicy.timeSeparator = timeSeparator;
    session.recordPolicy.settings.RepeatSet = true;
    session.state.RecordLimit = RecordLimit;
    session.state.FollowLastPage = true;
    session.state.PortSelection = UsbPort;
    session.chart.setPointsPerPage(ChartPointsPerPage);
}
