#pragma once

#include <QDialog>
#include <QString>

class QGroupBox;
class QPushButton;
class QRadioButton;

// The print style dialog: the data report, the graph report or both, and the
// picture chosen for the graph reports, which it keeps between uses. What its
// buttons do is the reports panel's (ReportsPanel).
class TFrmprint : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmprint(QWidget *parent = nullptr);

    QString ReportPictureFile;

    QGroupBox *GroupBox1 = nullptr;
    QRadioButton *RadioButton1 = nullptr; // "Data Report"
    QRadioButton *RadioButton2 = nullptr; // "Graph Report"
    QPushButton *Button1 = nullptr;       // "..." beside Graph Report
    QRadioButton *RadioButton3 = nullptr; // "Data+Graph Report"
    QPushButton *Button2 = nullptr;       // "..." beside Data+Graph Report
    QPushButton *BitBtn1 = nullptr;       // OK, the default button
    QPushButton *BitBtn2 = nullptr;       // Cancel (Esc)
};
