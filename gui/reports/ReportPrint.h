#pragma once

#include "core/common/SlicedJob.h"

#include <QPainter>

class QPrinter;
class ReportRenderer;

// Prints pages `from` to `to` of a report, a few pages at a time so that a
// window can show the progress and offer to cancel; a cancelled print is
// aborted at the printer. The report is never held whole: each page goes to
// the printer as it is painted.
class ReportPrint : public SlicedJob
{
public:
    ReportPrint(const ReportRenderer &report, QPrinter &printer, qint64 from, qint64 to);
    ~ReportPrint() override;
    Status step() override;
    void cancel() override;

private:
    const ReportRenderer &report;
    QPrinter &printer;
    QPainter painter;
    qint64 first;
    qint64 nextPage = 0; // 0: not begun
};
