#include "core/recording/TableFiles.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <thread>

#include <sys/resource.h>
#include <sys/stat.h>

namespace {

const QStringList DesignTitles{"No", "Time", "Value", "Unit"};

// A table as lines "No|Time|Value|Unit", with "~" for a null field and a
// trailing "*" for a row in the unchanged state.
QStringList dump(const ReadingTable &table)
{
    QStringList lines;
    for (qsizetype i = 0; i < table.rowCount(); ++i) {
        QStringList fields;
        for (int column = 0; column < 4; ++column)
            fields << table.text(i, column).value_or(QStringLiteral("~"));
        lines << fields.join(u'|') + (table.row(i).inserted ? "" : "*");
    }
    return lines;
}

ReadingTable tableOf(const QStringList &lines)
{
    ReadingTable table(64);
    for (const QString &line : lines) {
        const QStringList f = line.split(u'|');
        auto text = [](const QString &t) { return t == u"~" ? std::nullopt : std::optional<QString>(t); };
        table.append(
            {f[0] == u"~" ? std::nullopt : std::optional<qint32>(f[0].toInt()), text(f[1]), text(f[2]), text(f[3])});
    }
    return table;
}

TableFileJob::Status load(ReadingTable &table, const QByteArray &bytes, TableLayout layout, QString *error = nullptr)
{
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    TableLoad job(std::move(buffer), layout, table);
    const TableFileJob::Status status = job.run();
    if (error)
        *error = job.errorString();
    return status;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

const QByteArray XmlHead = "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
                           "<FIELD attrname=\"No\" fieldtype=\"i4\"/><FIELD attrname=\"Time\" fieldtype=\"string\" "
                           "WIDTH=\"20\"/><FIELD attrname=\"Value\" fieldtype=\"string\" WIDTH=\"20\"/><FIELD "
                           "attrname=\"Unit\" fieldtype=\"string\" WIDTH=\"20\"/></FIELDS>";

} // namespace

class TestTableFiles : public QObject
{
    Q_OBJECT

private slots:
    void layoutByExtension_data();
    void layoutByExtension();
    void textLayoutBytes();
    void xmlLayoutBytes();
    void roundTrips_data();
    void roundTrips();
    void readText_data();
    void readText();
    void readTextAppendsAndKeepsRowsBeforeAFailure();
    void readXml_data();
    void readXml();
    void refusedXml_data();
    void refusedXml();
    void refusedXmlKeepsTheTable();
    void entityBombFailsFast();
    void hostileXmlIsRefusedEarly_data();
    void hostileXmlIsRefusedEarly();
    void xmlStepsAreBounded();
    void devicesAreWrittenIntoNotReplaced();
    void unreadableFiles();
    void failedSaveKeepsTheOldFile();
    void cancelledJobsChangeNothing();
    void readingsRecordedDuringAnOpenAreKept();

private:
    QTemporaryDir dir;
};

void TestTableFiles::layoutByExtension_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("xml");
    QTest::newRow("xml") << "/tmp/a.xml" << true;
    QTest::newRow("upper case") << "/tmp/a.XML" << true;
    QTest::newRow("xls") << "/tmp/a.xls" << false;
    QTest::newRow("csv") << "/tmp/a.csv" << false;
    QTest::newRow("no extension") << "/tmp/readings" << false;
    QTest::newRow("dot in a folder") << "/tmp/d.xml/readings" << false;
    QTest::newRow("xml not last") << "/tmp/a.xml.txt" << false;
}

void TestTableFiles::layoutByExtension()
{
    QFETCH(QString, name);
    QFETCH(bool, xml);
    QCOMPARE(TableLayoutOf(name) == TableLayout::Xml, xml);
}

