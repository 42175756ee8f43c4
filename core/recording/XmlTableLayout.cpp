#include "core/recording/XmlTableLayout.h"

#include <algorithm>

const QByteArray XmlPacket::Prolog = QByteArrayLiteral(
    "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
    "<FIELD attrname=\"No\" fieldtype=\"i4\"/><FIELD attrname=\"Time\" fieldtype=\"string\" WIDTH=\"20\"/>"
    "<FIELD attrname=\"Value\" fieldtype=\"string\" WIDTH=\"20\"/>"
    "<FIELD attrname=\"Unit\" fieldtype=\"string\" WIDTH=\"20\"/></FIELDS>");
const QByteArray XmlPacket::Epilog = QByteArrayLiteral("</ROWDATA></DATAPACKET>");

// An attribute value of the data packet. Characters XML cannot carry at all
// (other control characters, U+FFFE, U+FFFF) become U+FFFD so that the file
// can always be read back.
QByteArray xmlAttributeBytes(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '<': escaped += u"&lt;"; break;
        case '>': escaped += u"&gt;"; break;
        case '&': escaped += u"&amp;"; break;
        case '\'': escaped += u"&apos;"; break;
        case '"': escaped += u"&quot;"; break;
        case '\r': escaped += u"&#013;"; break;
        case '\n': escaped += u"&#010;"; break;
        case '\t': escaped += u"&#009;"; break;
        case '\\': escaped += u"&#092;"; break;
        default:
            if (c.unicode() < 32 || c.unicode() == 0xFFFE || c.unicode() == 0xFFFF)
                escaped += QChar::ReplacementCharacter;
            else
                escaped += c;
        }
    }
    return escaped.toUtf8();
}

bool TableLoad::XmlParser::fail(const QString &why)
{
    if (error.isEmpty())
        error = why;
    return false;
}

bool TableLoad::XmlParser::bindFields()
{
    static const QStringList IntegerTypes{"i1", "i2", "i4", "i8", "ui1", "ui2", "ui4", "ui8"};
    const QStringList &names = ReadingTable::FieldNames();
    for (int i = 0; i < 4; ++i) {
        const auto found = std::find_if(declared.cbegin(), declared.cend(), [&](const auto &field) {
            return field.first.compare(names[i], Qt::CaseInsensitive) == 0;
        });
        if (found == declared.cend())
            return fail(QStringLiteral("the field %1 is not declared").arg(names[i]));
        const bool fits = i == 0 ? IntegerTypes.contains(found->second) : found->second.startsWith(u"string");
        if (!fits)
            return fail(QStringLiteral("the field %1 has the type \"%2\"").arg(names[i], found->second));
        boundNames[size_t(i)] = found->first;
    }
    return true;
}

bool TableLoad::XmlParser::readRow()
{
    const QXmlStreamAttributes attributes = reader.attributes();
    uint rowState = 0;
    if (attributes.hasAttribute(QLatin1StringView("RowState"))) {
        bool ok = false;
        rowState = attributes.value(QLatin1StringView("RowState")).toUInt(&ok);
        if (!ok)
            return fail(QStringLiteral("a RowState that is not a number"));
    }
    ReadingTable::RowIds row{std::nullopt, 0, 0, 0, (rowState & XmlPacket::InsertedRowState) != 0};
    const QStringView no = attributes.value(boundNames[0]);
    if (!no.isEmpty()) {
        row.no = TableFields::wholeNumber(no.toLatin1());
        if (!row.no)
            return fail(QStringLiteral("the No \"%1\" is not a whole number").arg(no));
    }
    quint32 *ids[3] = {&row.time, &row.value, &row.unit};
    for (int i = 1; i < 4; ++i) {
        const QStringView value = attributes.value(boundNames[size_t(i)]);
        *ids[i - 1] = texts.idOf(
            i, QByteArrayView(reinterpret_cast<const char *>(value.utf16()), value.size() * qsizetype(sizeof(QChar))));
    }
    // A deleted row (2), or the original values of a changed row (1), is not
    // part of the table.
    if (!(rowState & 3))
        rows.appendIds(row);
    return enterLeaf();
}

bool TableLoad::XmlParser::enterLeaf()
{
    leafParent = place;
    place = Place::Leaf;
    return true;
}

bool TableLoad::XmlParser::startElement()
{
    const QStringView name = reader.name();
    switch (place) {
    case Place::Document:
        if (name != u"DATAPACKET")
            return fail(QStringLiteral("not a data packet"));
        place = Place::Packet;
        return true;
    case Place::Packet:
        if (name == u"METADATA" && !sawMetadata) {
            sawMetadata = true;
            place = Place::Metadata;
            return true;
        }
        if (name == u"ROWDATA" && sawMetadata) {
            place = Place::Rowdata;
            return bindFields();
        }
        break;
    case Place::Metadata:
        if (name == u"FIELDS" && declared.isEmpty() && !sawParams) {
            place = Place::Fields;
            return true;
        }
        if (name == u"PARAMS" && !sawParams) {
            sawParams = true;
            return enterLeaf();
        }
        break;
    case Place::Fields:
        if (name == u"FIELD") {
            const QXmlStreamAttributes attributes = reader.attributes();
            declared.append(std::pair(attributes.value(QLatin1StringView("attrname")).toString(),
                                      attributes.value(QLatin1StringView("fieldtype")).toString()));
            return enterLeaf();
        }
        break;
    case Place::Rowdata:
        if (name == u"ROW")
            return readRow();
        break;
    case Place::Leaf: return fail(QStringLiteral("an element %1 inside an empty one").arg(name));
    case Place::Done: break;
    }
    return fail(QStringLiteral("an unexpected element %1").arg(name));
}

bool TableLoad::XmlParser::endElement()
{
    switch (place) {
    case Place::Fields: place = Place::Metadata; break;
    case Place::Metadata: place = Place::Packet; break;
    case Place::Rowdata: place = Place::Done; break;
    case Place::Leaf: place = leafParent; break;
    case Place::Packet: return fail(QStringLiteral("no ROWDATA"));
    default: break;
    }
    return true;
}

bool TableLoad::XmlParser::read(int tokens)
{
    // A slice ends after so many tokens or so many bytes, whichever comes first.
    const qint64 start = limited.sourcePosition();
    for (int i = 0; i < tokens && error.isEmpty() && limited.sourcePosition() - start < TableFields::BytesPerSlice;
         ++i) {
        if (limited.exceeded())
            return fail(limited.errorText());
        switch (reader.readNext()) {
        case QXmlStreamReader::DTD:
        case QXmlStreamReader::EntityReference: return fail(QStringLiteral("a document type declaration"));
        case QXmlStreamReader::StartElement:
            if (!startElement())
                return false;
            break;
        case QXmlStreamReader::EndElement:
            if (!endElement())
                return false;
            break;
        case QXmlStreamReader::Characters:
            if (!reader.isWhitespace())
                return fail(QStringLiteral("text outside the attributes"));
            break;
        case QXmlStreamReader::EndDocument:
            ended = true;
            if (place != Place::Done)
                fail(QStringLiteral("not a data packet"));
            return false;
        case QXmlStreamReader::Invalid: return fail(limited.exceeded() ? limited.errorText() : reader.errorString());
        default: break; // declaration, comments, processing instructions
        }
    }
    if (limited.exceeded())
        return fail(limited.errorText());
    if (reader.hasError())
        return fail(reader.errorString());
    return error.isEmpty();
}
