#pragma once

#include "gui/reports/ReportRenderer.h"
#include "gui/widgets/Dialogs.h"

#include <QStringList>

// Answers every box and dialog the window shows, and records the boxes as
// "kind: text".
struct AnsweringDialogs : Dialogs
{
    QStringList shown;
    bool yes = true;
    QString pictureFile;
    QString tableFile;          // what the table file dialogs return; empty: cancelled
    QList<bool> forgotLastName; // one entry per save dialog shown
    int cancelAfterSteps = -1;  // a table job is cancelled after this many steps; -1: never
    QString chosenPicture;      // what the picture chooser returns; empty: cancelled
    QImage previewedPage;       // page 1 of the last report previewed

    void information(const QString &text) override { shown << "information: " + text; }
    void message(const QString &text) override { shown << "message: " + text; }
    void error(const QString &text) override { shown << "error: " + text; }
    bool confirm(const QString &text) override
    {
        shown << "confirm: " + text;
        return yes;
    }
    QString savePictureFile() override { return pictureFile; }
    QString saveTableFile(bool forgetLastName) override
    {
        forgotLastName << forgetLastName;
        return tableFile;
    }
    QString openTableFile() override { return tableFile; }
    SlicedJob::Status runJob(const QString &, SlicedJob &job) override
    {
        for (int steps = 1; job.step() == SlicedJob::Status::Running; ++steps) {
            if (steps == cancelAfterSteps)
                job.cancel();
        }
        return job.status();
    }
    QString openPictureFile() override { return chosenPicture; }
    // Records "preview: layout, pages".
    void previewReport(const ReportRenderer &report) override
    {
        shown << QStringLiteral("preview: %1, %2").arg(report.reportLayout().name).arg(report.pageCount());
        previewedPage = report.pageImage(1, 72);
    }
};