// Header in the grid's order, rows always No Time Value Unit, "NULL" for an
// empty text or No, CR LF everywhere.
void TestTableFiles::textLayoutBytes()
{
    const ReadingTable table = tableOf({"1|09:05:07|12.5|RPM", "2| \t09:05:08\x01 |~|", "~|09:05:09|7|Hz"});
    const QString path = dir.filePath("t.xls");
    QCOMPARE(TableSave(table, {"No", "Value", "Time", "Unit"}, path).run(), TableFileJob::Status::Done);
    QCOMPARE(readAll(path), QByteArray("No\tValue\tTime\tUnit\r\n"
                                       "1\t09:05:07\t12.5\tRPM\r\n"
                                       "2\t\" \t09:05:08\x01 \"\tNULL\tNULL\r\n"
                                       "NULL\t09:05:09\t7\tHz\r\n"));
    QCOMPARE(TableRowLine(table, 1), QByteArray("2\t\" \t09:05:08\x01 \"\tNULL\tNULL\r\n"));
    // A value that would not read back as one field is quoted (the meter's never are),
    // and so is the text NULL, which stands for an empty field unquoted.
    QCOMPARE(TableRowLine(tableOf({"3|a b|x\ty\r\nz|\"q\""}), 0),
             QByteArray("3\t\"a b\"\t\"x\ty\r\nz\"\t\"\"\"q\"\"\"\r\n"));
    QCOMPARE(TableRowLine(tableOf({"4|NULL|NULLS|~"}), 0), QByteArray("4\t\"NULL\"\tNULLS\tNULL\r\n"));

    QCOMPARE(TableSave(ReadingTable(64), DesignTitles, path).run(), TableFileJob::Status::Done);
    QCOMPARE(readAll(path), QByteArray("No\tTime\tValue\tUnit\r\n"));
}

void TestTableFiles::xmlLayoutBytes()
{
    const QString path = dir.filePath("t.xml");
    QCOMPARE(TableSave(ReadingTable(64), DesignTitles, path).run(), TableFileJob::Status::Done);
    QCOMPARE(readAll(path), XmlHead + "<PARAMS/></METADATA><ROWDATA></ROWDATA></DATAPACKET>");

    ReadingTable table = tableOf({"1|09:05:07|12.5|RPM", "~|<&>'\"|a\r\nb\tc\\|~"});
    table.append({3, QStringLiteral("t"), std::nullopt, QStringLiteral(""), false}); // loaded unchanged
    QCOMPARE(TableSave(table, DesignTitles, path).run(), TableFileJob::Status::Done);
    const QByteArray saved = XmlHead + "<PARAMS CHANGE_LOG=\"1 0 4 2 0 4\"/></METADATA><ROWDATA>"
                                       "<ROW RowState=\"4\" No=\"1\" Time=\"09:05:07\" Value=\"12.5\" Unit=\"RPM\"/>"
                                       "<ROW RowState=\"4\" Time=\"&lt;&amp;&gt;&apos;&quot;\" "
                                       "Value=\"a&#013;&#010;b&#009;c&#092;\"/>"
                                       "<ROW No=\"3\" Time=\"t\"/></ROWDATA></DATAPACKET>";
    QCOMPARE(readAll(path), saved);

    // A character XML cannot carry: the save names the row and writes nothing.
    table.append({4, QStringLiteral("u"), QStringLiteral("\x01"), std::nullopt, false});
    TableSave refused(table, DesignTitles, path);
    QCOMPARE(refused.run(), TableFileJob::Status::Failed);
    QVERIFY2(refused.errorString().startsWith("row 4: the Value"), qPrintable(refused.errorString()));
    QCOMPARE(readAll(path), saved);
}

void TestTableFiles::roundTrips_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("rows");
    const QStringList recorded{"1|09:05:07|12.5|RPM", "2|09:05:08|0.000|m/min", "-2147483648|23:59:59|OL|Hz"};
    QTest::newRow("text") << "r.xls" << recorded;
    QTest::newRow("text with separators inside values") << "r.txt" << QStringList{"5|a b|x\ty\r\nz|\"q\" c"};
    QTest::newRow("xml") << "r.xml" << recorded;
    QTest::newRow("xml with nulls and odd texts")
        << "r.xml" << QStringList{"~|~|~|~", "5|a b|\"q\"|\\&<>", "7|\xC3\xA9t\xC3\xA9|x\ty|twenty-one-chars-long"};
    // What an XML table may hold survives the text layout too: no No, empty texts, the text NULL.
    QTest::newRow("text with nulls") << "r.xls" << QStringList{"~|~|~|~", "~|09:05:07|~|NULL", "8|\"NULL\"|x|y"};
    QTest::newRow("text with blanks around") << "r.xls" << QStringList{"9| a |\t|\x01b\r"};
}

// Record, save, open: the same rows; and saving what was opened gives the same bytes.
void TestTableFiles::roundTrips()
{
    QFETCH(QString, name);
    QFETCH(QStringList, rows);
    const ReadingTable table = tableOf(rows);
    const QString path = dir.filePath(name);
    QCOMPARE(TableSave(table, DesignTitles, path).run(), TableFileJob::Status::Done);
    ReadingTable opened(64);
    QCOMPARE(TableLoad(path, opened).run(), TableFileJob::Status::Done);
    QCOMPARE(dump(opened), dump(table));
    const QString again = dir.filePath("again-" + name);
    QCOMPARE(TableSave(opened, DesignTitles, again).run(), TableFileJob::Status::Done);
    QCOMPARE(readAll(again), readAll(path));
}

