#include "platform/locale/SystemLocale.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>

#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run runLog(const QStringList &arguments)
{
    QProcess process;
    process.start(qEnvironmentVariable("MX840_LOG"), arguments);
    if (!process.waitForStarted() || !process.waitForFinished(60000))
        return {-1, {}, "mx840-log did not run (MX840_LOG names it)"};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString writeFile(const QTemporaryDir &dir, const QByteArray &text)
{
    const QString path = dir.filePath(QStringLiteral("replay.txt"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
    return path;
}

// One frame showing "00000" (no point), cut the way the cable sends it.
const QByteArray kFrameReports = "R 00  F7 30 37 3B 37 3B 37 3B \n"
                                 "R 00  f7 37 3b 37 3b 30 30 30\n" // lower case, no trailing blank
                                 "R 00  F7 30 30 30 30 30 30 30 \n"
                                 "R 00  F6 30 30 30 31 0D 0A 00 \n"
                                 "R 00  F0 00 00 00 00 00 00 00 \n";

// "12.345" in COUNT, with the point after the second digit.
const QByteArray kPointFrameReports = "R 00  F7 30 33 3D 36 35 37 3C \n"
                                      "R 00  F7 3D 3E 36 30 30 30 30 \n"
                                      "R 00  F7 30 30 30 30 30 30 30 \n"
                                      "R 00  F6 30 30 30 32 0D 0A 00 \n"
                                      "R 00  F0 00 00 00 00 00 00 00 \n";

} // namespace

class TestMx840Log : public QObject
{
    Q_OBJECT

private slots:
    void replayPrintsEveryShownFrame();
    void recordPolicyOptions_data();
    void recordPolicyOptions();
    void failures_data();
    void failures();
    void liveRunEndsCleanlyOnSignals();
    void noCable();
    void tableFilesConvertAndCollect();
    void quietOnStandardError();
    void versionAndHelpNeedNoDisplay();
    void rowFormatsReadBackIntoTheSavedTable_data();
    void rowFormatsReadBackIntoTheSavedTable();
    void tableFileFailures_data();
    void tableFileFailures();
    void liveRunWritesEachRowAsRecorded();
    void rowWriteFailureStopsTheRun();
    void closedOutputKeepsTheTable();
    void streamsAndDevices();
    void readOnlyFolderIsRefusedBeforeTheRun();
    void reportsOfTheTable();
    void reportFailures_data();
    void reportFailures();
    void replayOfAnOpenStreamEndsOnSignals();
    void replacedFilesKeepTheirModeAndOwner();
    void interruptedExportLeavesNoTemporaryFile();
    void fileNamesReachTheFileSystemAsGiven();
    void aRunningRunsPartialFileIsTold();
    void windowWithoutADisplaySaysSo();
};

void TestMx840Log::replayPrintsEveryShownFrame()
{
    QTemporaryDir dir;
    const QString file =
        writeFile(dir, "# two frames, a tick between them\n\n" + kFrameReports + "tick\n" + kPointFrameReports);
    const QByteArray separator = SystemDecimalSeparator().toUtf8();
    const QRegularExpression row(QStringLiteral("^\\d+\t\\d\\d\\D\\d\\d\\D\\d\\d\t"));

    // Each recorded row: No, Time, Value, Unit.
    Run run = runLog({QStringLiteral("--replay"), file});
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.exitCode, 0);
    const QList<QByteArray> rows = run.out.split('\n');
    QCOMPARE(rows.size(), 3);
    QVERIFY(QString::fromUtf8(rows[0]).contains(row));
    QVERIFY(rows[0].startsWith("1\t") && rows[0].endsWith("\t00000\tRPM"));
    QVERIFY(rows[1].startsWith("2\t") && rows[1].endsWith("\t12" + separator + "345\tPCS"));

    // The trace: one line per shown frame, the recorded row's No last.
    run = runLog({QStringLiteral("--replay"), file, QStringLiteral("--trace")});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, "000005GGGGG50001DA\t00000\t5\tRPM\tX 0.1\t10\t1\t0\t10000\t1\n"
                      "543212GGGGG50002DA\t12" +
                          separator + "345\t2\tPCS\tX 1\t100\t12\t123\t10000\t2\n");
}

// The record policy's options: repetition, the interval counted down by
// ticks, the limit.
void TestMx840Log::recordPolicyOptions_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("recorded"); // the last field of each trace line
    QTest::newRow("repeat") << QStringList{} << QByteArray("1 2 3 4");
    QTest::newRow("no repeat") << QStringList{"--no-repeat"} << QByteArray("1 - - 2");
    QTest::newRow("interval 1: a tick between") << QStringList{"--interval", "1"} << QByteArray("1 - 2 -");
    QTest::newRow("interval 0") << QStringList{"--interval", "0"} << QByteArray("1 2 3 4");
}

void TestMx840Log::recordPolicyOptions()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, recorded);
    QTemporaryDir dir;
    // Three equal frames, a tick, then a different one... and a tick between 2 and 3.
    const QString file = writeFile(dir, kFrameReports + kFrameReports + "tick\n" + kFrameReports + kPointFrameReports);
    const Run run = runLog(QStringList{"--replay", file, "--trace"} + options);
    QCOMPARE(run.exitCode, 0);
    QByteArrayList last;
    for (const QByteArray &line : run.out.split('\n')) {
        if (!line.isEmpty())
            last << line.split('\t').last();
    }
    QCOMPARE(last.join(' '), recorded);
}

