#include "core/recording/RecordPolicy.h"

#include "core/chart/TrendChart.h"
#include "core/common/Messages.h"
#include "core/common/ModuleState.h"
#include "core/common/ReadingNumber.h"
#include "core/recording/ReadingTable.h"

RecordPolicy::RecordPolicy(ModuleState &moduleState, ReadingTable &readingTable, TrendChart &trendChart,
                           const QString &decimalSeparator)
    : state(moduleState), table(readingTable), chart(trendChart), separator(decimalSeparator)
{}

std::optional<qint32> RecordPolicy::ReloadValue(const QString &intervalText)
{
    if (intervalText.isEmpty() || intervalText == u"-" || intervalText == u"+")
        return 0;
    bool ok = false;
    const qint32 value = intervalText.toInt(&ok, 10);
    return ok ? std::optional<qint32>(value) : std::nullopt;
}

QString RecordPolicy::intervalEdited()
{
    if (const std::optional<qint32> value = ReloadValue(settings.RecordSITime)) {
        SampleCountdown = *value;
        return {};
    }
    return Messages::NotAnInteger(settings.RecordSITime);
}

void RecordPolicy::sampleTick()
{
    if (settings.RecordSI && SampleCountdown > 0)
        --SampleCountdown;
}

double RecordPolicy::ChartValue(const QString &readingText, const QString &decimalSeparator)
{
    if (readingText == u"0L")
        return 100000.0;
    if (readingText == u"L0")
        return 0.0;
    return ReadingNumber(readingText, decimalSeparator).value_or(0.0);
}

bool RecordPolicy::INDataToTable(int mode)
{
    if (mode != 1)
        return false;
    if (!(state.RecordLimit >= NextRecordNo))
        return false;
    if (settings.RecordSI && SampleCountdown != 0)
        return false;
    if (!settings.RepeatSet && state.ReadingText == LastRecordedText)
        return false;

    // A pasted interval that is not a number keeps the countdown as it was.
    if (const std::optional<qint32> reload = ReloadValue(settings.RecordSITime))
        SampleCountdown = *reload;
    const QString time = clock().toString(QStringLiteral("hh'%1'mm'%1'ss").arg(timeSeparator));
    table.append({NextRecordNo, time, state.ReadingText, state.ReadingUnit});
    ++NextRecordNo;
    LastRecordedText = state.ReadingText;

    // The line series first, then the page jump, then the area series: the
    // page count is taken between the two.
    const double value = ChartValue(state.ReadingText, separator);
    chart.append(TrendChart::Line, value);
    if (state.FollowLastPage)
        chart.followLastPage();
    chart.append(TrendChart::Area, value);
    return true;
}

void RecordPolicy::ClearAll()
{
    clearTableOnly();
    NextRecordNo = 1;
}

void RecordPolicy::clearTableOnly()
{
    if (!table.isEmpty())
        table.clear();
}
