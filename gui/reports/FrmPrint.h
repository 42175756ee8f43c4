#pragma once

#include <QDialog>
#include <QString>

// The print style dialog. It keeps the picture chosen for the graph reports.
class TFrmprint : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmprint(QWidget *parent = nullptr);

    QString ReportPictureFile;
};