void TestMx840Log::failures_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");
    QTest::newRow("malformed line") << QStringList{"--replay", "FILE"} << QByteArray("tick\n\nR 00  F7 3\n")
                                    << "line 3:";
    QTest::newRow("missing file") << QStringList{"--replay", "DIR/none.txt"} << QByteArray() << "cannot read";
    QTest::newRow("directory") << QStringList{"--replay", "DIR"} << QByteArray() << "cannot read";
    QTest::newRow("two sources") << QStringList{"--simulate", "--replay", "FILE"} << QByteArray("tick\n")
                                 << "one source";
    QTest::newRow("simulated meter, malformed file")
        << QStringList{"--simulate=FILE"} << QByteArray("R 0\n") << "line 1:";
    QTest::newRow("simulated meter, empty file")
        << QStringList{"--simulate=FILE"} << QByteArray("tick\n") << "no reports";
    QTest::newRow("unknown argument") << QStringList{"--frobnicate"} << QByteArray() << "unknown argument";
    QTest::newRow("replay without file") << QStringList{"--replay"} << QByteArray() << "needs a file";
    QTest::newRow("interval not a number") << QStringList{"--interval", "x"} << QByteArray() << "whole number";
    QTest::newRow("negative interval") << QStringList{"--interval", "-1"} << QByteArray() << "whole number";
    QTest::newRow("odd limit") << QStringList{"--limit", "7"} << QByteArray() << "--limit is one of";
    QTest::newRow("limit without value") << QStringList{"--limit"} << QByteArray() << "needs a value";
    QTest::newRow("report without export")
        << QStringList{"--replay", "FILE", "--report", "data"} << QByteArray("tick\n") << "go together";
    QTest::newRow("report of no kind") << QStringList{"--report", "table"} << QByteArray() << "--report is one of";
    QTest::newRow("format of no kind") << QStringList{"--format", "xml"} << QByteArray() << "--format is one of";
    QTest::newRow("format without name") << QStringList{"--format"} << QByteArray() << "--format is one of";
    QTest::newRow("trace in csv") << QStringList{"--trace", "--format", "csv"} << QByteArray() << "without --format";
    QTest::newRow("export of no format") << QStringList{"--replay", "FILE", "--report", "data", "--export", "DIR/r.doc"}
                                         << QByteArray("tick\n") << "the extension names the format";
    QTest::newRow("out twice") << QStringList{"--replay", "FILE", "--out", "DIR/a.xls", "--out", "DIR/b.xls"}
                               << QByteArray("tick\n") << "--out may be given once";
    QTest::newRow("open without its file")
        << QStringList{"--open", "--replay", "FILE"} << QByteArray("tick\n") << "--open needs a file name";
    QTest::newRow("empty out") << QStringList{"--replay", "FILE", "--out", ""} << QByteArray("tick\n")
                               << "not an empty one";
}

void TestMx840Log::failures()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = writeFile(dir, file);
    for (QString &argument : arguments)
        argument = argument.replace(QStringLiteral("FILE"), path).replace(QStringLiteral("DIR"), dir.path());
    const Run run = runLog(arguments);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(QString::fromLocal8Bit(run.err).contains(message), run.err.constData());
}

// The simulated cable and meter: readings come at the meter's pace until a
// signal ends the run cleanly.
void TestMx840Log::liveRunEndsCleanlyOnSignals()
{
    QTemporaryDir dir;
    const QString xml = dir.filePath("run.xml");
    for (const auto signal : {SIGINT, SIGTERM, SIGHUP}) {
        QFile::remove(xml);
        QProcess process;
        process.start(qEnvironmentVariable("MX840_LOG"), {QStringLiteral("--simulate"), "--out", xml});
        QVERIFY(process.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(process.bytesAvailable() > 0 || process.state() != QProcess::Running, 10000);
        QTest::qWait(500);
        ::kill(pid_t(process.processId()), signal);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        const QList<QByteArray> lines = process.readAllStandardOutput().split('\n');
        QVERIFY(lines.size() >= 3);
        QVERIFY(lines.first().endsWith("\tRPM")); // a recorded row
        QVERIFY(contents(xml).contains("<ROW RowState=\"4\" No=\"1\""));
    }
}

// On this machine there is no real cable: a message and status 1.
void TestMx840Log::noCable()
{
    const Run run = runLog({});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("no interface cable \"USB to Serial\" found"), run.err.constData());
}