void TestTableFiles::readText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<bool>("ok");
    QTest::newRow("empty file") << QByteArray() << QStringList() << true;
    QTest::newRow("header only") << QByteArray("No\tTime\tValue\tUnit\r\n") << QStringList() << true;
    QTest::newRow("first line always dropped")
        << QByteArray("1\ta\tb\tc\r\n2\td\te\tf") << QStringList{"2|d|e|f"} << true;
    QTest::newRow("LF, CR and CR LF") << QByteArray("h\n1 a\r2 b\r\n3 c\n")
                                      << QStringList{"1|a|~|~", "2|b|~|~", "3|c|~|~"} << true;
    QTest::newRow("runs of separators are one")
        << QByteArray("h\r\n\t 1\t\t a \x01\x1f b\tNULL  \r\n   \r\n") << QStringList{"1|a|b|~"} << true;
    QTest::newRow("a blank splits a value") << QByteArray("h\r\n1\t09:00\t1.5\tm min\r\n") << QStringList() << false;
    QTest::newRow("quotes") << QByteArray("h\n\"1\" \"a b\" \"say \"\"hi\"\"\" \"\"\n")
                            << QStringList{"1|a b|say \"hi\"|~"} << true;
    QTest::newRow("quote closes a field") << QByteArray("h\n1 \"a\"b\n") << QStringList{"1|a|b|~"} << true;
    QTest::newRow("line ends inside quotes")
        << QByteArray("h\n1 \"a\r\nb\" c\n2 d\n") << QStringList{"1|a\r\nb|c|~", "2|d|~|~"} << true;
    // A quote never closed would swallow the rest of the file: the rows before it stay.
    QTest::newRow("unclosed quote fails where it opened")
        << QByteArray("h\n0 x\n1 \"a b\n2 c\n3 d\n") << QStringList{"0|x|~|~"} << false;
    QTest::newRow("texts cut to 20") << QByteArray("h\n1 123456789012345678901234\n")
                                     << QStringList{"1|12345678901234567890|~|~"} << true;
    QTest::newRow("signs") << QByteArray("h\n+5 a\n-7 b\n") << QStringList{"5|a|~|~", "-7|b|~|~"} << true;
    QTest::newRow("No not whole") << QByteArray("h\n1 a\n1.5 b\n3 c\n") << QStringList{"1|a|~|~"} << false;
    QTest::newRow("an XML table") << QByteArray("<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET "
                                                "Version=\"2.0\"><ROWDATA><ROW No=\"1\"/></ROWDATA></DATAPACKET>")
                                  << QStringList() << false;
    QTest::newRow("two signs") << QByteArray("h\n+-5 a\n") << QStringList() << false;
    QTest::newRow("No too large") << QByteArray("h\n2147483648 a\n") << QStringList() << false;
    QTest::newRow("NULL is an empty field, \"NULL\" the text")
        << QByteArray("h\nNULL a NULL \"NULL\"\n") << QStringList{"~|a|~|NULL"} << true;
    QTest::newRow("five fields") << QByteArray("h\n1 a b c\n2 a b c d\n") << QStringList{"1|a|b|c"} << false;
    QTest::newRow("NUL byte") << QByteArray("h\n1 a\n2 \0b\n", 12) << QStringList{"1|a|~|~"} << false;
    QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBFh\n1 \xC3\xA9\n") << QStringList{"1|\xC3\xA9|~|~"}
                                    << true;
    const QString utf16Text = QStringLiteral("h\r\n1\t\u00e9\tNULL\r\n");
    QByteArray utf16("\xFF\xFE");
    utf16 += QByteArray(reinterpret_cast<const char *>(utf16Text.utf16()), utf16Text.size() * 2);
    QTest::newRow("UTF-16 with BOM") << utf16 << QStringList{"1|\xC3\xA9|~|~"} << true;
    QTest::newRow("UTF-16 without BOM") << utf16.sliced(2) << QStringList() << false;
    // A data packet under a text name, however it is encoded, is refused, not read as one header line.
    const QString packet = QStringLiteral("<?xml version=\"1.0\"?><DATAPACKET><ROWDATA><ROW No=\"1\"/></ROWDATA>"
                                          "</DATAPACKET>\r\n1 a\r\n");
    const QByteArray packet16(reinterpret_cast<const char *>(packet.utf16()), packet.size() * 2);
    QTest::newRow("XML in UTF-16 with BOM") << "\xFF\xFE" + packet16 << QStringList() << false;
    QTest::newRow("XML in UTF-16 without BOM") << packet16 << QStringList() << false;
    QTest::newRow("XML without declaration")
        << QByteArray(" \r\n<DATAPACKET Version=\"2.0\"><ROWDATA/></DATAPACKET>\n1 a\n") << QStringList() << false;
    QTest::newRow("UTF-32 with BOM") << QByteArray("\xFF\xFE\0\0h\0\0\0", 8) << QStringList() << false;
    QTest::newRow("1 MB field cut") << "h\n1 " + QByteArray(1 << 20, 'x') + "\n"
                                    << QStringList{"1|" + QString(20, u'x') + "|~|~"} << true;
    QTest::newRow("1 MB No") << "h\n" + QByteArray(1 << 20, '7') + " a\n" << QStringList() << false;
    QTest::newRow("1 MB of fields") << "h\n" + QByteArray(1 << 20, 'x').replace("xx", "x ") + "\n"
                                    << QStringList() << false;
}

