// Renders the main window in a few typical states, and the reports of a
// recorded table, to PNG files, for looking at the screens and for the
// pictures in docs/. Usage: mx840-screens DIR
#include "gui/about/FrmAbout.h"
#include "gui/app/FrmTest.h"
#include "gui/app/QtDialogs.h"
#include "gui/app/Windows.h"
#include "gui/chart/TrendChartView.h"
#include "gui/display/DisplayPanel.h"
#include "gui/reports/FrmPrint.h"
#include "gui/reports/ReportPreview.h"
#include "gui/reports/ReportRenderer.h"
#include "gui/search/FrmSearch.h"
#include "gui/store/FrmStore.h"
#include "platform/hid/SimulatedHidPlatform.h"

#include <QApplication>
#include <QDir>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <utility>

namespace {

struct Scene
{
    const char *name;
    QList<QByteArray> displayTexts; // shown in order
    int flashTicks = 0;
};

constexpr double ReportDotsPerInch = 96;

// Seventy-five readings recorded through the window, then each report of
// them: page 1 of each, the last page of the data report, the preview; and
// the secondary windows.
bool renderReports(const QString &dir)
{
    SimulatedHidPlatform platform;
    Windows windows(platform);
    TFrmTest &frm = *windows.FrmTest;
    frm.show();
    if (!QTest::qWaitForWindowExposed(&frm))
        return false;
    for (int i = 0; i < 75; ++i) {
        // "1200.0" RPM and on: the main digits right to left, a point.
        const QByteArray digits = QByteArray::number(12000 + (i * 37) % 600 + i * 8).rightJustified(5, '0');
        QByteArray reversed = digits;
        std::reverse(reversed.begin(), reversed.end());
        frm.displayPanel->ShowData618(reversed + "4" + "00000" + "5" + "0201DA");
    }
    frm.refreshNow();
    QTest::qWait(50);
    frm.grab().save(QDir(dir).filePath(QStringLiteral("recording.png")));
    frm.Chtshow->TbFd->click(); // the chart enlarged over the window, then back
    QTest::qWait(50);
    frm.grab().save(QDir(dir).filePath(QStringLiteral("enlarged.png")));
    frm.Chtshow->TbSx->click();
    QTest::qWait(50);
    const QImage chart = frm.Chtshow->grab().toImage();
    const auto save = [&](const QImage &image, const char *name) {
        return image.save(QDir(dir).filePath(QString::fromLatin1(name) + QStringLiteral(".png")));
    };
    const ReadingTable &table = frm.session.cds1;
    const auto data = ReportOfTable(ReportStyle::Data, table);
    const auto graph = ReportOfTable(ReportStyle::Graph, table, chart);
    const auto both = ReportOfTable(ReportStyle::Both, table, chart);
    const auto store = StoreReport();
    bool saved = save(data->pageImage(1, ReportDotsPerInch), "report-data") &&
                 save(data->pageImage(data->pageCount(), ReportDotsPerInch), "report-data-last") &&
                 save(graph->pageImage(1, ReportDotsPerInch), "report-graph") &&
                 save(both->pageImage(1, ReportDotsPerInch), "report-both") &&
                 save(store->pageImage(1, ReportDotsPerInch), "report-store");

    QtDialogs boxes(&frm);
    ReportPreview preview(*data, boxes, &frm);
    preview.resize(760, 900);
    preview.show();
    QTest::qWait(50);
    saved = saved && save(preview.grab().toImage(), "report-preview");
    preview.hide();
    // The print style dialog; the About, store and search windows, the store
    // window over the main window's recorded rows (its grid stays empty).
    const std::pair<QWidget *, const char *> windowShots[] = {{windows.Frmprint.get(), "print-style"},
                                                              {windows.FrmAbout.get(), "about"},
                                                              {windows.Frmstore.get(), "store"},
                                                              {windows.Frmsearch.get(), "search"}};
    for (const auto &[window, name] : windowShots) {
        window->show();
        window->activateWindow();
        QTest::qWait(50);
        saved = saved && save(window->grab().toImage(), name);
        window->hide();
    }
    return saved;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(dir);

    // Display texts: main digits right to left, point, small digits right to
    // left, small point, flags, "DA".
    const QList<Scene> scenes{
        {"self-test", {}},
        {"rpm-point",
         {"539213000005"
          "0201DA"}},
        {"count",
         {"248000000005"
          "0002DA"}},
        {"overload",
         {"GGLGG5000005"
          "0201DA"}},
        {"hold-max-small",
         {"00521500931"
          "2"
          "0611DA"}},
        {"dial-500",
         {"005005000005"
          "0201DA"}},
        {"dial-1000",
         {"000015000005"
          "0201DA"}},
        {"off-power",
         {"539213000005"
          "1301DA"}},
        {"flashing",
         {"539213000005"
          "0201DA"},
         2},
    };
    for (const Scene &scene : scenes) {
        SimulatedHidPlatform platform;
        Windows windows(platform);
        TFrmTest &frm = *windows.FrmTest;
        frm.show();
        if (!QTest::qWaitForWindowExposed(&frm))
            return 1;
        for (const QByteArray &text : scene.displayTexts)
            frm.displayPanel->ShowData618(text);
        for (int i = 0; i < scene.flashTicks; ++i)
            frm.displayPanel->FlashTimeTimer();
        frm.refreshNow();
        QTest::qWait(50);
        frm.grab().save(QDir(dir).filePath(QString::fromLatin1(scene.name) + QStringLiteral(".png")));
    }
    return renderReports(dir) ? 0 : 1;
}