// A replay saved as text; text to XML and back gives the same bytes; --open
// twice appends twice.
void TestMx840Log::tableFilesConvertAndCollect()
{
    QTemporaryDir dir;
    const QString replay = writeFile(dir, kFrameReports + kPointFrameReports);
    const QString text = dir.filePath("run.xls"), xml = dir.filePath("run.xml"), back = dir.filePath("back.txt");
    QCOMPARE(runLog({"--replay", replay, "--out", text}).exitCode, 0);
    const QList<QByteArray> lines = contents(text).split('\n');
    QCOMPARE(lines.size(), 4); // header, two rows, nothing after the last CR LF
    QCOMPARE(lines[0], QByteArray("No\tTime\tValue\tUnit\r"));
    QVERIFY(lines[2].startsWith("2\t") && lines[2].endsWith("\t12.345\tPCS\r"));

    QCOMPARE(runLog({"--open", text, "--out", xml}).exitCode, 0);
    QVERIFY(contents(xml).startsWith("<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET"));
    QCOMPARE(runLog({"--open", xml, "--out", back}).exitCode, 0);
    QCOMPARE(contents(back), contents(text));

    // The replay's rows come after the opened ones, numbered from 1 again.
    QCOMPARE(runLog({"--open", text, "--open", text, "--replay", replay, "--out", back}).exitCode, 0);
    QCOMPARE(contents(back).count("\r\n"), 1 + 6);
}

// What Python's csv and json modules make of the printed rows must be the
// rows of the table saved from the same run; a JSON line's timestamp carries
// the date, the offset and the row's Time, its number the row's Value.
const char kReadBack[] = R"(
import csv, datetime, json, re, sys
form, printed, table = sys.argv[1:4]
with open(table, newline='', encoding='utf-8') as f:
    saved = list(csv.reader(f, delimiter='\t'))
header = saved[0]
rows = [['' if v == 'NULL' else v for v in r] for r in saved[1:]]
got = []
with open(printed, newline='', encoding='utf-8') as f:
    if form == 'csv':
        got = list(csv.reader(f))
        assert got.pop(0) == header, header
    else:
        for line in f:
            o = json.loads(line)
            stamp = datetime.datetime.fromisoformat(o['timestamp'])
            assert stamp.utcoffset() is not None and stamp.date() is not None, o
            assert stamp.strftime('%H:%M:%S') == re.sub(r'\D', ':', o['Time']), o
            try:
                value = float(o['Value'].replace(',', '.'))
            except ValueError:
                value = None
            assert o['number'] == value, o
            got.append([str(o['No']), o['Time'], o['Value'], o['Unit']])
assert got == rows, (got, rows)
print(len(rows))
)";

// A usage error is two lines, not the whole help; a run without a login
// session's runtime folder (cron, su) says nothing about it.
void TestMx840Log::quietOnStandardError()
{
    const Run bad = runLog({"--bogus"});
    QCOMPARE(bad.exitCode, 2);
    QCOMPARE(bad.err, QByteArray("mx840-log: unknown argument: --bogus\n"
                                 "Try 'mx840-log --help' for more information.\n"));

    QTemporaryDir dir;
    const QString replay = writeFile(dir, "tick\n");
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    process.setProcessEnvironment(environment);
    process.start(qEnvironmentVariable("MX840_LOG"),
                  {"--replay", replay, "--report", "data", "--export", dir.filePath(QStringLiteral("r.txt"))});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(process.readAllStandardError(), QByteArray());
}

// Both programs answer --version and --help at once; the window's program
// does so without a display to open.
void TestMx840Log::versionAndHelpNeedNoDisplay()
{
    QCOMPARE(runLog({"--version"}).out, QByteArray("mx840-log " MX840_VERSION "\n"));
    QVERIFY(runLog({"--help"}).out.contains("--format tsv"));
    for (const auto &[argument, expected] : {std::pair("--version", QByteArray("mx840 " MX840_VERSION "\n")),
                                             std::pair("--help", QByteArray("Usage: mx840"))}) {
        QProcess window;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.remove(QStringLiteral("DISPLAY"));
        window.setProcessEnvironment(environment);
        window.start(qEnvironmentVariable("MX840"), {QString::fromLatin1(argument)});
        QVERIFY(window.waitForFinished(20000));
        QCOMPARE(window.exitCode(), 0);
        QVERIFY(window.readAllStandardOutput().startsWith(expected));
    }
}

void TestMx840Log::rowFormatsReadBackIntoTheSavedTable_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("csv") << "csv";
    QTest::newRow("jsonl") << "jsonl";
}

void TestMx840Log::rowFormatsReadBackIntoTheSavedTable()
{
    QFETCH(QString, format);
    QTemporaryDir dir;
    const QString replay = writeFile(dir, kFrameReports + kPointFrameReports + kFrameReports + kPointFrameReports);
    const QString table = dir.filePath("run.xls"), printed = dir.filePath("rows." + format);
    const Run run = runLog({"--replay", replay, "--format", format, "--out", table});
    QCOMPARE(run.exitCode, 0);
    QFile out(printed);
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write(run.out) == run.out.size());
    out.close();
    QProcess python;
    python.start(QStringLiteral("python3"), {"-c", kReadBack, format, printed, table});
    QVERIFY2(python.waitForFinished(30000), "python3 did not run");
    QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
    QCOMPARE(python.readAllStandardOutput().trimmed(), QByteArray("4"));
}

