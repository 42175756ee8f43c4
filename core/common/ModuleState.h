#pragma once

#include <QByteArray>
#include <QPoint>
#include <QString>
#include <QtGlobal>

#include <array>

// Every variable shared between the handlers of the main window, with its start
// value. One instance lives in the main window (or in mx840-log) and is handed
// to the core objects that read or write it.
struct ModuleState
{
    qint8 PortSelection = 0; // 1..4 = COM1..COM4, 5 = USB; set to 5 when the window is created

    // Report reassembly and watchdog
    qint32 ReportCount = 0;
    bool FrameCollecting = false;
    QByteArray FrameHex;
    QByteArray FrameNibbles;
    qint32 WatchdogTicks = 0;

    // Virtual LCD and current reading
    bool FlashPhase = false;
    QString ReadingText = QStringLiteral("00000");
    QString ReadingUnit;
    QString PreviousUnit;
    qint8 DecimalPosition = 6;
    qint32 DialScale = 120;
    QPoint LastNeedleBase;
    QPoint LastNeedleTip;

    // Recording
    qint32 NextRecordNo = 1;
    qint32 RecordLimit = 10000;
    QString LastRecordedText;
    qint32 SampleCountdown = 0;

    // Chart
    bool FollowLastPage = false; // set to true when the window is created
    std::array<qint32, 4> SavedChartBounds{};

    // Reports
    qint32 DataReportPages = 1;
};
