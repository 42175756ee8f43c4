#pragma once

#include <QDialog>

class Dialogs;
class QComboBox;
class QLabel;
class QScrollArea;
class QSpinBox;
class ReportRenderer;

// The report's modal preview: the page in view painted from the renderer when
// it is shown (so a report of any length opens at once and holds one page),
// page navigation, zoom (whole page, page width, 100 %), page setup, printing
// through the system's printers, and saving as PDF, HTML, plain text or CSV.
class ReportPreview : public QDialog
{
public:
    ReportPreview(const ReportRenderer &report, Dialogs &dialogs, QWidget *parent = nullptr);

    qint64 currentPage() const { return page; }
    void showPage(qint64 number);
    enum class Zoom { WholePage, PageWidth, Actual };
    void setZoom(Zoom zoom);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class PageView;
    void printReport();
    void saveReport();
    void pageSetup();
    void updateView();

    const ReportRenderer &report;
    Dialogs &dialogs;
    qint64 page = 1;
    Zoom zoom = Zoom::PageWidth;
    QScrollArea *scroll = nullptr;
    PageView *view = nullptr;
    QSpinBox *pageBox = nullptr;
    QLabel *ofPages = nullptr;
    QComboBox *zoomBox = nullptr;
};