void TestMx840Log::tableFileFailures_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << QStringList{"--open", "DIR/none.xls", "--out", "DIR/o.xls"} << "Failed to Load File!";
    QTest::newRow("garbage") << QStringList{"--open", "FILE", "--out", "DIR/o.xml"} << "Failed to Load File!";
    QTest::newRow("not a packet") << QStringList{"--open", "DIR/x.xml"} << "Failed to Load File!";
    QTest::newRow("unwritable") << QStringList{"--open", "DIR/ok.xls", "--out", "DIR/no/such/o.xls"}
                                << "Could not save table to specified file: ";
    QTest::newRow("replay, unwritable") << QStringList{"--replay", "DIR/ticks.txt", "--out", "DIR/no/o.xml"}
                                        << "Could not save table to specified file: ";
    QTest::newRow("live, out a folder") << QStringList{"--simulate", "--out", "DIR"} << "DIR is a folder";
    // A quote never closed would swallow the rest of the file.
    QTest::newRow("stray quote") << QStringList{"--open", "DIR/quote.xls", "--out", "DIR/o.xls"}
                                 << "line 3: the quote that opens a field here is never closed";
    QTest::newRow("packet in UTF-16") << QStringList{"--open", "DIR/u16.xls", "--out", "DIR/o.xml"}
                                      << "an XML table file, not a tab-separated one";
}

void TestMx840Log::tableFileFailures()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString garbage = writeFile(dir, "No\n1 2 3 4 5\n");
    QFile(garbage).copy(dir.filePath("x.xml"));
    QFile ok(dir.filePath("ok.xls"));
    QVERIFY(ok.open(QIODevice::WriteOnly) && ok.write("No\tTime\tValue\tUnit\r\n") > 0);
    ok.close();
    QFile ticks(dir.filePath("ticks.txt"));
    QVERIFY(ticks.open(QIODevice::WriteOnly) && ticks.write("tick\n") > 0);
    ticks.close();
    QByteArray strayQuote = "No\tTime\tValue\tUnit\r\n1\t10:00:00\t1.0\tRPM\r\n2\t10:00:01\t\"12.5\tRPM\r\n";
    for (int i = 3; i < 1000; ++i)
        strayQuote += QByteArray::number(i) + "\t10:00:02\t1.0\tRPM\r\n";
    QFile quote(dir.filePath("quote.xls"));
    QVERIFY(quote.open(QIODevice::WriteOnly) && quote.write(strayQuote) > 0);
    quote.close();
    const QString packet = QStringLiteral("<?xml version=\"1.0\"?><DATAPACKET/>");
    QFile u16(dir.filePath("u16.xls"));
    QVERIFY(u16.open(QIODevice::WriteOnly) &&
            u16.write("\xFF\xFE" + QByteArray(reinterpret_cast<const char *>(packet.utf16()), packet.size() * 2)) > 0);
    u16.close();
    for (QString &argument : arguments)
        argument = argument.replace(QStringLiteral("FILE"), garbage).replace(QStringLiteral("DIR"), dir.path());
    message.replace(QStringLiteral("DIR"), dir.path());
    const Run run = runLog(arguments);
    QCOMPARE(run.exitCode, 3);
    QVERIFY2(QString::fromLocal8Bit(run.err).contains(message), run.err.constData());
    QCOMPARE(run.out, QByteArray()); // refused before any row
    QVERIFY(!QFile::exists(dir.filePath("o.xls")) && !QFile::exists(dir.filePath("o.xml")));
}

// Lines of a text table file, each ended by CR LF; empty when one is torn.
QList<QByteArray> wholeLines(const QByteArray &bytes)
{
    if (!bytes.endsWith("\r\n"))
        return {};
    QList<QByteArray> lines = bytes.split('\n');
    lines.removeLast();
    return lines;
}

// A black-and-white PNG of side × side pixels: a small file whose picture
// would take more memory than a picture may.
QByteArray hugePng(quint32 side)
{
    const auto crc32 = [](const QByteArray &bytes) {
        quint32 crc = 0xFFFFFFFF;
        for (const char c : bytes) {
            crc ^= quint8(c);
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
        }
        return ~crc;
    };
    const auto bigEndian = [](quint32 value) {
        QByteArray bytes(4, '\0');
        for (int i = 0; i < 4; ++i)
            bytes[i] = char(value >> (24 - 8 * i));
        return bytes;
    };
    const auto chunk = [&](const QByteArray &type, const QByteArray &data) {
        return bigEndian(quint32(data.size())) + type + data + bigEndian(crc32(type + data));
    };
    const QByteArray header = bigEndian(side) + bigEndian(side) + QByteArray("\x01\0\0\0\0", 5);
    const QByteArray rows(qsizetype(side / 8 + 1) * side, '\0'); // a filter byte and the row's bits
    return "\x89PNG\r\n\x1a\n" + chunk("IHDR", header) + chunk("IDAT", qCompress(rows, 9).mid(4)) + chunk("IEND", {});
}

// A live run started on the simulated meter, with stdout read by the test.
struct LiveRun
{
    QProcess process;
    explicit LiveRun(const QStringList &arguments)
    {
        process.start(qEnvironmentVariable("MX840_LOG"), QStringList{"--simulate"} + arguments);
    }
    ~LiveRun()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }
    int endWith(int signal)
    {
        ::kill(pid_t(process.processId()), signal);
        if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit)
            return -1;
        return process.exitCode();
    }
};

