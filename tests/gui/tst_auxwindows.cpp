// The About, store and search windows: their controls as declared, what their
// clicks do, and how they are opened.
#include "WindowsUnderTest.h"
#include "gui/about/FrmAbout.h"
#include "gui/search/FrmSearch.h"
#include "gui/store/FrmStore.h"
#include "gui/widgets/ProgramBadge.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

QColor textColour(const QWidget *widget)
{
    return widget->palette().color(QPalette::WindowText);
}

} // namespace

class TestAuxWindows : public QObject, private WindowsUnderTest
{
    Q_OBJECT

private slots:
    void init() { start(); }
    void cleanup() { stop(); }

    void aboutAsDeclared_data();
    void aboutAsDeclared();
    void aboutClicks_data();
    void aboutClicks();
    void storeAsDeclared();
    void storeButtonsAct();
    void storeGridStaysEmpty();
    void searchAsDeclared();
    void searchOutcomes();
    void windowsOpenModallyOverTheMainWindow();

private:
    TFrmAbout &about() { return *windows->FrmAbout; }
    TFrmstore &store() { return *windows->Frmstore; }
    TFrmsearch &search() { return *windows->Frmsearch; }
};

void TestAuxWindows::aboutAsDeclared_data()
{
    QTest::addColumn<QString>("element");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<bool>("underline");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QString>("text");
    const QColor fuchsia(0xFF, 0x00, 0xFF);
    QTest::newRow("brand") << "brand" << QRect(0, 0, 281, 111) << 96 << false << false << fuchsia << "MX840";
    QTest::newRow("company") << "company" << QRect(8, 117, 390, 18) << 16 << true << false << QColor(0x0A, 0x24, 0x6A)
                             << "MX840 Interface Software";
    QTest::newRow("version") << "version" << QRect(8, 148, 356, 22) << 16 << true << false << QColor(0x00, 0x80, 0x00)
                             << "Version No. :  1.0        Machine No.: MX840          ";
    QTest::newRow("web caption") << "webCaption" << QRect(4, 176, 56, 28) << 21 << true << false << QColor(Qt::blue)
                                 << "Web:";
    QTest::newRow("web address") << "webAddress" << QRect(60, 176, 268, 28) << 21 << true << true << QColor(Qt::blue)
                                 << "www.mx840.example";
    QTest::newRow("rights") << "rights" << QRect(4, 204, 403, 19) << 12 << true << false << QColor(Qt::red)
                            << "Copyright (C) MX840 Interface Software. All rights reserved.";
}

void TestAuxWindows::aboutAsDeclared()
{
    QFETCH(QString, element);
    QFETCH(QRect, geometry);
    QFETCH(int, pixels);
    QFETCH(bool, italic);
    QFETCH(bool, underline);
    QFETCH(QColor, colour);
    QFETCH(QString, text);
    const QHash<QString, QLabel *> labels{{"brand", about().brand},           {"company", about().company},
                                          {"version", about().version},       {"webCaption", about().webCaption},
                                          {"webAddress", about().webAddress}, {"rights", about().rights}};
    const QLabel *label = labels.value(element);
    QCOMPARE(label->geometry(), geometry);
    QCOMPARE(label->font().family(), QStringLiteral("Arial"));
    QCOMPARE(label->font().pixelSize(), pixels);
    QVERIFY(label->font().bold());
    QCOMPARE(label->font().italic(), italic);
    QCOMPARE(label->font().underline(), underline);
    QCOMPARE(textColour(label), colour);
    QCOMPARE(label->text(), text);
    // The brand is whole within its box (its face narrowed to fit).
    QVERIFY(QFontMetrics(about().brand->font()).horizontalAdvance(about().brand->text()) <= 281);

    QCOMPARE(about().size(), QSize(421, 228));
    QCOMPARE(about().minimumSize(), about().maximumSize());
    QCOMPARE(about().windowTitle(), QStringLiteral("About"));
    QCOMPARE(qRound(about().windowOpacity() * 255), 230);
    QCOMPARE(about().palette().color(QPalette::Window), QColor(0xD4, 0xD0, 0xC8));
    QCOMPARE(about().smallPicture->geometry(), QRect(240, 76, 29, 29));
    QCOMPARE(about().largePicture->geometry(), QRect(276, 12, 141, 101));
    QCOMPARE(about().webAddress->cursor().shape(), Qt::PointingHandCursor);
}

