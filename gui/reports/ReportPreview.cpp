#include "gui/reports/ReportPreview.h"

#include "gui/reports/QueuePrint.h"
#include "gui/reports/ReportExport.h"
#include "gui/reports/ReportPrint.h"
#include "gui/reports/ReportRenderer.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/FileDialogs.h"

#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace {

QToolButton *toolButton(QWidget *parent, const QString &text, const QString &hint)
{
    auto *button = new QToolButton(parent);
    button->setText(text);
    button->setToolTip(hint);
    return button;
}

// The printer the preview prints to, kept for the whole run as a report
// engine keeps its printer settings.
QPrinter &printer()
{
    static QPrinter shared(QPrinter::HighResolution);
    return shared;
}

// The preview's size: a page and its tools, but never more than 90 % of the
// screen it opens on (a dialog opens centred on its parent).
QSize fittingSize(const QWidget *parent)
{
    const QSize wanted(760, 900);
    const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return wanted;
    return wanted.boundedTo(screen->availableGeometry().size() * 0.9);
}

} // namespace

// One page, painted when it is shown, at the preview's zoom.
class ReportPreview::PageView : public QWidget
{
public:
    PageView(const ReportRenderer &renderer, QWidget *parent) : QWidget(parent), report(renderer) {}
    qint64 page = 1;
    double scale = 1; // device pixels of the page per screen pixel at 100 %

    QSize pageSize() const
    {
        const double unit = logicalDpiX() / 25.4 * scale;
        return QSize(qRound(ReportLayout::PageWidth * unit), qRound(ReportLayout::PageHeight * unit));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().dark());
        painter.scale(scale, scale);
        report.paintPage(painter, page);
    }

private:
    const ReportRenderer &report;
};

ReportPreview::ReportPreview(const ReportRenderer &renderer, Dialogs &boxes, QWidget *parent)
    : QDialog(parent), report(renderer), dialogs(boxes)
{
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(QStringLiteral("Print Preview"));
    setModal(true);
    resize(fittingSize(parent));

    auto *bar = new QHBoxLayout;
    QToolButton *first = toolButton(this, QStringLiteral("|<"), QStringLiteral("First page"));
    QToolButton *previous = toolButton(this, QStringLiteral("<"), QStringLiteral("Previous page"));
    pageBox = new QSpinBox(this);
    pageBox->setRange(1, int(std::min<qint64>(report.pageCount(), INT_MAX)));
    pageBox->setObjectName(QStringLiteral("page"));
    ofPages = new QLabel(QStringLiteral("of %1").arg(report.pageCount()), this);
    QToolButton *next = toolButton(this, QStringLiteral(">"), QStringLiteral("Next page"));
    QToolButton *last = toolButton(this, QStringLiteral(">|"), QStringLiteral("Last page"));
    zoomBox = new QComboBox(this);
    zoomBox->addItems({QStringLiteral("Whole page"), QStringLiteral("Page width"), QStringLiteral("100 %")});
    zoomBox->setCurrentIndex(int(zoom));
    QToolButton *setup = toolButton(this, QStringLiteral("Page setup"), QStringLiteral("Paper and printer"));
    QToolButton *print = toolButton(this, QStringLiteral("Print"), QStringLiteral("Print the report"));
    QToolButton *save = toolButton(this, QStringLiteral("Save"), QStringLiteral("Save as PDF, HTML, text or CSV"));
    QToolButton *close = toolButton(this, QStringLiteral("Close"), QStringLiteral("Close the preview"));
    for (QWidget *w : std::initializer_list<QWidget *>{first, previous, pageBox, ofPages, next, last, zoomBox, setup,
                                                       print, save, close})
        bar->addWidget(w);
    bar->addStretch();

    scroll = new QScrollArea(this);
    scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    view = new PageView(report, scroll);
    scroll->setWidget(view);
    scroll->viewport()->installEventFilter(this); // the fitting zooms follow its size
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(scroll);

    connect(first, &QToolButton::clicked, this, [this] { showPage(1); });
    connect(previous, &QToolButton::clicked, this, [this] { showPage(page - 1); });
    connect(next, &QToolButton::clicked, this, [this] { showPage(page + 1); });
    connect(last, &QToolButton::clicked, this, [this] { showPage(report.pageCount()); });
    connect(pageBox, &QSpinBox::valueChanged, this, [this](int number) { showPage(number); });
    connect(zoomBox, &QComboBox::currentIndexChanged, this, [this](int index) { setZoom(Zoom(index)); });
    connect(setup, &QToolButton::clicked, this, &ReportPreview::pageSetup);
    connect(print, &QToolButton::clicked, this, &ReportPreview::printReport);
    connect(save, &QToolButton::clicked, this, &ReportPreview::saveReport);
    connect(close, &QToolButton::clicked, this, &QDialog::accept);
    updateView();
}

