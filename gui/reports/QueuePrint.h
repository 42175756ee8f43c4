#pragma once

#include "core/common/SlicedJob.h"

#include <QPrinter>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class ReportPrint;
class ReportRenderer;

// Prints pages `from` to `to` of a report on a system printer queue: the pages
// are printed to a PDF file, a few at a time as ReportPrint does, and that
// file goes to the queue as one job on A4, unscaled, so that the sheet shows
// what the PDF export shows whatever the queue's paper and margins. A queue
// that refuses the job fails it with the print system's reason.
class QueuePrint : public SlicedJob
{
public:
    QueuePrint(const ReportRenderer &report, const QString &queue, qint64 from, qint64 to, int copies = 1);
    ~QueuePrint() override;
    Status step() override;
    void cancel() override;

private:
    QString queue;
    QString title;
    int copies;
    QTemporaryDir spool;
    QPrinter pdf;
    std::unique_ptr<ReportPrint> pages;
};
