#include "gui/reports/ReportPrint.h"

#include "gui/reports/ReportRenderer.h"

#include <QPrinter>

#include <algorithm>

namespace {

constexpr qint64 PagesPerSlice = 10;

// A report places its items from the paper's corner, on A4 upright: the
// queue's own margins would shift every item by them, and another paper size
// would cut or stretch the page.
void usePaperAsTheReportDoes(QPrinter &printer)
{
    printer.setFullPage(true);
    printer.setPageLayout(ReportRenderer::paper());
}

} // namespace

ReportPrint::ReportPrint(const ReportRenderer &renderer, QPrinter &target, qint64 from, qint64 to)
    : report(renderer), printer(target), first(std::max<qint64>(from, 1))
{
    totalUnits = std::max<qint64>(std::min(to, report.pageCount()) - first + 1, 0);
}

ReportPrint::~ReportPrint()
{
    cancel();
}

SlicedJob::Status ReportPrint::step()
{
    if (state != Status::Running)
        return state;
    if (totalUnits == 0) { // an empty range: nothing to send
        state = Status::Done;
        return state;
    }
    if (nextPage == 0) {
        usePaperAsTheReportDoes(printer);
        if (!painter.begin(&printer))
            return fail(QStringLiteral("the printer could not be opened"));
        nextPage = first;
    }
    const qint64 end = std::min(first + totalUnits, nextPage + PagesPerSlice);
    for (; nextPage < end; ++nextPage) {
        if (nextPage > first && !printer.newPage()) {
            cancel();
            return fail(QStringLiteral("the printer took no further page"));
        }
        report.paintPage(painter, nextPage);
    }
    doneUnits = nextPage - first;
    if (doneUnits < totalUnits)
        return state;
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return fail(QStringLiteral("the printer reported an error"));
    state = Status::Done;
    return state;
}

void ReportPrint::cancel()
{
    if (state != Status::Running)
        return;
    if (painter.isActive()) {
        printer.abort();
        painter.end();
    }
    state = Status::Cancelled;
}
