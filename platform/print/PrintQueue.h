#pragma once

#include <QString>

// The system's printer queues (CUPS).
namespace PrintQueue {

// Whether queue `name` (the default queue when empty) exists and takes jobs;
// false with the print system's reason when not.
bool takesJobs(const QString &name, QString *why);

// Sends the PDF file `pdf` to queue `name` (the default queue when empty) as
// one job titled `title`, on A4 and unscaled, so that the sheet shows the
// PDF's pages as they are. The job's number, or 0 with the print system's
// reason in `why`.
int submitPdf(const QString &name, const QString &pdf, const QString &title, int copies, QString *why);

} // namespace PrintQueue
