#include "AnsweringDialogs.h"
#include "core/recording/TableFiles.h"
#include "gui/app/FrmTest.h"
#include "gui/app/Windows.h"
#include "gui/chart/ChartPanel.h"
#include "gui/chart/TrendChartView.h"
#include "gui/display/DisplayPanel.h"
#include "gui/recording/ReadingTableModel.h"
#include "gui/widgets/RefreshScheduler.h"
#include "platform/hid/SimulatedHidPlatform.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cerrno>
#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs `work` with writes limited to `bytes` per file, as on a nearly full disk.
template <typename Work> void withFileSizeLimit(rlim_t bytes, Work &&work)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &small);
    work();
    setrlimit(RLIMIT_FSIZE, &saved);
}

} // namespace

class TestRecordingWidgets : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { windows.reset(); }

    void framesBecomeRowsAndPoints();
    void burstsAreShownTogetherWithinTheCap();
    void intervalEntries_data();
    void intervalEntries();
    void keyFilterRefusesAllButDigits();
    void pointsPerPageEntries_data();
    void pointsPerPageEntries();
    void fillStaysInStep();
    void enlargeAndRestoreRoundTrip();
    void savesTheChartAsBmp();
    void newClearsChartThenWarnsThenEmpties();
    void ctrlDeleteAsksFirst();
    void recordSetItems();
    void savesAndOpensTableFiles();
    void tableFileFailuresAndCancel();
    void qtTableFileDialogs();

private:
    TFrmTest &frm() { return *windows->FrmTest; }
    void show(const QByteArray &displayText)
    {
        frm().displayPanel->ShowData618(displayText);
        frm().refreshNow();
    }
    // Two different readings: two rows.
    void recordTwoReadings()
    {
        show("54321"
             "5"
             "00000"
             "5"
             "0001DA");
        show("54322"
             "5"
             "00000"
             "5"
             "0001DA");
    }
    SimulatedHidPlatform platform;
    std::unique_ptr<Windows> windows;
    AnsweringDialogs answers;
};

void TestRecordingWidgets::init()
{
    windows = std::make_unique<Windows>(platform);
    answers = {};
    frm().setDialogs(&answers);
}

void TestRecordingWidgets::framesBecomeRowsAndPoints()
{
    QAbstractItemModelTester tester(frm().DataSource1, QAbstractItemModelTester::FailureReportingMode::QtTest);
    show("54321"
         "5"
         "00000"
         "5"
         "0001DA");
    show("54321"
         "2"
         "00000"
         "5"
         "0001DA");
    QCOMPARE(frm().DataSource1->rowCount(), 2);
    QCOMPARE(frm().DataSource1->index(1, 2).data().toString(), frm().session.state.ReadingText);
    QCOMPARE(frm().DBGrid1->currentIndex().row(), 1); // the newest row is highlighted
    // The first unit cleared the chart right after the first row's point.
    QCOMPARE(frm().session.chart.pointCount(TrendChart::Area), 2);
}

// Rows that come faster than the eye can follow are shown together, a few
// times a second; the grid and the chart catch up within the cap after the
// last one.
void TestRecordingWidgets::burstsAreShownTogetherWithinTheCap()
{
    int insertions = 0;
    connect(frm().DataSource1, &QAbstractItemModel::rowsInserted, this, [&] { ++insertions; });
    const int rows = 40;
    QElapsedTimer burst;
    burst.start();
    for (int i = 0; i < rows; ++i) {
        // Consecutive readings differ: each is a row.
        frm().displayPanel->ShowData618("5432" + QByteArray::number(i % 10) + "5" + "00000" + "5" + "0001DA");
        QTest::qWait(10);
    }
    const qint64 burstTime = burst.elapsed();
    QCOMPARE(frm().session.cds1.rowCount(), rows);
    // The cap, and a little for the timer's own slack.
    QTRY_VERIFY_WITH_TIMEOUT(!frm().DataSource1->behind() && !frm().chartPanel->behind(),
                             RefreshScheduler::MaxLag + 50);
    QCOMPARE(frm().DBGrid1->currentIndex().row(), rows - 1);
    QVERIFY2(insertions <= burstTime / RefreshScheduler::CappedInterval + 2,
             qPrintable(QStringLiteral("%1 insertions in %2 ms").arg(insertions).arg(burstTime)));
}

void TestRecordingWidgets::intervalEntries_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("countdown");
    QTest::newRow("pasted text") << "1x"
                                 << "error: '1x' is not a valid integer value" << 3;
    QTest::newRow("beyond 32 bits") << "4294967296"
                                    << "error: '4294967296' is not a valid integer value" << 3;
    QTest::newRow("empty") << ""
                           << "" << 0;
    QTest::newRow("-") << "-"
                       << "" << 0;
    QTest::newRow("+") << "+"
                       << "" << 0;
    QTest::newRow("25") << "25"
                        << "" << 25;
}

