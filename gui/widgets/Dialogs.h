#pragma once

#include "core/common/SlicedJob.h"
#include "core/link/LinkControl.h"

class ReportRenderer;

// Every modal box and file chooser the window shows goes through here, so that
// a test can answer them; the real ones (QtDialogs) use Qt's.
class Dialogs : public LinkMessages
{
public:
    virtual void error(const QString &text) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool confirm(const QString &text) = 0;
    // The save-picture dialog: the chosen file, or empty when cancelled.
    virtual QString savePictureFile() = 0;
    // The table file dialogs: the chosen file, or empty when cancelled. The
    // save dialog offers the last chosen name again unless told to forget it.
    virtual QString saveTableFile(bool forgetLastName) = 0;
    virtual QString openTableFile() = 0;
    // Runs a job to its end, showing its progress and offering to cancel it;
    // the window keeps repainting meanwhile.
    virtual SlicedJob::Status runJob(const QString &label, SlicedJob &job) = 0;
    // The picture chooser of the graph reports: the chosen file, or empty.
    virtual QString openPictureFile() = 0;
    // The report's preview, modal: returns when the user closes it.
    virtual void previewReport(const ReportRenderer &report) = 0;

    // Says so and answers true when `file` exists and is not a regular file:
    // the window reads and writes regular files only.
    bool refusesSpecialFile(const QString &file);
};
