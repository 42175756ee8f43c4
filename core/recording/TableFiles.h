#pragma once

#include "core/common/SlicedJob.h"
#include "core/common/WholeFile.h"
#include "core/recording/EncodedTexts.h"
#include "core/recording/ReadingTable.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QIODevice;

// The two layouts of a table file, chosen by the file name's extension alone:
// ".xml" (any case) is the XML data packet, anything else tab-separated text.
enum class TableLayout { Text, Xml };
TableLayout TableLayoutOf(const QString &fileName);

// The tab-separated layout, line by line (each ended by CR LF): the header
// from the grid's column titles in their current order, and a row.
QByteArray TableHeaderLine(const QStringList &titles);
QByteArray TableRowLine(const ReadingTable &table, qsizetype index);

// A save or an open, done a slice at a time; a failure's errorString() is for
// logs, the user is shown the fixed message.
using TableFileJob = SlicedJob;

// Writes the table to a file in the layout its name asks for. The old file is
// replaced only when the new one is complete and flushed to disk; a failed or
// cancelled save leaves it as it was. A name that exists and is not a regular
// file (a device, a FIFO) is written into directly, never replaced. Rows are
// counted at the start: rows recorded while the save runs wait for the next save.
class TableSave : public TableFileJob
{
public:
    TableSave(const ReadingTable &table, const QStringList &headerTitles, const QString &fileName);
    Status step() override;
    void cancel() override;

    // "Save table to specified file: ... Scuss!" and its failure counterpart.
    static QString successMessage(const QString &fileName);
    static QString failureMessage(const QString &fileName);

    // The box the window shows when a save has ended: the text layout says
    // so in information boxes; the XML one in a plain box, and a failure in
    // the platform's own "Cannot create file" box. No box for a cancelled save.
    struct Box
    {
        enum class Kind { None, Information, Plain, Error };
        Kind kind = Kind::None;
        QString text;
    };
    Box outcomeBox() const;

private:
    void writeStart(std::string &out);
    bool writeRows(std::string &out, qsizetype end);
    // Whether the layout can carry text `id` so that it reads back the same.
    bool carries(quint32 id);

    const ReadingTable &table;
    QStringList titles;
    QString fileName;
    TableLayout layout;
    WholeFile file;
    quint64 resetsAtStart;
    qsizetype nextRow = -1;     // -1: not started
    EncodedTexts encodedTexts;  // each distinct text as this layout writes it
    std::vector<qint8> carried; // per text id: 0 not looked at, 1 carried, -1 not
};

// Reads a table file into the table: a text file's rows are appended, an XML
// file's rows replace the table's. Rows are read aside and put into the table
// at the end, so a cancelled open leaves the table as it was, and readings
// recorded while the open runs are kept after the loaded rows.
//
// Failures: a text file keeps the rows read before the failing line (the line
// itself is dropped); an XML file that fails leaves the table as it was.
class TableLoad : public TableFileJob
{
public:
    TableLoad(const QString &fileName, ReadingTable &table, bool emptyFirst = false);
    // Reads from an open device (tests and fuzzing).
    TableLoad(std::unique_ptr<QIODevice> device, TableLayout layout, ReadingTable &table);
    ~TableLoad() override;
    Status step() override;
    void cancel() override;

    static QString failureMessage() { return QStringLiteral("Failed to Load File!"); }
    // Refuses a file that is not a regular one (a FIFO, a device) instead of
    // reading it: for the window, which must never wait on a file.
    void acceptRegularFilesOnly() { regularOnly = true; }

    class TextParser;
    class XmlParser;

private:
    bool open();
    bool openFile();
    Status finish(bool complete);

    QString fileName;
    std::unique_ptr<QIODevice> device;
    TableLayout layout;
    ReadingTable &table;
    bool replaceRows;
    bool regularOnly = false;
    qsizetype positionAtStart;
    ReadingTable staged{1024};
    QByteArray chunk;
    std::unique_ptr<TextParser> text;
    std::unique_ptr<XmlParser> xml;
};