// Rows go to FILE.partial while the run goes on, each on disk before the next;
// the file named keeps its old content until the run ends and the partial
// file takes its place. Killed outright, the run leaves both: the old file
// whole, and every row it recorded.
void TestMx840Log::liveRunWritesEachRowAsRecorded()
{
    QTemporaryDir dir;
    const QString out = dir.filePath("live.xls");
    const QString partial = out + ".partial";
    const QByteArray old = "No\tTime\tValue\tUnit\r\n1\t08:00:00\t5\tRPM\r\n";
    for (const int signal : {SIGINT, SIGKILL}) {
        QVERIFY(QFile::remove(out) || !QFile::exists(out));
        QFile file(out);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
        file.close();
        LiveRun run({"--out", out});
        QTRY_VERIFY_WITH_TIMEOUT(wholeLines(contents(partial)).size() >= 3, 10000); // header and two rows
        QCOMPARE(contents(out), old);
        const int status = run.endWith(signal);
        const QList<QByteArray> printed = run.process.readAllStandardOutput().split('\n');
        if (signal == SIGKILL) {
            QCOMPARE(contents(out), old);
            const QList<QByteArray> rows = wholeLines(contents(partial));
            QVERIFY(rows.size() >= 3);
            QVERIFY(printed.size() >= rows.size() - 1);
            for (qsizetype i = 1; i < rows.size(); ++i)
                QCOMPARE(rows[i], printed[i - 1] + '\r');
        } else {
            QCOMPARE(status, 0);
            QVERIFY(!QFile::exists(partial));
            QCOMPARE(wholeLines(contents(out)).size(), 1 + printed.size() - 1);
        }
    }
    // The rows a killed run left are never overwritten by the next run.
    const QByteArray left = contents(partial);
    const Run refused = runLog({"--simulate", "--out", out});
    QCOMPARE(refused.exitCode, 3);
    QVERIFY2(refused.err.contains("earlier run"), refused.err.constData());
    QCOMPARE(contents(partial), left);
}

// A write that fails (here the file size limit, as a full disk would) stops
// the run with the system's message: the file keeps every whole row written
// and nothing of the one that failed.
void TestMx840Log::rowWriteFailureStopsTheRun()
{
    QTemporaryDir dir;
    const QString out = dir.filePath("limited.xls");
    QProcess process;
    process.start(QStringLiteral("prlimit"),
                  {"--fsize=300", qEnvironmentVariable("MX840_LOG"), "--simulate", "--out", out});
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 3);
    const QByteArray err = process.readAllStandardError();
    QVERIFY2(err.contains(qt_error_string(EFBIG).toUtf8()), err.constData());
    const QList<QByteArray> rows = wholeLines(contents(out));
    QVERIFY(rows.size() >= 2);
    QVERIFY(contents(out).size() <= 300);
    QVERIFY(!QFile::exists(out + ".partial"));

    // A device that is full from the start: refused before anything is recorded.
    const Run full = runLog({"--simulate", "--out", "/dev/full"});
    QCOMPARE(full.exitCode, 3);
    QVERIFY2(full.err.contains(qt_error_string(ENOSPC).toUtf8()), full.err.constData());
    QCOMPARE(full.out, QByteArray());
}

// Standard output that cannot be written (a reader that went away, a full
// disk): printing stops, the run ends, the table is saved, and the status says so.
void TestMx840Log::closedOutputKeepsTheTable()
{
    QTemporaryDir dir;
    const QString xml = dir.filePath("run.xml");
    QProcess head;
    head.start(QStringLiteral("bash"), {"-c", "\"$0\" --simulate --out \"$1\" | head -3; exit ${PIPESTATUS[0]}",
                                        qEnvironmentVariable("MX840_LOG"), xml});
    QVERIFY(head.waitForFinished(20000));
    QCOMPARE(head.exitCode(), 4);
    QCOMPARE(head.readAllStandardOutput().count('\n'), 3);
    QVERIFY(head.readAllStandardError().contains(qt_error_string(EPIPE).toUtf8()));
    QVERIFY(contents(xml).contains("<ROW RowState=\"4\" No=\"1\""));
    const QString replay = writeFile(dir, kFrameReports + kPointFrameReports);
    const QString text = dir.filePath("run.xls");
    for (const QStringList &arguments :
         {QStringList{"--simulate", "--out", text}, QStringList{"--replay", replay, "--out", text}}) {
        QFile::remove(text);
        QProcess process;
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
        process.start(qEnvironmentVariable("MX840_LOG"), arguments);
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitCode(), 4);
        QVERIFY(process.readAllStandardError().contains(qt_error_string(ENOSPC).toUtf8()));
        QVERIFY(wholeLines(contents(text)).size() >= 2);
    }
}