void TestAuxWindows::aboutClicks_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<bool>("closes");
    QTest::newRow("background") << "background" << true;
    QTest::newRow("brand") << "brand" << true;
    QTest::newRow("company") << "company" << true;
    QTest::newRow("version") << "version" << true;
    QTest::newRow("rights") << "rights" << true;
    QTest::newRow("large picture") << "largePicture" << true;
    QTest::newRow("small picture") << "smallPicture" << false;
    QTest::newRow("web caption") << "webCaption" << false;
    QTest::newRow("web address") << "webAddress" << false; // nothing happens
}

void TestAuxWindows::aboutClicks()
{
    QFETCH(QString, where);
    QFETCH(bool, closes);
    const QHash<QString, QWidget *> targets{
        {"background", &about()},           {"brand", about().brand},           {"company", about().company},
        {"version", about().version},       {"rights", about().rights},         {"largePicture", about().largePicture},
        {"webCaption", about().webCaption}, {"webAddress", about().webAddress}, {"smallPicture", about().smallPicture}};
    about().show();
    QVERIFY(QTest::qWaitForWindowExposed(&about()));
    QWidget *target = targets.value(where);
    // The background: a spot no element covers (below the version line, right of the web address).
    const QPoint spot = target == &about() ? QPoint(400, 185) : QPoint(2, target->height() / 2);
    QTest::mouseClick(target, Qt::LeftButton, {}, spot);
    QCOMPARE(about().isVisible(), !closes);
    QVERIFY(answers.shown.isEmpty());
}

void TestAuxWindows::storeAsDeclared()
{
    TFrmstore &s = store();
    QCOMPARE(s.size(), QSize(447, 493));
    QCOMPARE(s.minimumSize(), s.maximumSize());
    QCOMPARE(s.windowTitle(), QStringLiteral("Store "));
    const QColor skyBlue(0xA6, 0xCA, 0xF0);
    QCOMPARE(s.palette().color(QPalette::Window), skyBlue);
    const QList<std::tuple<QToolButton *, QRect, QString>> buttons{{s.SpeedButton8, {288, 4, 33, 21}, "Save Data"},
                                                                   {s.SpeedButton9, {320, 4, 33, 21}, "Delete Data"},
                                                                   {s.SpeedButton1, {352, 4, 33, 21}, ""},
                                                                   {s.SpeedButton7, {384, 4, 33, 21}, ""},
                                                                   {s.SpeedButton2, {416, 4, 29, 21}, ""}};
    for (const auto &[button, geometry, hint] : buttons) {
        QCOMPARE(button->geometry(), geometry);
        QCOMPARE(button->toolTip(), hint);
        QVERIFY(!button->icon().isNull());
    }
    QCOMPARE(s.DBGrid1->geometry(), QRect(0, 24, 441, 469));
    QCOMPARE(s.DBGrid1->viewport()->palette().color(QPalette::Base), skyBlue);
    const QAbstractItemModel *columns = s.DBGrid1->model();
    const QStringList titles{"SNo", "STime", "SValue", "SUnit", "SV_Range", "SI_Range"};
    const QList<int> widths{36, 67, 66, 71, 92, 77};
    QCOMPARE(columns->columnCount(), 6);
    for (int c = 0; c < 6; ++c) {
        QCOMPARE(columns->headerData(c, Qt::Horizontal).toString(), titles[c]);
        QCOMPARE(s.DBGrid1->columnWidth(c), widths[c]);
        QCOMPARE(columns->headerData(c, Qt::Horizontal, Qt::ForegroundRole).value<QColor>(), QColor(0xFF, 0x00, 0xFF));
    }
    QHeaderView *header = s.DBGrid1->horizontalHeader();
    QCOMPARE(header->font().family(), QStringLiteral("Arial"));
    QCOMPARE(header->font().pixelSize(), 13);
    QCOMPARE(header->defaultAlignment(), Qt::AlignCenter);
}

// Each button acts through the main window's own off-screen button.
void TestAuxWindows::storeButtonsAct()
{
    TFrmstore &s = store();
    addRows(3);
    QTemporaryDir dir;
    answers.tableFile = dir.filePath(QStringLiteral("store.xls"));
    s.SpeedButton8->click(); // save, asking for a new name
    QCOMPARE(answers.forgotLastName, QList<bool>{true});
    QVERIFY(QFile::exists(answers.tableFile));

    s.SpeedButton9->click();
    QCOMPARE(answers.shown.last(), QStringLiteral("information:  Warning:all Store Records will be deleted! "));
    QCOMPARE(frm().session.cds1.rowCount(), qsizetype(0));

    s.SpeedButton1->click(); // open: the saved rows come back
    QCOMPARE(frm().session.cds1.rowCount(), qsizetype(3));

    s.SpeedButton7->click();
    QCOMPARE(answers.shown.last(), QStringLiteral("preview: QuickRep2, 1"));

    s.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s));
    s.SpeedButton2->click();
    QVERIFY(!s.isVisible());
}

