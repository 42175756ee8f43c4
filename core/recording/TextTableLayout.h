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

// A text field as it is written: trimmed, "NULL" when empty, quoted when it
// would not read back as one field.
QByteArray textFieldBytes(const QString &text);

// A row of the tab-separated layout; `textBytes` gives a text's field.
template <typename TextBytes>
void appendTextRow(std::string &out, const ReadingTable::RowIds &ids, TextBytes &&textBytes)
{
    if (ids.no)
        TableFields::appendNumber(out, *ids.no);
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
// Time, Value, Unit.
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
    int fieldCount = 0;
    qint64 line = 1;
    bool afterCarriageReturn = false;
    bool sawBytes = false;
    std::optional<QStringDecoder> utf16; // for a file that starts with a UTF-16 byte order mark
    std::string firstLineStart;          // its first few bytes, to tell an XML table
    StagedTexts texts;
};
