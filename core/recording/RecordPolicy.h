#pragma once

#include <QString>
#include <QTime>

#include <functional>
#include <optional>

class ReadingTable;
class TrendChart;
struct ModuleState;

// The user's recording settings: the "Repeat" box, the sampling interval box
// and the interval's text (the window mirrors its controls here).
struct RecordSettings
{
    bool RepeatSet = false;
    bool RecordSI = false;
    QString RecordSITime = QStringLiteral("10");
};

// Decides whether the current reading becomes a row of the reading table and a
// point of the chart, and keeps the sampling countdown.
class RecordPolicy
{
public:
    static constexpr qint32 Limitless = 10000000;

    RecordPolicy(ModuleState &state, ReadingTable &table, TrendChart &chart, const QString &decimalSeparator);

    // Mode 1 offers the current reading; true when a row was recorded.
    bool INDataToTable(int mode);
    // The countdown's reload from the interval text; an error text (the
    // integer-conversion message) when the text is not a 32-bit integer, in
    // which case the countdown keeps its value.
    QString intervalEdited();
    void sampleTick();
    // Empties the table and restarts the numbering (the window shows the
    // warning and touches the LCD first).
    void ClearAll();
    // Empties the table, leaving the numbering alone (the store window's delete).
    void clearTableOnly();

    // The value a reading text is plotted at: "0L" 100000, "L0" 0, otherwise
    // the number (0 for a text that is none).
    static double ChartValue(const QString &readingText, const QString &decimalSeparator);
    // The reload rule: "-", "+" and "" give 0; nullopt for a text that is not a
    // 32-bit integer.
    static std::optional<qint32> ReloadValue(const QString &intervalText);

    RecordSettings settings;
    qint32 NextRecordNo = 1;
    QString LastRecordedText; // the reading text of the last row recorded
    qint32 SampleCountdown = 0;
    QString timeSeparator = QStringLiteral(":");
    std::function<QTime()> clock = [] { return QTime::currentTime(); };

private:
    ModuleState &state;
    ReadingTable &table;
    TrendChart &chart;
    const QString &separator;
};