// Replays read from pipes and devices to their end; a name that is not a
// regular file is written into, never replaced.
void TestMx840Log::streamsAndDevices()
{
    QTemporaryDir dir;
    const QString out = dir.filePath("t.xls");
    QFile old(out);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old\r\n") > 0);
    old.close();
    QProcess process;
    process.start(qEnvironmentVariable("MX840_LOG"), {"--replay", "/dev/stdin", "--out", out});
    QVERIFY(process.waitForStarted());
    process.write(kFrameReports + kPointFrameReports);
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(process.readAllStandardOutput().count('\n'), 2);
    QCOMPARE(wholeLines(contents(out)).size(), 3);

    const Run zero = runLog({"--replay", "/dev/zero"});
    QCOMPARE(zero.exitCode, 2);
    QVERIFY2(zero.err.contains("too long"), zero.err.constData());

    const QString replay = writeFile(dir, kFrameReports);
    const Run toStdout = runLog({"--replay", replay, "--out", "/dev/stdout"});
    QCOMPARE(toStdout.exitCode, 0);
    QVERIFY2(toStdout.out.contains("No\tTime\tValue\tUnit\r\n1\t"), toStdout.out.constData());
    QCOMPARE(runLog({"--replay", replay, "--out", "/dev/null"}).exitCode, 0);
    QVERIFY(QFileInfo(QStringLiteral("/dev/null")).isFile() == false);

    // A folder that cannot take the new file: refused before the run starts.
    const Run noFolder = runLog({"--simulate", "--out", dir.filePath("no/such/t.xls")});
    QCOMPARE(noFolder.exitCode, 3);
    QCOMPARE(noFolder.out, QByteArray());
}

// A writable file in a folder that is not: the file cannot be replaced, so the
// run does not start, and the file keeps its content. (Root may write
// anywhere: the run is made as an ordinary user then.)
void TestMx840Log::readOnlyFolderIsRefusedBeforeTheRun()
{
    QTemporaryDir dir;
    const QString out = dir.filePath("t.xls");
    QFile file(out);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("old\r\n") > 0);
    file.close();
    QVERIFY(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther |
                                QFileDevice::WriteOther));
    const QFile::Permissions readOnly =
        QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther | QFileDevice::ExeOther;
    QVERIFY(QFile::setPermissions(dir.path(), readOnly));
    QStringList command{qEnvironmentVariable("MX840_LOG"), "--simulate", "--out", out};
    if (::geteuid() == 0)
        command = QStringList{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"} + command;
    QProcess process;
    process.start(command.first(), command.mid(1));
    const bool finished = process.waitForFinished(20000);
    QFile::setPermissions(dir.path(), readOnly | QFileDevice::WriteOwner);
    QVERIFY(finished);
    QCOMPARE(process.exitCode(), 3);
    const QByteArray err = process.readAllStandardError();
    QVERIFY2(err.contains("is not writable: " + qt_error_string(EACCES).toUtf8()), err.constData());
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
    QCOMPARE(contents(out), QByteArray("old\r\n"));
}

// The table as it stands at the end goes into the report; the CSV export's
// rows are the table's.
void TestMx840Log::reportsOfTheTable()
{
    QTemporaryDir dir;
    const QString replay = writeFile(dir, kFrameReports + kPointFrameReports);
    const QString csv = dir.filePath("r.csv");
    const Run run = runLog({"--replay", replay, "--report", "data", "--export", csv});
    QCOMPARE(run.exitCode, 0);
    const QList<QByteArray> lines = contents(csv).split('\n');
    QCOMPARE(lines.size(), 5 + 1); // header, columns, two rows, footer
    const QList<QByteArray> printed = run.out.split('\n');
    QCOMPARE(lines[2], QByteArray(printed[0]).replace('\t', ',') + '\r');
    QCOMPARE(lines[4], QByteArray("The Page,1,Of,1\r"));

    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    const QString bmp = dir.filePath("chart.bmp");
    QVERIFY(picture.save(bmp, "BMP"));
    const QString html = dir.filePath("r.html");
    QCOMPARE(runLog({"--replay", replay, "--report", "both", "--picture", bmp, "--export", html}).exitCode, 0);
    QVERIFY(contents(html).contains("MX840 TEST DATA+GRAPH  REPORT"));
    QVERIFY(contents(html).contains("src=\"data:image/png;base64,"));
    const QString pdf = dir.filePath("r.pdf");
    QCOMPARE(
        runLog({"--open", dir.filePath("none.xls"), "--report", "graph", "--picture", bmp, "--export", pdf}).exitCode,
        3); // the open fails first
    QCOMPARE(runLog({"--replay", replay, "--report", "graph", "--picture", bmp, "--export", pdf}).exitCode, 0);
    QVERIFY(contents(pdf).startsWith("%PDF"));
}