void TestTableFiles::readText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rows);
    QFETCH(bool, ok);
    ReadingTable table(64);
    QString error;
    QCOMPARE(load(table, bytes, TableLayout::Text, &error),
             ok ? TableFileJob::Status::Done : TableFileJob::Status::Failed);
    QCOMPARE(error.isEmpty(), ok);
    QCOMPARE(dump(table), rows);
}

// Opening a text file appends; the same file twice gives its rows twice; the
// rows before a failing line stay, the line itself does not.
void TestTableFiles::readTextAppendsAndKeepsRowsBeforeAFailure()
{
    ReadingTable table = tableOf({"1|a|b|c"});
    QCOMPARE(load(table, "h\n2 d e f\n", TableLayout::Text), TableFileJob::Status::Done);
    QCOMPARE(load(table, "h\n2 d e f\n", TableLayout::Text), TableFileJob::Status::Done);
    QCOMPARE(dump(table), (QStringList{"1|a|b|c", "2|d|e|f", "2|d|e|f"}));
    QString error;
    QCOMPARE(load(table, "h\n3 g\n4 h i j k\n5 l\n", TableLayout::Text, &error), TableFileJob::Status::Failed);
    QCOMPARE(error, QStringLiteral("line 3: more than four fields"));
    QCOMPARE(dump(table).last(), QStringLiteral("3|g|~|~"));
    QCOMPARE(table.rowCount(), 4);
    QCOMPARE(load(table, "h\n6 m\n7 \"n\n8 o\n", TableLayout::Text, &error), TableFileJob::Status::Failed);
    QCOMPARE(error, QStringLiteral("line 3: the quote that opens a field here is never closed"));
    QCOMPARE(dump(table).last(), QStringLiteral("6|m|~|~"));
    QCOMPARE(load(table, QByteArray("\0\0\xFE\xFF", 4), TableLayout::Text, &error), TableFileJob::Status::Failed);
    QVERIFY2(error.contains("UTF-32"), qPrintable(error));

    // Lines are counted whatever ends them, also inside a quoted field.
    ReadingTable other(64);
    QCOMPARE(load(other, "h\r3 g\r4 h i j k\r", TableLayout::Text, &error), TableFileJob::Status::Failed);
    QCOMPARE(error, QStringLiteral("line 3: more than four fields"));
    QCOMPARE(load(other, "h\r\n1 \"a\r\nb\"\r\n4 h i j k\r\n", TableLayout::Text, &error),
             TableFileJob::Status::Failed);
    QCOMPARE(error, QStringLiteral("line 4: more than four fields"));
}

