#pragma once

#include "core/link/LinkControl.h"
#include "core/recording/TableFiles.h"

class QWidget;
class ReportRenderer;

// Every modal box the window shows goes through here, so that a test can
// answer them; the real one uses Qt's boxes.
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
    // Runs a table file job to its end, showing its progress and offering to
    // cancel it; the window keeps repainting meanwhile.
    virtual TableFileJob::Status runTableJob(const QString &label, TableFileJob &job) = 0;
    // The picture chooser of the graph reports: the chosen file, or empty.
    virtual QString openPictureFile() = 0;
    // The report's preview, modal: returns when the user closes it.
    virtual void previewReport(const ReportRenderer &report) = 0;

    // Says so and answers true when `file` exists and is not a regular file:
    // the window reads and writes regular files only.
    bool refusesSpecialFile(const QString &file);
};

class QtDialogs : public Dialogs
{
public:
    explicit QtDialogs(QWidget *parent) : owner(parent) {}
    void information(const QString &text) override;
    void message(const QString &text) override;
    void error(const QString &text) override;
    bool confirm(const QString &text) override;
    QString savePictureFile() override;
    QString saveTableFile(bool forgetLastName) override;
    QString openTableFile() override;
    TableFileJob::Status runTableJob(const QString &label, TableFileJob &job) override;
    QString openPictureFile() override;
    void previewReport(const ReportRenderer &report) override;

private:
    QWidget *owner;
    QString lastSavedTableFile;
};