void TestMx840Log::reportFailures_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("graph without picture")
        << QStringList{"--report", "graph", "--export", "DIR/r.pdf"} << " Warning:Please select graph to print! ";
    QTest::newRow("both without picture")
        << QStringList{"--report", "both", "--export", "DIR/r.pdf"} << " Warning:Please select graph to print! ";
    QTest::newRow("picture missing") << QStringList{"--report",     "graph",    "--picture",
                                                    "DIR/none.png", "--export", "DIR/r.pdf"}
                                     << "cannot read the picture DIR/none.png";
    QTest::newRow("picture a folder") << QStringList{"--report", "graph", "--picture", "DIR", "--export", "DIR/r.pdf"}
                                      << "cannot read the picture DIR";
    QTest::newRow("picture not an image")
        << QStringList{"--report", "both", "--picture", "FILE", "--export", "DIR/r.pdf"}
        << "cannot read the picture FILE";
    QTest::newRow("picture truncated") << QStringList{"--report",    "both",     "--picture",
                                                      "DIR/cut.png", "--export", "DIR/r.pdf"}
                                       << "cannot read the picture DIR/cut.png";
    QTest::newRow("export nowhere") << QStringList{"--report", "data", "--export", "DIR/no/such/r.pdf"}
                                    << "cannot export the report to DIR/no/such/r.pdf";
    QTest::newRow("export into a folder")
        << QStringList{"--report", "data", "--export", "DIR/folder.pdf"} << "DIR/folder.pdf is a folder";
    QTest::newRow("picture a link loop") << QStringList{"--report",     "graph",    "--picture",
                                                        "DIR/loop.png", "--export", "DIR/r.pdf"}
                                         << qt_error_string(ELOOP);
    QTest::newRow("picture too large") << QStringList{"--report",     "graph",    "--picture",
                                                      "DIR/huge.png", "--export", "DIR/r.pdf"}
                                       << "20000 × 20000 pixels, more than the";
}

// Refused before the run when the picture is wrong; the report file is never
// left half-written.
void TestMx840Log::reportFailures()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString replay = writeFile(dir, kFrameReports);
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(picture.save(dir.filePath("whole.png"), "PNG"));
    QFile cut(dir.filePath("cut.png"));
    QVERIFY(cut.open(QIODevice::WriteOnly) && cut.write(contents(dir.filePath("whole.png")).left(40)) == 40);
    cut.close();
    QVERIFY(QDir(dir.path()).mkdir("folder.pdf"));
    QVERIFY(QFile::link(dir.filePath("loop.png"), dir.filePath("loop.png")));
    QFile huge(dir.filePath("huge.png"));
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.write(hugePng(20000)) > 0);
    huge.close();
    for (QString &argument : arguments)
        argument = argument.replace(QStringLiteral("FILE"), replay).replace(QStringLiteral("DIR"), dir.path());
    message = message.replace(QStringLiteral("FILE"), replay).replace(QStringLiteral("DIR"), dir.path());
    const Run run = runLog(QStringList{"--replay", replay} + arguments);
    QCOMPARE(run.exitCode, 3);
    QVERIFY2(QString::fromLocal8Bit(run.err).contains(message), run.err.constData());
    QCOMPARE(run.out, QByteArray()); // refused before the run
    QVERIFY(!QFile::exists(dir.filePath("r.pdf")));
}

// A replay from a pipe that stays open can only end by a signal: it ends
// cleanly, every row printed and saved; while the input keeps it waiting,
// the rows it recorded are already on disk.
void TestMx840Log::replayOfAnOpenStreamEndsOnSignals()
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("f");
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    const QString out = dir.filePath("pr.xls");
    for (const auto signal : {SIGINT, SIGTERM}) {
        QFile::remove(out);
        QProcess process;
        process.start(qEnvironmentVariable("MX840_LOG"), {"--replay", fifo, "--out", out});
        QVERIFY(process.waitForStarted());
        const int writer = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_CLOEXEC);
        QVERIFY(writer >= 0);
        const QByteArray reports = kFrameReports + kPointFrameReports;
        QCOMPARE(::write(writer, reports.constData(), size_t(reports.size())), ssize_t(reports.size()));
        // The first frame is shown when the second begins; the second when the input ends.
        QTRY_COMPARE_WITH_TIMEOUT(process.bytesAvailable() > 0 ? process.peek(4096).count('\n') : 0, 1, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(wholeLines(contents(out + ".partial")).size(), 2, 10000);
        ::kill(pid_t(process.processId()), signal);
        QVERIFY(process.waitForFinished(10000));
        ::close(writer);
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(process.readAllStandardOutput().count('\n'), 2);
        QCOMPARE(wholeLines(contents(out)).size(), 3);
        QVERIFY(!QFile::exists(out + ".partial"));
    }
}