// The store has no source: whatever the reading table holds, the grid shows
// no rows, also after it is refreshed on becoming active.
void TestAuxWindows::storeGridStaysEmpty()
{
    addRows(50);
    store().show();
    store().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&store()));
    store().FormActivate();
    QCOMPARE(store().DBGrid1->model()->rowCount(), 0);
}

void TestAuxWindows::searchAsDeclared()
{
    TFrmsearch &s = search();
    QCOMPARE(s.size(), QSize(541, 363));
    QCOMPARE(s.minimumSize(), s.maximumSize());
    QCOMPARE(s.windowTitle(), QStringLiteral("Search"));
    QCOMPARE(s.DBGrid1->geometry(), QRect(0, 9, 535, 250));
    QCOMPARE(s.GroupBox1->title(), QStringLiteral("Condition"));
    QCOMPARE(s.GroupBox1->geometry(), QRect(3, 264, 535, 55));
    QCOMPARE(s.GroupBox1->font().pixelSize(), 13);
    QVERIFY(s.GroupBox1->font().bold());
    QCOMPARE(textColour(s.GroupBox1), QColor(0x00, 0x80, 0x00));
    QStringList captions;
    int lastLeft = -1, lastTop = -1;
    for (QRadioButton *option : s.conditions) {
        captions << option->text();
        QVERIFY(!option->isChecked());
        QVERIFY(s.GroupBox1->rect().contains(option->geometry()));
        // Left to right, row by row, each caption whole.
        QVERIFY(option->y() > lastTop || option->x() > lastLeft);
        QVERIFY(option->sizeHint().width() <= option->width());
        lastLeft = option->x();
        lastTop = option->y();
    }
    QCOMPARE(captions, (QStringList{"Voltage", "Current", "Active_Power", "Apparent_Power", "Power_Factor",
                                    "Active_Energy", "Tempe"}));
    QCOMPARE(s.BitBtn1->text(), QStringLiteral("&Search"));
    QCOMPARE(s.BitBtn1->geometry(), QRect(66, 324, 85, 31));
    QVERIFY(s.BitBtn1->isDefault());
    QCOMPARE(s.BitBtn2->text(), QStringLiteral("Cancel"));
    QCOMPARE(s.BitBtn2->geometry(), QRect(342, 324, 88, 31));
}

// No condition: the empty result's box. A condition: the failure of its empty
// statement, and no empty-result box. Cancel closes.
void TestAuxWindows::searchOutcomes()
{
    TFrmsearch &s = search();
    s.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s));
    QTest::mouseClick(s.BitBtn1, Qt::LeftButton);
    QCOMPARE(answers.shown, QStringList{"information:  No records for you searching ! "});
    s.conditions[3]->setChecked(true);
    QTest::mouseClick(s.BitBtn1, Qt::LeftButton);
    QCOMPARE(answers.shown.size(), 2);
    QCOMPARE(answers.shown.last(),
             QStringLiteral("error: Search by Apparent_Power: there is no statement for this condition."));
    QCOMPARE(s.DBGrid1->model()->rowCount(), 0);
    QVERIFY(s.isVisible());
    QTest::mouseClick(s.BitBtn2, Qt::LeftButton);
    QVERIFY(!s.isVisible());
}

void TestAuxWindows::windowsOpenModallyOverTheMainWindow()
{
    frm().show();
    QVERIFY(QTest::qWaitForWindowExposed(&frm()));
    QVERIFY(opensModally(store(), [&] { frm().SpeedButton5->click(); }));
    QVERIFY(opensModally(search(), [&] { frm().SearchR->trigger(); }));
    about().show();
    QVERIFY(QTest::qWaitForWindowExposed(&about()));
    const QPoint offset = about().frameGeometry().center() - frm().frameGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 2, qPrintable(QStringLiteral("%1, %2").arg(offset.x()).arg(offset.y())));
}

QTEST_MAIN(TestAuxWindows)
#include "tst_auxwindows.moc"