void TestTableFiles::readXml_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rows");
    const QByteArray fields = "<FIELDS><FIELD attrname=\"No\" fieldtype=\"i4\"/><FIELD attrname=\"Time\" "
                              "fieldtype=\"string\" WIDTH=\"20\"/><FIELD attrname=\"Value\" fieldtype=\"string\" "
                              "WIDTH=\"20\"/><FIELD attrname=\"Unit\" fieldtype=\"string\" WIDTH=\"20\"/></FIELDS>";
    QTest::newRow("empty") << QByteArray("<DATAPACKET Version=\"2.0\"><METADATA>" + fields +
                                         "<PARAMS/></METADATA><ROWDATA></ROWDATA></DATAPACKET>")
                           << QStringList();
    QTest::newRow("laid out, other attribute order, Latin-1")
        << QByteArray("<?xml version='1.0' encoding='ISO-8859-1'?>\n<!-- saved -->\n<DATAPACKET Version='2.0'>\n"
                      "  <METADATA>\n    <FIELDS>\n      <FIELD fieldtype='string' attrname='Unit' WIDTH='8'/>\n"
                      "      <FIELD attrname='Extra' fieldtype='bin.hex'/>\n"
                      "      <FIELD attrname='value' fieldtype='string.uni'/>\n"
                      "      <FIELD attrname='No' fieldtype='i8'/>\n      <FIELD attrname='Time' fieldtype='string'/>\n"
                      "    </FIELDS>\n    <PARAMS CHANGE_LOG='1 0 4' LCID='1033'/>\n  </METADATA>\n  <ROWDATA>\n"
                      "    <ROW Unit='\xE9' Extra='ff' value='1&#x41;' No='7' RowState='4'/>\n"
                      "    <ROW No='8'></ROW>\n  </ROWDATA>\n</DATAPACKET>\n")
        << QStringList{"7|~|1A|\xC3\xA9", "8|~|~|~*"};
    QTest::newRow("deleted and original rows are not rows")
        << QByteArray("<DATAPACKET><METADATA>" + fields +
                      "</METADATA><ROWDATA><ROW RowState=\"2\" No=\"1\"/><ROW RowState=\"1\" No=\"2\"/>"
                      "<ROW RowState=\"8\" No=\"3\"/><ROW RowState=\"6\" No=\"4\"/><ROW No=\"5\" Time=\"\"/>"
                      "</ROWDATA></DATAPACKET>")
        << QStringList{"3|~|~|~*", "5|~|~|~*"};
}

void TestTableFiles::readXml()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rows);
    ReadingTable table = tableOf({"99|old|row|x"});
    QString error;
    QVERIFY2(load(table, bytes, TableLayout::Xml, &error) == TableFileJob::Status::Done, qPrintable(error));
    QCOMPARE(dump(table), rows);
}

void TestTableFiles::refusedXml_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray field = "<FIELD attrname=\"%1\" fieldtype=\"%2\"/>";
    auto packet = [&](const QByteArray &types, const QByteArray &rows) {
        const QList<QByteArray> t = types.split(',');
        QByteArray fields;
        const char *names[4] = {"No", "Time", "Value", "Unit"};
        for (int i = 0; i < t.size(); ++i)
            fields += QByteArray(field).replace("%1", names[i]).replace("%2", t[i]);
        return "<DATAPACKET><METADATA><FIELDS>" + fields + "</FIELDS></METADATA><ROWDATA>" + rows +
               "</ROWDATA></DATAPACKET>";
    };
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("not XML") << QByteArray("No\tTime\tValue\tUnit\r\n1\ta\tb\tc\r\n");
    QTest::newRow("binary") << QByteArray("\x00\xFF\x13<\x01\x02", 6);
    QTest::newRow("other root") << QByteArray("<html><body/></html>");
    QTest::newRow("no ROWDATA") << QByteArray("<DATAPACKET><METADATA><FIELDS/></METADATA></DATAPACKET>");
    QTest::newRow("truncated") << packet("i4,string,string,string", "<ROW No=\"1\"/><ROW No=");
    QTest::newRow("missing field") << packet("i4,string,string", "");
    QTest::newRow("No not an integer type") << packet("string,string,string,string", "");
    QTest::newRow("Time not a text type") << packet("i4,r8,string,string", "");
    QTest::newRow("unknown type") << packet("i4,string,string,widget", "");
    QTest::newRow("No not whole") << packet("i4,string,string,string", "<ROW No=\"1.5\"/>");
    QTest::newRow("No too large") << packet("i8,string,string,string", "<ROW No=\"4294967296\"/>");
    QTest::newRow("RowState not a number") << packet("i4,string,string,string", "<ROW RowState=\"new\"/>");
    QTest::newRow("unexpected element") << packet("i4,string,string,string", "<COLUMN/>");
    QTest::newRow("element inside a ROW") << packet("i4,string,string,string", "<ROW No=\"1\"><ROW No=\"2\"/></ROW>");
    QTest::newRow("element inside a FIELD")
        << QByteArray("<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"No\" fieldtype=\"i4\"><X/></FIELD>");
    QTest::newRow("element inside PARAMS") << QByteArray("<DATAPACKET><METADATA><PARAMS><PARAMS/></PARAMS>");
    QTest::newRow("text in the packet") << packet("i4,string,string,string", "hello");
    QTest::newRow("doctype") << QByteArray("<!DOCTYPE DATAPACKET [<!ENTITY u \"RPM\">]>") +
                                    packet("i4,string,string,string", "<ROW No=\"1\" Unit=\"&u;\"/>");
    QTest::newRow("external entity") << QByteArray("<!DOCTYPE d [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
                                                   "<DATAPACKET>&x;</DATAPACKET>");
    QTest::newRow("undeclared entity") << packet("i4,string,string,string", "<ROW No=\"1\" Unit=\"&u;\"/>");
    const QString utf16 = QStringLiteral("<DATAPACKET/>");
    QTest::newRow("UTF-16 without declaration")
        << QByteArray(reinterpret_cast<const char *>(utf16.utf16()), utf16.size() * 2);
}

