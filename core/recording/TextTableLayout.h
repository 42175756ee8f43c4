#pragma once

// The tab-separated layout: a row as it is written, and the reader.

#include "core/recording/TableFields.h"
#include "core/recording/TableFiles.h"
#include "core/recording/TextIds.h"

#include <QStringDecoder>

#include <array>
#include <optional>
#include <string>
#include <string_view>

// A text field as it is written: "NULL" when empty, quoted when it would not
// read back as itself (the text "NULL" among them).
QByteArray textFieldBytes(const QString &text);

// A row of the tab-separated layout; `textBytes` gives a text's field. An
// empty No is written as "NULL" too: a line starting with a tab would read
// back with its fields shifted.
template <typename TextBytes>
void appendTextRow(std::string &out, const ReadingTable::RowIds &ids, TextBytes &&textBytes)
{
    if (ids.no)
        TableFields::appendNumber(out, *ids.no);
    else
        out += "NULL";
    for (const quint32 id : {ids.time, ids.value, ids.unit}) {
        out += '\t';
        out += id == 0 ? std::string_view("NULL") : textBytes(id);
    }
    out += "\r\n";
}

// The tab-separated layout, fed in chunks of bytes. The first line is dropped;
// in every further line, characters 1 to 32 separate fields, a field that
// begins with a double quote runs to the matching one ("" inside stands for
// one; line ends inside belong to it), and up to four fields make a row: No,
// Time, Value, Unit. An unquoted NULL is an empty field.
//
// A file that holds an XML table (in any encoding) is refused rather than
// read as one header line, and so is UTF-32, which is not read.
class TableLoad::TextParser
{
public:
    explicit TextParser(ReadingTable &into) : rows(into), texts(into, StagedTexts::Encoding::Utf8) {}

    // False once the file has failed; `error` says why.
    bool feed(QByteArrayView bytes);
    bool finish();
    QString error;

private:
    enum class State { FirstLine, BetweenFields, Plain, Quoted, QuoteInQuoted, Failed };
    // Texts are cut to 20 characters: 80 bytes hold 20 characters of any kind.
    static constexpr qsizetype KeptBytes = 4 * ReadingTable::TextFieldSize;

    QByteArray decode(QByteArrayView bytes);
    bool betweenFields(const char *&at);
    void startField();
    void addToField(const char *from, const char *to);
    bool endLine();
    bool failLine(const QString &why);
    bool takeFirstLineStart(const char *from, const char *to);
    bool refuseXmlFirstLine();
    bool refuseUtf32(QByteArrayView bytes);
    // Lines end in CR, LF or both.
    void countLineEnd(char c)
    {
        line += !(c == '\n' && afterCarriageReturn);
        afterCarriageReturn = c == '\r';
    }

    ReadingTable &rows;
    State state = State::FirstLine;
    std::array<std::string, 4> fields; // reused line after line
    std::array<qsizetype, 4> fieldLength{};
    std::array<bool, 4> fieldQuoted{};
    int fieldCount = 0;
    qint64 line = 1;
    qint64 quoteLine = 0; // where the quoted field being read opened
    bool afterCarriageReturn = false;
    bool sawBytes = false;
    std::optional<QStringDecoder> utf16; // for a file that starts with a UTF-16 byte order mark
    std::string firstLineStart;          // its first few bytes, to tell an XML table
    bool firstLineChecked = false;
    StagedTexts texts;
};