void ReportPreview::showPage(qint64 number)
{
    page = std::clamp<qint64>(number, 1, report.pageCount());
    updateView();
}

bool ReportPreview::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == scroll->viewport() && event->type() == QEvent::Resize && zoom != Zoom::Actual)
        updateView();
    return QDialog::eventFilter(watched, event);
}

void ReportPreview::setZoom(Zoom newZoom)
{
    zoom = newZoom;
    updateView();
}

void ReportPreview::updateView()
{
    const QSignalBlocker pageBlocker(pageBox);
    pageBox->setValue(int(std::min<qint64>(page, INT_MAX)));
    const QSignalBlocker zoomBlocker(zoomBox);
    zoomBox->setCurrentIndex(int(zoom));
    const double actualWidth = ReportLayout::PageWidth * view->logicalDpiX() / 25.4;
    const double actualHeight = ReportLayout::PageHeight * view->logicalDpiY() / 25.4;
    const QSize room = scroll->viewport()->size();
    switch (zoom) {
    case Zoom::WholePage: view->scale = std::min(room.width() / actualWidth, room.height() / actualHeight); break;
    case Zoom::PageWidth: view->scale = room.width() / actualWidth; break;
    case Zoom::Actual: view->scale = 1; break;
    }
    view->scale = std::max(view->scale, 0.1);
    view->page = page;
    view->resize(view->pageSize());
    view->update();
}

void ReportPreview::pageSetup()
{
    QPageSetupDialog dialog(&printer(), this);
    dialog.exec();
}

// Page by page, with the progress and Cancel: to a printer queue as one A4
// job, or straight into the file when the dialog prints to a file.
void ReportPreview::printReport()
{
    QPrintDialog dialog(&printer(), this);
    dialog.setMinMax(1, int(std::min<qint64>(report.pageCount(), INT_MAX)));
    if (dialog.exec() != QDialog::Accepted)
        return;
    QPrinter &target = printer();
    const bool range = target.printRange() == QPrinter::PageRange;
    const qint64 from = range ? target.fromPage() : 1;
    const qint64 to = range ? target.toPage() : report.pageCount();
    std::unique_ptr<SlicedJob> job;
    if (target.outputFormat() == QPrinter::NativeFormat)
        job = std::make_unique<QueuePrint>(report, target.printerName(), from, to, target.copyCount());
    else
        job = std::make_unique<ReportPrint>(report, target, from, to);
    if (dialogs.runJob(QStringLiteral("Printing"), *job) == SlicedJob::Status::Failed)
        dialogs.error(QStringLiteral("The report could not be printed: %1.").arg(job->errorString()));
}

void ReportPreview::saveReport()
{
    QFileDialog dialog(this, QStringLiteral("Save Report"), QString(),
                       QStringLiteral("PDF (*.pdf);;HTML (*.html);;Text (*.txt);;CSV (*.csv)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    PrepareFileDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString file = dialog.selectedFiles().first();
    if (dialogs.refusesSpecialFile(file))
        return;
    const std::optional<ReportExport::Format> format = ReportExport::FormatOf(file);
    if (!format) {
        dialogs.error(QStringLiteral("Save the report as .pdf, .html, .txt or .csv."));
        return;
    }
    ReportExport job(report, file, *format);
    if (dialogs.runJob(QStringLiteral("Saving %1").arg(file), job) == SlicedJob::Status::Failed)
        dialogs.error(QStringLiteral("Could not save the report to %1 (%2)").arg(file, job.errorString()));
}
