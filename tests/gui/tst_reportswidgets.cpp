// Reports from the window: the print style dialog as the window set declares
// it, its three branches and the picture rules, Print Data, the store report,
// and the preview's navigation.
#include "WindowsUnderTest.h"
#include "gui/reports/FrmPrint.h"
#include "gui/reports/ReportPreview.h"
#include "gui/reports/ReportsPanel.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

class TestReportsWidgets : public QObject, private WindowsUnderTest
{
    Q_OBJECT

private slots:
    void init() { start(); }
    void cleanup() { stop(); }

    void printStyleDialogAsDeclared();
    void printDataPreviewsTheDataReport();
    void okFollowsTheSelectedStyle();
    void pictureRules();
    void printOpensTheDialogModally();
    void previewNavigatesAnyLength();
    void previewZoomsFitTheWindow();

private:
    TFrmprint &dialog() { return *windows->Frmprint; }
};

void TestReportsWidgets::printStyleDialogAsDeclared()
{
    TFrmprint &d = dialog();
    QCOMPARE(d.windowTitle(), QStringLiteral("Print Style"));
    QCOMPARE(d.size(), QSize(290, 233));
    QCOMPARE(d.GroupBox1->geometry(), QRect(16, 16, 265, 169));
    QCOMPARE(d.GroupBox1->title(), QStringLiteral("Select  Style"));
    QCOMPARE(d.RadioButton1->geometry(), QRect(16, 36, 165, 25));
    QCOMPARE(d.RadioButton2->geometry(), QRect(16, 72, 153, 29));
    QCOMPARE(d.RadioButton3->geometry(), QRect(16, 108, 205, 37));
    QCOMPARE(d.Button1->geometry(), QRect(172, 76, 21, 21));
    QCOMPARE(d.Button2->geometry(), QRect(224, 116, 21, 21));
    QCOMPARE(d.BitBtn1->geometry(), QRect(28, 192, 73, 29));
    QCOMPARE(d.BitBtn2->geometry(), QRect(176, 192, 81, 33));
    QVERIFY(d.RadioButton1->isChecked());
    QVERIFY(d.BitBtn1->isDefault());
    for (QPushButton *chooser : {d.Button1, d.Button2}) {
        QCOMPARE(chooser->text(), QStringLiteral("..."));
        QCOMPARE(chooser->toolTip(), QStringLiteral("Select Graph"));
        QCOMPARE(chooser->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(chooser->font().bold());
        QCOMPARE(chooser->palette().color(QPalette::ButtonText), QColor(0, 0x80, 0));
    }
    QCOMPARE(d.Button1->font().pixelSize(), 14);
    QCOMPARE(d.Button2->font().pixelSize(), 16);
    QCOMPARE(d.RadioButton3->font().pixelSize(), 19);
    QVERIFY(d.RadioButton3->font().bold() && d.RadioButton3->font().italic());
    QCOMPARE(d.RadioButton3->palette().color(QPalette::WindowText), QColor(0x80, 0, 0x80));
    QCOMPARE(d.GroupBox1->palette().color(QPalette::WindowText), QColor(0, 0, 0xFF));
    QVERIFY(d.ReportPictureFile.isEmpty());
}

// The page count is worked out before every preview of the data report.
void TestReportsWidgets::printDataPreviewsTheDataReport()
{
    frm().reportsPanel->MajPrintClick();
    addRows(75);
    QTest::mouseClick(frm().MajPrint, Qt::LeftButton);
    QCOMPARE(answers.shown, (QStringList{"preview: QuickRep1, 1", "preview: QuickRep1, 3"}));
    QCOMPARE(frm().session.state.DataReportPages, 3);
    frm().reportsPanel->SpeedButton7Click();
    QCOMPARE(answers.shown.last(), QStringLiteral("preview: QuickRep2, 1"));
}

void TestReportsWidgets::okFollowsTheSelectedStyle()
{
    QTemporaryDir dir;
    QImage picture(60, 40, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const QString bmp = dir.filePath(QStringLiteral("chart.bmp"));
    QVERIFY(picture.save(bmp, "BMP"));
    addRows(38);

    TFrmprint &d = dialog();
    QTest::mouseClick(d.BitBtn1, Qt::LeftButton);
    QCOMPARE(answers.shown.last(), QStringLiteral("preview: QuickRep1, 2"));

    d.RadioButton2->setChecked(true);
    QTest::mouseClick(d.BitBtn1, Qt::LeftButton);
    QCOMPARE(answers.shown.last(), QStringLiteral("information:  Warning:Please select graph to print! "));

    // Chosen beside "Graph Report", printed in the combined report too.
    answers.chosenPicture = bmp;
    QTest::mouseClick(d.Button1, Qt::LeftButton);
    QCOMPARE(d.ReportPictureFile, bmp);
    QTest::mouseClick(d.BitBtn1, Qt::LeftButton);
    QCOMPARE(answers.shown.last(), QStringLiteral("preview: QuickRep3, 1"));
    d.RadioButton3->setChecked(true);
    QTest::mouseClick(d.BitBtn1, Qt::LeftButton);
    QCOMPARE(answers.shown.last(), QStringLiteral("preview: QuickRep4, 2")); // one row and the summary on page 2
}

// A cancelled chooser keeps the picture; the picture is read anew each time;
// one that cannot be read is said, naming it, and nothing is previewed.
void TestReportsWidgets::pictureRules()
{
    QTemporaryDir dir;
    const QString bmp = dir.filePath(QStringLiteral("chart.bmp"));
    QImage picture(60, 40, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(picture.save(bmp, "BMP"));
    TFrmprint &d = dialog();
    d.RadioButton2->setChecked(true);
    answers.chosenPicture = bmp;
    QTest::mouseClick(d.Button2, Qt::LeftButton);
    answers.chosenPicture.clear(); // cancelled
    QTest::mouseClick(d.Button1, Qt::LeftButton);
    QCOMPARE(d.ReportPictureFile, bmp);

    picture.fill(Qt::blue); // saved again since
    QVERIFY(picture.save(bmp, "BMP"));
    QTest::mouseClick(d.BitBtn1, Qt::LeftButton);
    const QImage page = answers.previewedPage; // 72 dpi: the picture box from (12.1, 31.91) mm
    QCOMPARE(page.pixelColor(100, 200), QColor(Qt::blue));

    // The last is a picture whose reader fails after making the image: its
    // colours are declared but not given.
    const QByteArray damagedXpm("/* XPM */\nstatic const char *p[] = {\n\"8 6 6 1\",\n\"  c red\",\n\"x\"\n};\n");
    for (const QByteArray &bytes : {QByteArray("not a picture"), QByteArray("BM\x10\x00", 4), damagedXpm}) {
        QFile bad(bmp);
        QVERIFY(bad.open(QIODevice::WriteOnly) && bad.write(bytes) == bytes.size());
        bad.close();
        const qsizetype before = answers.shown.size();
        QTest::mouseClick(d.BitBtn1, Qt::LeftButton);
        QCOMPARE(answers.shown.size(), before + 1);
        QVERIFY2(answers.shown.last().startsWith("error: Cannot read the picture " + bmp),
                 qPrintable(answers.shown.last()));
    }
    d.ReportPictureFile = dir.path(); // a folder
    QTest::mouseClick(d.BitBtn1, Qt::LeftButton);
    QVERIFY(answers.shown.last().startsWith("error: Cannot read the picture"));
}

void TestReportsWidgets::printOpensTheDialogModally()
{
    QVERIFY(opensModally(dialog(), [&] { frm().print->trigger(); }));
    QVERIFY(answers.shown.isEmpty()); // Cancel prints nothing
}

// Any page of a long report at once; the page entry stays within the report.
void TestReportsWidgets::previewNavigatesAnyLength()
{
    addRows(100000);
    const ReportRenderer report(ReportLayouts::QuickRep1(), {&frm().session.cds1, {}, QStringLiteral("d"), 2703});
    ReportPreview preview(report, answers);
    preview.show();
    QCOMPARE(preview.currentPage(), qint64(1));
    preview.showPage(report.pageCount());
    QCOMPARE(preview.currentPage(), qint64(2703));
    preview.showPage(99999);
    QCOMPARE(preview.currentPage(), qint64(2703));
    preview.showPage(0);
    QCOMPARE(preview.currentPage(), qint64(1));
    for (const auto zoom :
         {ReportPreview::Zoom::WholePage, ReportPreview::Zoom::Actual, ReportPreview::Zoom::PageWidth})
        preview.setZoom(zoom);
    QVERIFY(!preview.grab().isNull());
}

// The fitting zooms follow the preview's size, from the first showing on.
void TestReportsWidgets::previewZoomsFitTheWindow()
{
    addRows(40);
    const auto report = ReportOfTable(ReportStyle::Data, frm().session.cds1);
    ReportPreview preview(*report, answers, &frm());
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    // It opens within the screen, however small: at most 90 % of it.
    const QRect screen = frm().screen()->availableGeometry();
    QVERIFY2(preview.width() <= screen.width() * 0.9 + 1 && preview.height() <= screen.height() * 0.9 + 1,
             qPrintable(QStringLiteral("%1 x %2 on %3 x %4")
                            .arg(preview.width())
                            .arg(preview.height())
                            .arg(screen.width())
                            .arg(screen.height())));
    auto *scroll = preview.findChild<QScrollArea *>();
    QVERIFY(scroll);
    const auto fits = [&](bool wholePage) {
        const QSize page = scroll->widget()->size();
        const QSize room = scroll->viewport()->size();
        return wholePage ? page.width() <= room.width() && page.height() <= room.height() &&
                               (qAbs(page.width() - room.width()) <= 2 || qAbs(page.height() - room.height()) <= 2)
                         : qAbs(page.width() - room.width()) <= 2;
    };
    QVERIFY(fits(false)); // page width, the default
    preview.resize(500, 640);
    QTRY_VERIFY(fits(false));
    preview.setZoom(ReportPreview::Zoom::WholePage);
    QVERIFY(fits(true));
    preview.resize(900, 700);
    QTRY_VERIFY(fits(true));
}

QTEST_MAIN(TestReportsWidgets)
#include "tst_reportswidgets.moc"