void TestTableFiles::refusedXml()
{
    QFETCH(QByteArray, bytes);
    ReadingTable table(64);
    QString error;
    QCOMPARE(load(table, bytes, TableLayout::Xml, &error), TableFileJob::Status::Failed);
    QVERIFY(!error.isEmpty());
    QCOMPARE(table.rowCount(), 0);
}

// A refused XML file leaves the table with its rows, still taking new ones.
void TestTableFiles::refusedXmlKeepsTheTable()
{
    ReadingTable table = tableOf({"1|a|b|c"});
    QCOMPARE(load(table, "<DATAPACKET><METADATA/><ROWDATA><ROW No=\"5\"/></ROWDATA></DATAPACKET>", TableLayout::Xml),
             TableFileJob::Status::Failed);
    table.append({2, QStringLiteral("d"), std::nullopt, std::nullopt});
    QCOMPARE(dump(table), (QStringList{"1|a|b|c", "2|d|~|~"}));
}

// Ten levels of ten references each: refused at the declaration, nothing expanded.
void TestTableFiles::entityBombFailsFast()
{
    QByteArray bomb = "<?xml version=\"1.0\"?><!DOCTYPE DATAPACKET [<!ENTITY l0 \"lol\">";
    for (int level = 1; level < 10; ++level) {
        bomb += "<!ENTITY l" + QByteArray::number(level) + " \"";
        for (int i = 0; i < 10; ++i)
            bomb += "&l" + QByteArray::number(level - 1) + ";";
        bomb += "\">";
    }
    bomb += "]><DATAPACKET><METADATA/><ROWDATA><ROW Time=\"&l9;\"/></ROWDATA></DATAPACKET>";
    ReadingTable table(64);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(load(table, bomb, TableLayout::Xml), TableFileJob::Status::Failed);
    QVERIFY2(clock.elapsed() < 1000, "the entities were expanded");
    QCOMPARE(table.rowCount(), 0);
}

// The start of a packet with its four fields, up to the rows.
const QByteArray PacketHead = "<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"No\" fieldtype=\"i4\"/>"
                              "<FIELD attrname=\"Time\" fieldtype=\"string\"/><FIELD attrname=\"Value\" "
                              "fieldtype=\"string\"/><FIELD attrname=\"Unit\" fieldtype=\"string\"/></FIELDS>"
                              "</METADATA><ROWDATA>";

QByteArray rowWithAttributes(int count)
{
    QByteArray row = "<ROW No=\"1\"";
    for (int i = 1; i < count; ++i)
        row += " a" + QByteArray::number(i) + "=\"\"";
    return row + "/>";
}

QByteArray utf16(const QByteArray &latin1, bool bigEndian)
{
    QByteArray out;
    for (const char c : latin1)
        out += bigEndian ? QByteArray(1, '\0') + c : QByteArray(1, c) + '\0';
    return out;
}

