#pragma once

#include <QString>
#include <QtGlobal>

// The variables more than one part of the program reads or writes, with their
// start values. One instance lives in the session of the main window (or of
// mx840-log) and is handed to the core objects that use it; what only one
// object uses lives in that object.
struct ModuleState
{
    qint8 PortSelection = 0; // 1..4 = COM1..COM4, 5 = USB; set to 5 when the window is created

    // Report reassembly and watchdog
    qint32 ReportCount = 0;
    qint32 WatchdogTicks = 0;

    // Virtual LCD and current reading
    QString ReadingText = QStringLiteral("00000");
    QString ReadingUnit;
    qint8 DecimalPosition = 6;
    qint32 DialScale = 120;

    // Recording
    qint32 RecordLimit = 10000;

    // Chart
    bool FollowLastPage = false; // set to true when the window is created

    // Reports
    qint32 DataReportPages = 1;
};
