#include "gui/reports/QueuePrint.h"

#include "gui/reports/ReportPrint.h"
#include "gui/reports/ReportRenderer.h"
#include "platform/print/PrintQueue.h"

QueuePrint::QueuePrint(const ReportRenderer &report, const QString &queueName, qint64 from, qint64 to, int copyCount)
    : queue(queueName), title(report.reportLayout().title), copies(copyCount), pdf(QPrinter::HighResolution)
{
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(spool.filePath(QStringLiteral("report.pdf")));
    pdf.setDocName(title);
    pages = std::make_unique<ReportPrint>(report, pdf, from, to);
    totalUnits = pages->progressTotal();
}

QueuePrint::~QueuePrint() = default;

SlicedJob::Status QueuePrint::step()
{
    if (state != Status::Running)
        return state;
    if (!spool.isValid())
        return fail(QStringLiteral("no temporary folder for the print: %1").arg(spool.errorString()));
    const Status paged = pages->step();
    doneUnits = pages->progress();
    if (paged == Status::Running)
        return state;
    if (paged != Status::Done)
        return fail(pages->errorString());
    QString why;
    if (totalUnits > 0 && PrintQueue::submitPdf(queue, pdf.outputFileName(), title, copies, &why) == 0)
        return fail(why);
    state = Status::Done;
    return state;
}

void QueuePrint::cancel()
{
    if (state != Status::Running)
        return;
    pages->cancel();
    state = Status::Cancelled;
}