void TestRecordingWidgets::intervalEntries()
{
    QFETCH(QString, text);
    QFETCH(QString, box);
    QFETCH(int, countdown);
    frm().session.recordPolicy.SampleCountdown = 3;
    frm().RecordSITime->setText(text); // as a paste from the context menu would
    QCOMPARE(answers.shown.join(u'|'), box);
    QCOMPARE(frm().session.recordPolicy.SampleCountdown, countdown);
}

void TestRecordingWidgets::keyFilterRefusesAllButDigits()
{
    frm().show();
    QVERIFY(QTest::qWaitForWindowExposed(frm().windowHandle()));
    frm().RecordSITime->setFocus();
    frm().RecordSITime->selectAll();
    QTest::keyClicks(frm().RecordSITime, QStringLiteral("1-+ a5"));
    QCOMPARE(frm().RecordSITime->text(), QStringLiteral("15"));
    QTest::keyClick(frm().RecordSITime, Qt::Key_Backspace);
    QCOMPARE(frm().RecordSITime->text(), QStringLiteral("1"));
    QTest::keyClick(frm().RecordSITime, Qt::Key_V, Qt::ControlModifier); // Ctrl+V is refused too
    QCOMPARE(frm().RecordSITime->text(), QStringLiteral("1"));
}

void TestRecordingWidgets::pointsPerPageEntries_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("perPage");
    QTest::newRow("empty") << ""
                           << "error: '' is not a valid integer value" << 100;
    QTest::newRow("not a number") << "ab"
                                  << "error: 'ab' is not a valid integer value" << 100;
    QTest::newRow("negative") << "-5"
                              << "error: MaxPointsPerPage must be >= 0" << 100;
    QTest::newRow("huge") << "99999999999"
                          << "error: '99999999999' is not a valid integer value" << 100;
    QTest::newRow("zero: paging off") << "0"
                                      << "" << 0;
    QTest::newRow("150") << "150"
                         << "" << 150;
}

void TestRecordingWidgets::pointsPerPageEntries()
{
    QFETCH(QString, text);
    QFETCH(QString, box);
    QFETCH(int, perPage);
    frm().Chtshow->Maxrecord->setText(text);
    QCOMPARE(answers.shown.join(u'|'), box);
    QCOMPARE(frm().session.chart.pointsPerPage(), perPage);
}

void TestRecordingWidgets::fillStaysInStep()
{
    QVERIFY(frm().FillP->isChecked());
    frm().FillP->trigger();
    QVERIFY(!frm().FillP->isChecked());
    QVERIFY(!frm().Chtshow->BtFill->isChecked());
    QCOMPARE(frm().session.chart.visibleSeries(), int(TrendChart::Line));
    frm().Chtshow->BtFill->click();
    QVERIFY(frm().FillP->isChecked());
    QCOMPARE(frm().session.chart.visibleSeries(), int(TrendChart::Area));
}

void TestRecordingWidgets::enlargeAndRestoreRoundTrip()
{
    const QRect normal = frm().Chtshow->geometry();
    frm().Chtshow->TbFd->click();
    QVERIFY(frm().Chtshow->geometry().height() > normal.height());
    QCOMPARE(frm().Chtshow->y(), 25);
    QCOMPARE(frm().Chtshow->size(), QSize(685, 458)); // the window's outer 695 x 538, less 10 and 80
    QVERIFY(frm().Chtshow->TbSx->isVisibleTo(frm().Chtshow));
    QCOMPARE(frm().chartPanel->savedBounds(), (std::array<qint32, 4>{314, 192, 371, 297}));
    frm().Chtshow->TbSx->click();
    QCOMPARE(frm().Chtshow->geometry(), normal);
    QVERIFY(frm().Chtshow->TbFd->isVisibleTo(frm().Chtshow));
}

void TestRecordingWidgets::savesTheChartAsBmp()
{
    QTemporaryDir dir;
    answers.pictureFile = dir.filePath(QStringLiteral("chart.bmp"));
    frm().chartPanel->BtSaveClick();
    QCOMPARE(answers.shown, QStringList{"information: Graphic has saved on " + answers.pictureFile});
    const QImage saved(answers.pictureFile, "BMP");
    QCOMPARE(saved.size(), frm().Chtshow->size());

    answers.shown.clear();
    answers.pictureFile = dir.filePath(QStringLiteral("no/such/folder/chart.bmp"));
    frm().chartPanel->BtSaveClick();
    QCOMPARE(answers.shown.size(), 1);
    QVERIFY(answers.shown.first().startsWith(QStringLiteral("error: Cannot create file")));

    // No room for the new picture: the old one stays whole, and the box says why.
    answers.shown.clear();
    answers.pictureFile = dir.filePath(QStringLiteral("chart.bmp"));
    const QByteArray old = readAll(answers.pictureFile);
    withFileSizeLimit(1000, [this] { frm().chartPanel->BtSaveClick(); });
    QCOMPARE(
        answers.shown,
        QStringList{
            QStringLiteral("error: Cannot create file \"%1\". %2").arg(answers.pictureFile, qt_error_string(EFBIG))});
    QCOMPARE(readAll(answers.pictureFile), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"chart.bmp"});

    answers.shown.clear();
    answers.pictureFile.clear(); // cancelled
    frm().chartPanel->BtSaveClick();
    QVERIFY(answers.shown.isEmpty());
}

