#pragma once

// The XML data packet: the bytes written around and for each row, and the reader.

#include "core/recording/TableFields.h"
#include "core/recording/TableFiles.h"
#include "core/recording/TextIds.h"
#include "core/recording/XmlTagLimit.h"

#include <QList>
#include <QXmlStreamReader>

#include <array>
#include <string>
#include <string_view>
#include <utility>

// An attribute value as it is written, with the entities the packet uses.
QByteArray xmlAttributeBytes(const QString &text);

namespace XmlPacket {
extern const QByteArray Prolog; // up to the fields' end
extern const QByteArray Epilog;
constexpr int InsertedRowState = 4;
// More than any data packet's element carries; bounds the reader's work per tag.
constexpr int MaxAttributes = 256;
// More than any value, comment or run of blanks of a data packet holds (the
// change log aside); bounds the reader's memory.
constexpr qint64 MaxTokenCharacters = 1 << 20;
} // namespace XmlPacket

// A ROW of the data packet: its change state unless unchanged, then each
// field that is not empty; `textBytes` gives a text's attribute value.
template <typename TextBytes>
void appendXmlRow(std::string &out, const ReadingTable::RowIds &ids, TextBytes &&textBytes)
{
    constexpr std::string_view TextAttributes[3] = {" Time=\"", " Value=\"", " Unit=\""};
    out += "<ROW";
    if (ids.inserted)
        out += " RowState=\"4\"";
    if (ids.no) {
        out += " No=\"";
        TableFields::appendNumber(out, *ids.no);
        out += '"';
    }
    const quint32 texts[3] = {ids.time, ids.value, ids.unit};
    for (int field = 0; field < 3; ++field) {
        const std::string_view value = texts[field] == 0 ? std::string_view() : textBytes(texts[field]);
        if (value.empty())
            continue;
        out += TextAttributes[field];
        out += value;
        out += '"';
    }
    out += "/>";
}

// ---------------------------------------------------------------- reading XML

// The XML data packet, token by token. Only the shape below is taken; a
// document type declaration is refused before anything in it is used, so no
// entity is ever expanded.
//
//   DATAPACKET > METADATA > FIELDS > FIELD*, PARAMS?   then   ROWDATA > ROW*
class TableLoad::XmlParser
{
public:
    XmlParser(QIODevice *source, ReadingTable &into)
        : limited(*source, XmlPacket::MaxAttributes, XmlPacket::MaxTokenCharacters)
        , reader(&limited)
        , rows(into)
        , texts(into, StagedTexts::Encoding::Utf16)
    {}

    // Reads up to `tokens` tokens; false once the document has ended or failed.
    bool read(int tokens);
    bool complete() const { return ended && error.isEmpty(); }
    QString error;

private:
    // Leaf: inside FIELD, PARAMS or ROW, which hold nothing.
    enum class Place { Document, Packet, Metadata, Fields, Rowdata, Leaf, Done };
    bool fail(const QString &why);
    bool enterLeaf();
    bool startElement();
    bool endElement();
    bool bindFields();
    bool readRow();

    XmlTagLimit limited;
    QXmlStreamReader reader;
    ReadingTable &rows;
    StagedTexts texts;
    Place place = Place::Document;
    Place leafParent = Place::Document;
    bool sawMetadata = false;
    bool sawParams = false;
    bool ended = false;
    // Declared fields: name and type, in file order.
    QList<std::pair<QString, QString>> declared;
    std::array<QString, 4> boundNames; // the ROW attribute of No, Time, Value, Unit
};