// Every path that replaces a file keeps its mode, and as root its owner and group.
void TestMx840Log::replacedFilesKeepTheirModeAndOwner()
{
    QTemporaryDir dir;
    const QString replay = writeFile(dir, kFrameReports);
    const QStringList names{"live.xls", "replay.xls", "replay.xml", "r.csv", "r.pdf", "open.xls"};
    for (const QString &name : names) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("old\r\n") > 0);
        file.close();
        QVERIFY(::chmod(QFile::encodeName(file.fileName()).constData(), 0640) == 0);
        if (::geteuid() == 0)
            QVERIFY(::chown(QFile::encodeName(file.fileName()).constData(), 65534, 65534) == 0);
    }
    LiveRun live({"--out", dir.filePath("live.xls")});
    QTRY_VERIFY_WITH_TIMEOUT(live.process.bytesAvailable() > 0, 10000);
    QCOMPARE(live.endWith(SIGINT), 0);
    QCOMPARE(runLog({"--replay", replay, "--out", dir.filePath("replay.xls")}).exitCode, 0);
    QCOMPARE(runLog({"--replay", replay, "--out", dir.filePath("replay.xml")}).exitCode, 0);
    QCOMPARE(runLog({"--replay", replay, "--report", "data", "--export", dir.filePath("r.csv")}).exitCode, 0);
    QCOMPARE(runLog({"--replay", replay, "--report", "data", "--export", dir.filePath("r.pdf")}).exitCode, 0);
    QCOMPARE(runLog({"--open", dir.filePath("replay.xml"), "--out", dir.filePath("open.xls")}).exitCode, 0);
    for (const QString &name : names) {
        struct stat status = {};
        QVERIFY(::stat(QFile::encodeName(dir.filePath(name)).constData(), &status) == 0);
        QVERIFY2(contents(dir.filePath(name)) != "old\r\n", qPrintable(name));
        QVERIFY2((status.st_mode & 07777) == 0640, qPrintable(name));
        if (::geteuid() == 0)
            QVERIFY2(status.st_uid == 65534 && status.st_gid == 65534, qPrintable(name));
    }
}

// Where the file system makes no unnamed files, the new content is a named
// file beside the target; a termination signal in the middle removes it.
void TestMx840Log::interruptedExportLeavesNoTemporaryFile()
{
    QTemporaryDir dir;
    QByteArray rows = "No\tTime\tValue\tUnit\r\n";
    for (int i = 1; i <= 300000; ++i)
        rows += QByteArray::number(i) + "\t10:00:00\t1000.0\tRPM\r\n";
    const QString table = dir.filePath("big.xls");
    QFile file(table);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(rows) == rows.size());
    file.close();
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LD_PRELOAD", NO_TMPFILE_PRELOAD);
    environment.insert("ASAN_OPTIONS", "verify_asan_link_order=0:detect_leaks=0");
    process.setProcessEnvironment(environment);
    process.start(qEnvironmentVariable("MX840_LOG"),
                  {"--open", table, "--report", "data", "--export", dir.filePath("r.pdf")});
    QVERIFY(process.waitForStarted());
    const auto temporaries = [&] { return QDir(dir.path()).entryList({"r.pdf.*"}, QDir::Files); };
    QTRY_VERIFY_WITH_TIMEOUT(!temporaries().isEmpty() || process.state() == QProcess::NotRunning, 30000);
    QVERIFY2(process.state() == QProcess::Running, "the export ended before it could be interrupted");
    ::kill(pid_t(process.processId()), SIGTERM);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::CrashExit); // ended by the signal
    QCOMPARE(temporaries(), QStringList());
    QVERIFY(!QFile::exists(dir.filePath("r.pdf")));
}

// A file name that is not valid in the system's encoding would come out of
// Qt as another name: it is refused, and no other file is touched.
void TestMx840Log::fileNamesReachTheFileSystemAsGiven()
{
    QTemporaryDir dir;
    const QString replay = writeFile(dir, kFrameReports);
    for (const QString &option : {QStringLiteral("--open"), QStringLiteral("--out")}) {
        QProcess shell;
        shell.setWorkingDirectory(dir.path());
        shell.start("/bin/sh",
                    {"-c", QStringLiteral("exec \"$0\" --replay \"$1\" %1 \"$(printf 'caf\\351.xls')\"").arg(option),
                     qEnvironmentVariable("MX840_LOG"), replay});
        QVERIFY(shell.waitForFinished(20000));
        QCOMPARE(shell.exitCode(), 2);
        const QByteArray err = shell.readAllStandardError();
        QVERIFY2(err.contains("caf\\xe9.xls") && err.contains("not valid"), err.constData());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"replay.txt"});
    }
}

// A second run on the same --out is told that the first is still going, not
// that it left rows behind.
void TestMx840Log::aRunningRunsPartialFileIsTold()
{
    QTemporaryDir dir;
    const QString out = dir.filePath("k.xls");
    LiveRun first({"--out", out});
    QTRY_VERIFY_WITH_TIMEOUT(first.process.bytesAvailable() > 0, 10000);
    const Run second = runLog({"--simulate", "--out", out});
    QCOMPARE(second.exitCode, 3);
    QVERIFY2(second.err.contains("is being written by another run that is still going"), second.err.constData());
    QCOMPARE(first.endWith(SIGTERM), 0);
    QVERIFY(wholeLines(contents(out)).size() >= 2);
    QVERIFY(!QFile::exists(out + ".partial"));
}

// The window needs a display: without one (none named, or one that does not
// answer) it says so in one line and ends with status 1, not an abort.
void TestMx840Log::windowWithoutADisplaySaysSo()
{
    for (const QString &display : {QString(), QStringLiteral(":93")}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        if (!display.isEmpty())
            environment.insert("DISPLAY", display);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(qEnvironmentVariable("MX840"), {});
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 1);
        const QByteArray err = process.readAllStandardError();
        QCOMPARE(err.count('\n'), 1);
        QVERIFY2(err.startsWith("mx840: no display to show the window on"), err.constData());
    }
}

QTEST_GUILESS_MAIN(TestMx840Log)
#include "tst_mx840log.moc"
