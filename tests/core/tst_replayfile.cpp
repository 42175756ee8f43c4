#include "core/link/ReplayFile.h"

#include <QBuffer>
#include <QFile>
#include <QTest>

#include <unistd.h>

class TestReplayFile : public QObject
{
    Q_OBJECT

private slots:
    void parsesReportLines_data();
    void parsesReportLines();
    void refusesMalformedLines_data();
    void refusesMalformedLines();
    void readsStepsAndNamesTheBadLine();
    void readsAStreamToItsEnd();
};

void TestReplayFile::parsesReportLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("reportId");
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("logged form") << QByteArray("R 00  F7 30 37 3B 36 30 35 3E ") << 0
                                 << QByteArray::fromHex("F730373B3630353E");
    QTest::newRow("no trailing blank") << QByteArray("R 00  F7 30 37 3B 36 30 35 3E") << 0
                                       << QByteArray::fromHex("F730373B3630353E");
    QTest::newRow("lower case") << QByteArray("R ab  f7 0a") << 0xAB << QByteArray::fromHex("F70A");
    QTest::newRow("no data bytes") << QByteArray("R 00  ") << 0 << QByteArray();
    QTest::newRow("no data, no blanks") << QByteArray("R 01") << 1 << QByteArray();
    QTest::newRow("no data, one blank") << QByteArray("R 01 ") << 1 << QByteArray();
}

void TestReplayFile::parsesReportLines()
{
    QFETCH(QByteArray, line);
    QFETCH(int, reportId);
    QFETCH(QByteArray, data);
    const std::optional<ReplayStep> step = ParseReportLine(line);
    QVERIFY(step);
    QCOMPARE(int(step->reportId), reportId);
    QCOMPARE(step->data, data);
}

void TestReplayFile::refusesMalformedLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("not a report") << QByteArray("hello");
    QTest::newRow("lower-case r") << QByteArray("r 00  F7");
    QTest::newRow("one-digit id") << QByteArray("R 0  F7");
    QTest::newRow("one blank before data") << QByteArray("R 00 F7 30");
    QTest::newRow("three-digit byte") << QByteArray("R 00  F70 30");
    QTest::newRow("not hex") << QByteArray("R 00  G7 30");
    QTest::newRow("two blanks between bytes") << QByteArray("R 00  F7  30");
    QTest::newRow("single digit at end") << QByteArray("R 00  F7 3");
    QTest::newRow("tab separated") << QByteArray("R 00\tF7");
    QTest::newRow("too many bytes") << QByteArray("R 00  ") + QByteArray("00 ").repeated(65536);
}

void TestReplayFile::refusesMalformedLines()
{
    QFETCH(QByteArray, line);
    QString why;
    QVERIFY(!ParseReportLine(line, &why));
    QVERIFY(!why.isEmpty());
}

void TestReplayFile::readsStepsAndNamesTheBadLine()
{
    QByteArray text = "# a comment\n\nR 00  F1 30\r\ntick\nR 00  \nR 00  zz\nR 00  F0\n";
    QBuffer buffer(&text);
    buffer.open(QIODevice::ReadOnly);
    ReplayReader reader(buffer);

    std::optional<ReplayStep> step = reader.next();
    QVERIFY(step && step->kind == ReplayStep::Kind::Report);
    QCOMPARE(step->data, QByteArray::fromHex("F130"));
    QCOMPARE(reader.lineNumber(), 3);
    step = reader.next();
    QVERIFY(step && step->kind == ReplayStep::Kind::Tick);
    step = reader.next();
    QVERIFY(step && step->data.isEmpty());
    QVERIFY(!reader.next());
    QVERIFY(reader.error().startsWith(QStringLiteral("line 6: ")));

    // A line far longer than any report (a file of junk) stops the reader early.
    QByteArray junk = "tick\n" + QByteArray(1 << 20, 'x');
    QBuffer junkBuffer(&junk);
    junkBuffer.open(QIODevice::ReadOnly);
    ReplayReader junkReader(junkBuffer);
    QVERIFY(junkReader.next());
    QVERIFY(!junkReader.next());
    QVERIFY(junkReader.error().startsWith(QStringLiteral("line 2: too long")));
    QVERIFY(junkBuffer.pos() < junk.size());
}

// A pipe holds no size and is never "at its end" before it is read: it is read
// to its end like a file. A UTF-8 byte order mark before the first line is no fault.
void TestReplayFile::readsAStreamToItsEnd()
{
    int ends[2];
    QVERIFY(::pipe(ends) == 0);
    const QByteArray text = "\xEF\xBB\xBFtick\nR 00  F1 30\ntick\n";
    QCOMPARE(::write(ends[1], text.constData(), size_t(text.size())), ssize_t(text.size()));
    ::close(ends[1]);
    QFile pipe;
    QVERIFY(pipe.open(ends[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
    QVERIFY(pipe.isSequential());
    ReplayReader reader(pipe);
    int steps = 0;
    while (reader.next())
        ++steps;
    QCOMPARE(reader.error(), QString());
    QCOMPARE(steps, 3);
}

QTEST_APPLESS_MAIN(TestReplayFile)
#include "tst_replayfile.moc"
