#pragma once

#include "gui/widgets/Dialogs.h"

class QWidget;

// The dialogs as Qt shows them, modal over `parent`.
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
    SlicedJob::Status runJob(const QString &label, SlicedJob &job) override;
    QString openPictureFile() override;
    void previewReport(const ReportRenderer &report) override;

private:
    QWidget *owner;
    QString lastSavedTableFile;
};