// Attributes by the hundred thousand, or elements nested by the million: the
// reader stops at once, having read little of the file.
void TestTableFiles::hostileXmlIsRefusedEarly_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");
    const QByteArray many = PacketHead + rowWithAttributes(200000);
    const QString tooMany = QStringLiteral("an element with more than 256 attributes");
    QTest::newRow("200,000 attributes") << many << tooMany;
    QTest::newRow("UTF-16") << utf16(many, false) << tooMany;
    QTest::newRow("UTF-16, big-endian, with BOM") << "\xFE\xFF" + utf16(many, true) << tooMany;
    QTest::newRow("behind a comment with a quote") << "<!-- it's -->" + many << tooMany;
    QTest::newRow("behind CDATA-like text in a comment") << "<!-- <![CDATA[ \" -->" + many << tooMany;
    QByteArray nested = PacketHead + "<ROW No=\"1\">";
    for (int i = 0; i < 3000000; ++i)
        nested += "<a>";
    QTest::newRow("30 MB of nested elements") << nested << QStringLiteral("an element a inside an empty one");
    // One token the reader would hold whole: refused once it passes a megacharacter.
    const QString tooLong = QStringLiteral("a piece of the document longer than 1048576 characters");
    const QByteArray huge(8 << 20, 'x');
    QTest::newRow("8 MB attribute value") << PacketHead + "<ROW No=\"1\" Value=\"" + huge + "\"/>" << tooLong;
    QTest::newRow("8 MB attribute value, UTF-16")
        << utf16(PacketHead + "<ROW No=\"1\" Value=\"" + huge + "\"/>", false) << tooLong;
    QTest::newRow("8 MB comment") << "<!--" + huge + "-->" + PacketHead << tooLong;
    QTest::newRow("8 MB of blanks") << PacketHead + QByteArray(8 << 20, ' ') << tooLong;
}

void TestTableFiles::hostileXmlIsRefusedEarly()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    auto buffer = std::make_unique<QBuffer>();
    QBuffer *source = buffer.get();
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    ReadingTable table(64);
    TableLoad job(std::move(buffer), TableLayout::Xml, table);
    QCOMPARE(job.run(), TableFileJob::Status::Failed);
    QCOMPARE(job.errorString(), error);
    const qint64 readAtMost = error.contains("longer than") ? 3 << 20 : 256 * 1024;
    QVERIFY2(source->pos() < readAtMost, qPrintable(QString::number(source->pos())));

    // As many attributes as a tag may have are taken.
    ReadingTable fine(64);
    QCOMPARE(load(fine, PacketHead + rowWithAttributes(256) + "</ROWDATA></DATAPACKET>", TableLayout::Xml),
             TableFileJob::Status::Done);
    QCOMPARE(fine.rowCount(), 1);
}

// A step of a long XML open reads about a megabyte, however many tokens that is.
void TestTableFiles::xmlStepsAreBounded()
{
    QByteArray rows = PacketHead;
    while (rows.size() < 5 * 1024 * 1024)
        rows += rowWithAttributes(200);
    rows += "</ROWDATA></DATAPACKET>";
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(rows);
    buffer->open(QIODevice::ReadOnly);
    ReadingTable table(64);
    TableLoad job(std::move(buffer), TableLayout::Xml, table);
    QCOMPARE(job.step(), TableFileJob::Status::Running);
    QVERIFY2(job.progress() < 2 * 1024 * 1024, qPrintable(QString::number(job.progress())));
    QCOMPARE(job.run(), TableFileJob::Status::Done);
}