void TestRecordingWidgets::newClearsChartThenWarnsThenEmpties()
{
    recordTwoReadings();
    QCOMPARE(frm().session.cds1.rowCount(), 2);
    frm().New->trigger();
    QCOMPARE(answers.shown, QStringList{"information:  Warning:all Records will be deleted! "});
    QCOMPARE(frm().session.cds1.rowCount(), 0);
    QCOMPARE(frm().DataSource1->rowCount(), 0);
    QCOMPARE(frm().session.recordPolicy.NextRecordNo, 1);
    QCOMPARE(frm().session.chart.pointCount(TrendChart::Area), 1);
}

void TestRecordingWidgets::ctrlDeleteAsksFirst()
{
    recordTwoReadings();
    frm().DBGrid1->selectRow(0);
    answers.yes = false;
    QTest::keyClick(frm().DBGrid1, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(frm().session.cds1.rowCount(), 2);
    answers.yes = true;
    QTest::keyClick(frm().DBGrid1, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(answers.shown, QStringList({"confirm: Delete record?", "confirm: Delete record?"}));
    QCOMPARE(frm().DataSource1->rowCount(), 1);
    QCOMPARE(frm().session.cds1.row(0).No, 2);
    QCOMPARE(frm().session.recordPolicy.NextRecordNo, 3);
}

void TestRecordingWidgets::recordSetItems()
{
    frm().setlimit->trigger();
    QCOMPARE(frm().session.state.RecordLimit, 10000000);
    frm().set1k->trigger();
    QCOMPARE(frm().session.state.RecordLimit, 1000);
    int checked = 0;
    for (QAction *item : {frm().set1k, frm().set5k, frm().set10k, frm().set50k, frm().set100k, frm().setlimit})
        checked += item->isChecked();
    QCOMPARE(checked, 1);
    QVERIFY(frm().set1k->isChecked());
}

// Record, save from the strip and the menus, open again: text appends, XML
// replaces; the header follows the grid's column order.
void TestRecordingWidgets::savesAndOpensTableFiles()
{
    QTemporaryDir dir;
    recordTwoReadings();
    const QList<ReadingTable::Row> recorded{frm().session.cds1.row(0), frm().session.cds1.row(1)};
    frm().DBGrid1->horizontalHeader()->moveSection(2, 1); // Value dragged in front of Time

    answers.tableFile = dir.filePath(QStringLiteral("run.xls"));
    frm().SpeedButton1->click();
    QFile text(answers.tableFile);
    QVERIFY(text.open(QIODevice::ReadOnly));
    QVERIFY(text.readLine().startsWith("No\tValue\tTime\tUnit\r\n"));
    QVERIFY(text.readLine().startsWith("1\t" + recorded[0].Time->toUtf8() + "\t" + recorded[0].Value->toUtf8()));
    frm().SpeedButton3->click(); // the same file again: its rows are appended
    QCOMPARE(frm().DataSource1->rowCount(), 4);
    QCOMPARE(frm().DBGrid1->currentIndex().row(), 3);
    QCOMPARE(frm().session.cds1.row(3).Value, recorded[1].Value);
    QCOMPARE(frm().session.recordPolicy.NextRecordNo, 3);

    const QString xml = dir.filePath(QStringLiteral("run.XML"));
    answers.tableFile = xml;
    frm().SaveR->trigger();
    frm().session.cds1.clear();
    frm().Open->trigger();
    QCOMPARE(frm().DataSource1->rowCount(), 4);
    QCOMPARE(frm().session.cds1.row(3).Unit, recorded[1].Unit);
    QCOMPARE(answers.shown, (QStringList{"information: Save table to specified file: " +
                                             dir.filePath(QStringLiteral("run.xls")) + " Scuss!",
                                         "message: Save table to specified file: " + xml + " Scuss!"}));
    QCOMPARE(answers.forgotLastName, (QList<bool>{false, false}));
    frm().SpeedButton8->click();
    QCOMPARE(answers.forgotLastName.last(), true);
}

void TestRecordingWidgets::tableFileFailuresAndCancel()
{
    QTemporaryDir dir;
    show("54321"
         "5"
         "00000"
         "5"
         "0001DA");
    for (const QString &name : {QStringLiteral("x.xls"), QStringLiteral("x.xml")}) {
        answers.tableFile = dir.filePath("no/such/folder/" + name);
        frm().Save_as->trigger();
    }
    QCOMPARE(answers.shown.size(), 2);
    QCOMPARE(answers.shown[0],
             "error: Could not save table to specified file: " + dir.filePath("no/such/folder/x.xls"));
    QVERIFY(answers.shown[1].startsWith("error: Cannot create file \"" + dir.filePath("no/such/folder/x.xml")));

    answers.shown.clear();
    answers.tableFile = dir.filePath(QStringLiteral("missing.xls"));
    frm().Open->trigger();
    QCOMPARE(answers.shown, QStringList{"error: Failed to Load File!"});

    // A FIFO with nobody at the other end would keep the window waiting: refused.
    const QString fifo = dir.filePath(QStringLiteral("pipe.xls"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    answers.shown.clear();
    answers.tableFile = fifo;
    frm().Save_as->trigger();
    frm().Open->trigger();
    answers.pictureFile = fifo;
    frm().chartPanel->BtSaveClick();
    const QString refused =
        "error: \"" + fifo + "\" is not a regular file (a device, a FIFO or a socket); choose a file.";
    QCOMPARE(answers.shown, (QStringList{refused, refused, refused}));

    // A cancelled open of a large file leaves the table as it was, and says nothing.
    QFile big(dir.filePath(QStringLiteral("big.xls")));
    QVERIFY(big.open(QIODevice::WriteOnly));
    big.write("No\tTime\tValue\tUnit\r\n");
    for (int i = 1; i <= 200000; ++i)
        big.write(QByteArray::number(i) + "\t09:05:07\t12.5\tRPM\r\n");
    big.close();
    answers.shown.clear();
    answers.tableFile = big.fileName();
    answers.cancelAfterSteps = 2;
    frm().OpenClick();
    QVERIFY(answers.shown.isEmpty());
    QCOMPARE(frm().DataSource1->rowCount(), 1);
    show("54322"
         "5"
         "00000"
         "5"
         "0001DA");
    QCOMPARE(frm().DataSource1->rowCount(), 2);
}

// The real dialogs: the filters, the default extension, the progress of a job.
void TestRecordingWidgets::qtTableFileDialogs()
{
    QtDialogs dialogs(&frm());
    QStringList filters;
    QString suffix;
    auto answer = [&] {
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            filters = dialog->nameFilters();
            suffix = dialog->defaultSuffix();
            dialog->reject();
        });
    };
    answer();
    QVERIFY(dialogs.saveTableFile(false).isEmpty());
    QCOMPARE(filters, (QStringList{"Excel File(*.xls)", "XML(*.xml)", "Txt File(*.txt)"}));
    QCOMPARE(suffix, QStringLiteral("xls"));
    answer();
    QVERIFY(dialogs.openTableFile().isEmpty());
    QCOMPARE(filters, (QStringList{"Excel File(*.xls)", "XML (*.xml)", "Txt File(*.txt)"}));
    QCOMPARE(suffix, QString());

    // Folders holding files whose names say nothing and whose reads wait (a
    // FIFO; /proc/kmsg, for root): the dialog describes them without reading.
    QTemporaryDir dir;
    QVERIFY(::mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0600) == 0);
    QStringList types;
    for (const QString &file : {dir.filePath("fifo"), QStringLiteral("/proc/kmsg")}) {
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->setNameFilter(QStringLiteral("All (*)"));
            dialog->setFilter(dialog->filter() | QDir::System); // FIFOs are listed as system files
            dialog->setDirectory(QFileInfo(file).absolutePath());
            auto *model = dialog->findChild<QFileSystemModel *>();
            QVERIFY(model);
            QTRY_VERIFY(model->index(file).isValid() && !model->type(model->index(file)).isEmpty());
            types << model->type(model->index(file));
            dialog->reject();
        });
        QVERIFY(dialogs.openTableFile().isEmpty());
    }
    QCOMPARE(types.first(), QStringLiteral("Special file"));

    ReadingTable table;
    for (int i = 0; i < 300000; ++i)
        table.append({i, QStringLiteral("09:05:07"), QStringLiteral("1"), QStringLiteral("RPM")});
    TableSave save(table, {"No", "Time", "Value", "Unit"}, dir.filePath(QStringLiteral("p.xls")));
    QCOMPARE(dialogs.runJob(QStringLiteral("Saving"), save), TableFileJob::Status::Done);
}

QTEST_MAIN(TestRecordingWidgets)
#include "tst_recordingwidgets.moc"
