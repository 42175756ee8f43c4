#pragma once

#include "core/chart/TrendChart.h"
#include "core/common/ModuleState.h"
#include "core/display/ConnectionIndicator.h"
#include "core/display/Dial.h"
#include "core/display/MeterDisplay.h"
#include "core/link/InputReportReader.h"
#include "core/recording/ReadingTable.h"
#include "core/recording/RecordPolicy.h"

#include <QString>

#include <optional>

// The core of the program, one per main window (or per mx840-log run): the
// module state and the objects that read and write it, wired together.
class MeterSession
{
public:
    // `expectedTexts` sizes the reading table's text pool (a recording run's
    // worth by default; a short-lived session, such as a fuzzing run's, few).
    explicit MeterSession(const QString &sysDecimalSep = QString(), qsizetype expectedTexts = 1 << 20);

    // What one input report did on the display side.
    struct InputReportOutcome
    {
        bool frameShown = false;
        std::optional<Dial::Stroke> needle; // the dial's strokes, when the needle moved
    };

    // The input-report handler in effect while connected: a completed,
    // well-formed frame is shown, and the digit flashing ends.
    InputReportOutcome Read618(quint8 ReportID, const quint8 *Data, quint16 Size);
    // Shows one display text, and what it means beyond the display: the
    // chart's left axis, a row for the record policy unless HOLD is lit, and
    // a new chart when the unit changed. The needle's strokes, or nothing for
    // an incomplete text.
    std::optional<Dial::Stroke> ShowData618(const QByteArray &displayText);
    // The last display text shown by Read618.
    const QByteArray &lastDisplayText() const { return displayText; }

    ModuleState state;
    QString SysDecimalSep;
    ConnectionIndicator indicator;
    TrendChart chart{state};
    ReadingTable cds1;
    RecordPolicy recordPolicy{state, cds1, chart, SysDecimalSep};
    Dial dial;
    MeterDisplay display{state, indicator, dial};
    InputReportReader reader{state, indicator};
    // The unit of the last shown frame; a new unit starts a new chart.
    QString PreviousUnit;

private:
    QByteArray displayText;
};