// A name that is a device or a FIFO is written into and stays what it was:
// /dev/null is never replaced by a regular file.
void TestTableFiles::devicesAreWrittenIntoNotReplaced()
{
    const ReadingTable table = tableOf({"1|09:05:07|12.5|RPM"});
    for (const QString name : {"/dev/null", "/dev/full"}) {
        TableSave job(table, DesignTitles, name);
        QCOMPARE(job.run(), name == u"/dev/null" ? TableFileJob::Status::Done : TableFileJob::Status::Failed);
        QVERIFY(!QFileInfo(name).isFile());
        if (name == u"/dev/full")
            QCOMPARE(job.errorString(), qt_error_string(ENOSPC));
    }
    const QString fifo = dir.filePath("fifo.xls");
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    QByteArray received;
    std::thread reader([&] {
        QFile end(fifo);
        if (end.open(QIODevice::ReadOnly))
            received = end.readAll();
    });
    const TableFileJob::Status status = TableSave(table, DesignTitles, fifo).run();
    reader.join();
    QCOMPARE(status, TableFileJob::Status::Done);
    QCOMPARE(received, QByteArray("No\tTime\tValue\tUnit\r\n1\t09:05:07\t12.5\tRPM\r\n"));
    QVERIFY(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
}

void TestTableFiles::unreadableFiles()
{
    ReadingTable table = tableOf({"1|a|b|c"});
    for (const QString &name :
         {dir.filePath("missing.xls"), dir.filePath("missing.xml"), dir.path(), dir.path() + "/.xml"}) {
        QDir().mkpath(dir.path() + "/.xml");
        TableLoad job(name, table);
        QCOMPARE(job.run(), TableFileJob::Status::Failed);
        QVERIFY(!job.errorString().isEmpty());
    }
    QCOMPARE(table.rowCount(), 1);
}

// The old file survives a save that cannot create its file, and one that
// fails half-way (the file size limit stands in for a full disk).
void TestTableFiles::failedSaveKeepsTheOldFile()
{
    QStringList many;
    for (int i = 1; i <= 20000; ++i)
        many << QStringLiteral("%1|09:05:07|%2|RPM").arg(i).arg(i * 0.5);
    const ReadingTable table = tableOf(many);
    QTemporaryDir folder;
    for (const QString &name : {QStringLiteral("old.xls"), QStringLiteral("old.xml")}) {
        const QString path = folder.filePath(name);
        QVERIFY(writeFile(path, "previous contents"));
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 100000;
        setrlimit(RLIMIT_FSIZE, &small);
        TableSave job(table, DesignTitles, path);
        const TableFileJob::Status status = job.run();
        setrlimit(RLIMIT_FSIZE, &saved);
        QCOMPARE(status, TableFileJob::Status::Failed);
        QCOMPARE(job.errorString(), qt_error_string(EFBIG)); // the system's reason, not "Unknown error"
        QCOMPARE(readAll(path), QByteArray("previous contents"));
    }
    QCOMPARE(TableSave(table, DesignTitles, folder.filePath("no/such/folder/x.xls")).run(),
             TableFileJob::Status::Failed);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), (QStringList{"old.xls", "old.xml"}));
}

void TestTableFiles::cancelledJobsChangeNothing()
{
    QStringList many;
    for (int i = 1; i <= 150000; ++i)
        many << QStringLiteral("%1|t%2|v|u").arg(i).arg(i % 977);
    const ReadingTable big = tableOf(many);
    for (const QString &name : {QStringLiteral("c.xls"), QStringLiteral("c.xml")}) {
        const QString path = dir.filePath(name);
        QCOMPARE(TableSave(big, DesignTitles, path).run(), TableFileJob::Status::Done);
        const QByteArray saved = readAll(path);

        TableSave save(big, {"A", "B", "C", "D"}, path);
        QCOMPARE(save.step(), TableFileJob::Status::Running);
        save.cancel();
        QCOMPARE(save.status(), TableFileJob::Status::Cancelled);
        QCOMPARE(readAll(path), saved);

        ReadingTable table = tableOf({"1|a|b|c"});
        TableLoad open(path, table);
        QCOMPARE(open.step(), TableFileJob::Status::Running);
        QCOMPARE(open.step(), TableFileJob::Status::Running);
        QVERIFY(open.progress() > 0 && open.progress() < open.progressTotal());
        open.cancel();
        QCOMPARE(dump(table), QStringList{"1|a|b|c"});
    }
}

// Readings recorded while an open runs come after the loaded rows, whether
// those are appended (text) or replace the table (XML).
void TestTableFiles::readingsRecordedDuringAnOpenAreKept()
{
    QStringList fileRows(70000, QStringLiteral("7|f|i|le")); // more than one slice of either layout
    fileRows.last() = QStringLiteral("8|f|i|le");
    for (const QString &name : {QStringLiteral("d.xls"), QStringLiteral("d.xml")}) {
        const QString path = dir.filePath(name);
        QCOMPARE(TableSave(tableOf(fileRows), DesignTitles, path).run(), TableFileJob::Status::Done);
        ReadingTable table = tableOf({"1|o|l|d"});
        TableLoad open(path, table);
        QCOMPARE(open.step(), TableFileJob::Status::Running);
        table.append({2, QStringLiteral("n"), QStringLiteral("e"), QStringLiteral("w")});
        QCOMPARE(open.run(), TableFileJob::Status::Done);
        const QStringList rows = dump(table);
        const bool xml = name.endsWith(".xml");
        QCOMPARE(rows.size(), fileRows.size() + (xml ? 1 : 2));
        QCOMPARE(rows.first(), xml ? QStringLiteral("7|f|i|le") : QStringLiteral("1|o|l|d"));
        QCOMPARE(rows.mid(rows.size() - 2), (QStringList{"8|f|i|le", "2|n|e|w"}));
    }
}

QTEST_APPLESS_MAIN(TestTableFiles)
#include "tst_tablefiles.moc"
