#include "TableFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <array>
#include <charconv>

namespace {

const QString FieldNames[4] = {QStringLiteral("No"), QStringLiteral("Time"), QStringLiteral("Value"),
                               QStringLiteral("Unit")};

constexpr qsizetype RowsPerSlice = 50000;
constexpr qint64 BytesPerSlice = 1 << 20;
constexpr int XmlTokensPerSlice = 60000;

void appendNumber(QByteArray &out, qint64 number)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    out.append(digits, end - digits);
}

// A text field of the tab-separated layout: without leading and trailing
// blanks and control characters, and "NULL" when nothing is left.
QByteArray textFieldBytes(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 32)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 32)
        --end;
    return begin == end ? QByteArrayLiteral("NULL") : QStringView(text).sliced(begin, end - begin).toUtf8();
}

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

// Whole numbers as the table's No field takes them: an optional sign and
// decimal digits, within 32 bits.
std::optional<qint32> wholeNumber(QByteArrayView text)
{
    if (text.startsWith('+'))
        text = text.sliced(1);
    if (text.isEmpty() || text.startsWith('+'))
        return std::nullopt;
    qint32 number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return number;
}

const QByteArray XmlProlog = QByteArrayLiteral(
    "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
    "<FIELD attrname=\"No\" fieldtype=\"i4\"/><FIELD attrname=\"Time\" fieldtype=\"string\" WIDTH=\"20\"/>"
    "<FIELD attrname=\"Value\" fieldtype=\"string\" WIDTH=\"20\"/>"
    "<FIELD attrname=\"Unit\" fieldtype=\"string\" WIDTH=\"20\"/></FIELDS>");
const QByteArray XmlEpilog = QByteArrayLiteral("</ROWDATA></DATAPACKET>");
constexpr int InsertedRowState = 4;

} // namespace

TableLayout TableLayoutOf(const QString &fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    const bool xml = dot >= 0 && name.sliced(dot).toLower() == u".xml";
    return xml ? TableLayout::Xml : TableLayout::Text;
}

QByteArray TableHeaderLine(const QStringList &titles)
{
    return titles.join(u'\t').toUtf8() + "\r\n";
}

QByteArray TableRowLine(const ReadingTable &table, qsizetype index)
{
    const ReadingTable::RowIds ids = table.rowIds(index);
    QByteArray line;
    if (ids.no)
        appendNumber(line, *ids.no);
    for (const quint32 id : {ids.time, ids.value, ids.unit})
        line += '\t' + (id == 0 ? QByteArrayLiteral("NULL") : textFieldBytes(table.textById(id)));
    return line + "\r\n";
}

TableFileJob::Status TableFileJob::run()
{
    while (step() == Status::Running) {
    }
    return state;
}

TableFileJob::Status TableFileJob::fail(const QString &why)
{
    error = why;
    state = Status::Failed;
    return state;
}

// ---------------------------------------------------------------- saving

TableSave::TableSave(const ReadingTable &source, const QStringList &headerTitles, const QString &name)
    : table(source), titles(headerTitles), layout(TableLayoutOf(name)), file(name), resetsAtStart(source.resets())
{
    totalUnits = source.rowCount();
}

QString TableSave::successMessage(const QString &fileName)
{
    return QStringLiteral("Save table to specified file: ") + fileName + QStringLiteral(" Scuss!");
}

QString TableSave::failureMessage(const QString &fileName)
{
    return QStringLiteral("Could not save table to specified file: ") + fileName;
}

const QByteArray &TableSave::textBytes(quint32 id)
{
    if (size_t(id) >= encoded.size()) {
        encoded.resize(size_t(table.textIdCount()));
        isEncoded.resize(encoded.size());
    }
    if (!isEncoded[id]) {
        const QString &text = table.textById(id);
        encoded[id] = layout == TableLayout::Xml ? xmlAttributeBytes(text) : textFieldBytes(text);
        isEncoded[id] = true;
    }
    return encoded[id];
}

void TableSave::writeStart(QByteArray &out)
{
    if (layout == TableLayout::Text) {
        out = TableHeaderLine(titles);
        return;
    }
    out = XmlProlog;
    // The change log: one entry per inserted row, "<row> 0 4".
    QByteArray log;
    for (qsizetype i = 0; i < totalUnits; ++i) {
        if (!table.rowIds(i).inserted)
            continue;
        if (!log.isEmpty())
            log += ' ';
        appendNumber(log, i + 1);
        log += " 0 4";
    }
    out += log.isEmpty() ? QByteArrayLiteral("<PARAMS/>") : "<PARAMS CHANGE_LOG=\"" + log + "\"/>";
    out += "</METADATA><ROWDATA>";
}

void TableSave::writeRows(QByteArray &out, qsizetype end)
{
    static const QByteArray Null = QByteArrayLiteral("NULL");
    static const QByteArray AttributeStarts[3] = {" Time=\"", " Value=\"", " Unit=\""};
    for (; nextRow < end; ++nextRow) {
        const ReadingTable::RowIds ids = table.rowIds(nextRow);
        const quint32 texts[3] = {ids.time, ids.value, ids.unit};
        if (layout == TableLayout::Text) {
            if (ids.no)
                appendNumber(out, *ids.no);
            for (const quint32 id : texts) {
                out += '\t';
                out += id == 0 ? Null : textBytes(id);
            }
            out += "\r\n";
            continue;
        }
        out += "<ROW";
        if (ids.inserted)
            out += " RowState=\"4\"";
        if (ids.no) {
            out += " No=\"";
            appendNumber(out, *ids.no);
            out += '"';
        }
        for (int field = 0; field < 3; ++field) {
            const quint32 id = texts[field];
            if (id == 0 || textBytes(id).isEmpty())
                continue;
            out += AttributeStarts[field];
            out += textBytes(id);
            out += '"';
        }
        out += "/>";
    }
}

TableFileJob::Status TableSave::step()
{
    if (state != Status::Running)
        return state;
    QByteArray out;
    if (nextRow < 0) {
        if (!file.open(QIODevice::WriteOnly))
            return fail(file.errorString());
        writeStart(out);
        nextRow = 0;
    }
    if (table.resets() != resetsAtStart) {
        file.cancelWriting();
        return fail(QStringLiteral("the table was changed while it was being saved"));
    }
    writeRows(out, std::min(totalUnits, nextRow + RowsPerSlice));
    doneUnits = nextRow;
    const bool last = nextRow == totalUnits;
    if (last && layout == TableLayout::Xml)
        out += XmlEpilog;
    if (file.write(out) != out.size())
        return fail(file.errorString());
    if (!last)
        return state;
    if (!file.commit())
        return fail(file.errorString());
    state = Status::Done;
    return state;
}

void TableSave::cancel()
{
    if (state != Status::Running)
        return;
    if (file.isOpen())
        file.cancelWriting();
    state = Status::Cancelled;
}

// ---------------------------------------------------------------- reading text

// The tab-separated layout, fed in chunks of bytes. The first line is dropped;
// in every further line, characters 1 to 32 separate fields, a field that
// begins with a double quote runs to the matching one ("" inside stands for
// one), and up to four fields make a row: No, Time, Value, Unit.
class TableLoad::TextParser
{
public:
    explicit TextParser(ReadingTable &into) : rows(into) {}

    // False once the file has failed; `error` says why.
    bool feed(QByteArrayView bytes);
    bool finish();
    QString error;

private:
    enum class State { FirstLine, BetweenFields, Plain, Quoted, QuoteInQuoted, Failed };
    // Texts are cut to 20 characters: 80 bytes hold 20 characters of any kind.
    static constexpr qsizetype KeptBytes = 4 * ReadingTable::TextFieldSize;

    QByteArray decode(QByteArrayView bytes);
    void startField();
    void addToField(char c);
    bool endLine();
    bool failLine(const QString &why);

    ReadingTable &rows;
    State state = State::FirstLine;
    std::array<QByteArray, 4> fields;
    std::array<qsizetype, 4> fieldLength{};
    int fieldCount = 0;
    qint64 line = 1;
    bool sawBytes = false;
    std::optional<QStringDecoder> utf16; // for a file that starts with a UTF-16 byte order mark
};

// UTF-8 as it stands (without a byte order mark); UTF-16 when the file starts
// with its byte order mark.
QByteArray TableLoad::TextParser::decode(QByteArrayView bytes)
{
    if (!sawBytes) {
        sawBytes = true;
        if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
            utf16.emplace(bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                          QStringConverter::Flag::ConvertInitialBom);
        else if (bytes.startsWith("\xEF\xBB\xBF"))
            bytes = bytes.sliced(3);
    }
    if (!utf16)
        return QByteArray::fromRawData(bytes.data(), bytes.size());
    const QString decoded = (*utf16)(bytes);
    return decoded.toUtf8();
}

void TableLoad::TextParser::startField()
{
    fields[size_t(fieldCount)].clear();
    fieldLength[size_t(fieldCount)] = 0;
    ++fieldCount;
}

void TableLoad::TextParser::addToField(char c)
{
    const size_t i = size_t(fieldCount - 1);
    if (fieldLength[i]++ < KeptBytes)
        fields[i] += c;
}

bool TableLoad::TextParser::failLine(const QString &why)
{
    error = QStringLiteral("line %1: %2").arg(line).arg(why);
    state = State::Failed;
    return false;
}

bool TableLoad::TextParser::endLine()
{
    const int count = fieldCount;
    fieldCount = 0;
    if (count == 0)
        return true;
    ReadingTable::Row row;
    if (!fields[0].isEmpty()) {
        const std::optional<qint32> no = fieldLength[0] <= KeptBytes ? wholeNumber(fields[0]) : std::nullopt;
        if (!no)
            return failLine(QStringLiteral("\"%1\" is not a whole number").arg(QString::fromUtf8(fields[0])));
        row.No = no;
    }
    std::optional<QString> *texts[3] = {&row.Time, &row.Value, &row.Unit};
    for (int i = 1; i < count; ++i) {
        if (!fields[size_t(i)].isEmpty())
            *texts[i - 1] = QString::fromUtf8(fields[size_t(i)]);
    }
    rows.append(row);
    return true;
}

bool TableLoad::TextParser::feed(QByteArrayView bytes)
{
    if (state == State::Failed)
        return false;
    const QByteArray utf8 = decode(bytes);
    for (const char c : utf8) {
        const auto code = quint8(c);
        if (code == 0)
            return failLine(QStringLiteral("a NUL character; not a text file"));
        const bool lineEnd = c == '\r' || c == '\n';
        switch (state) {
        case State::FirstLine:
            if (lineEnd)
                state = State::BetweenFields;
            line += c == '\n';
            continue;
        case State::QuoteInQuoted:
            if (c == '"') { // a doubled quote stands for one
                addToField(c);
                state = State::Quoted;
                continue;
            }
            state = State::BetweenFields;
            break; // the closing quote ended the field; look at c again
        case State::Quoted:
            if (c == '"')
                state = State::QuoteInQuoted;
            else if (lineEnd)
                state = State::BetweenFields; // an unclosed quote ends with its line
            else
                addToField(c);
            if (!lineEnd)
                continue;
            break;
        case State::Plain:
            if (code > 32) {
                addToField(c);
                continue;
            }
            state = State::BetweenFields;
            break;
        default: break;
        }
        // Between fields: separators, line ends and the start of the next field.
        if (lineEnd) {
            if (!endLine())
                return false;
            line += c == '\n';
        } else if (code > 32) {
            if (fieldCount == 4)
                return failLine(QStringLiteral("more than four fields"));
            startField();
            if (c == '"')
                state = State::Quoted;
            else {
                addToField(c);
                state = State::Plain;
            }
        }
    }
    return true;
}

bool TableLoad::TextParser::finish()
{
    if (state == State::Failed)
        return false;
    return state == State::FirstLine || endLine();
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
    XmlParser(QIODevice *source, ReadingTable &into) : reader(source), rows(into) {}

    // Reads up to `tokens` tokens; false once the document has ended or failed.
    bool read(int tokens);
    bool complete() const { return ended && error.isEmpty(); }
    QString error;

private:
    enum class Place { Document, Packet, Metadata, Fields, Rowdata, Done };
    bool fail(const QString &why);
    bool startElement();
    bool endElement();
    bool bindFields();
    bool readRow();

    QXmlStreamReader reader;
    ReadingTable &rows;
    Place place = Place::Document;
    bool sawMetadata = false;
    bool sawParams = false;
    bool ended = false;
    // Declared fields: name and type, in file order.
    QList<std::pair<QString, QString>> declared;
    std::array<QString, 4> boundNames; // the ROW attribute of No, Time, Value, Unit
};

bool TableLoad::XmlParser::fail(const QString &why)
{
    if (error.isEmpty())
        error = why;
    return false;
}

bool TableLoad::XmlParser::bindFields()
{
    static const QStringList IntegerTypes{"i1", "i2", "i4", "i8", "ui1", "ui2", "ui4", "ui8"};
    for (int i = 0; i < 4; ++i) {
        const auto found = std::find_if(declared.cbegin(), declared.cend(), [&](const auto &field) {
            return field.first.compare(FieldNames[i], Qt::CaseInsensitive) == 0;
        });
        if (found == declared.cend())
            return fail(QStringLiteral("the field %1 is not declared").arg(FieldNames[i]));
        const bool fits = i == 0 ? IntegerTypes.contains(found->second) : found->second.startsWith(u"string");
        if (!fits)
            return fail(QStringLiteral("the field %1 has the type \"%2\"").arg(FieldNames[i], found->second));
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
    ReadingTable::Row row;
    row.inserted = (rowState & InsertedRowState) != 0;
    const QStringView no = attributes.value(boundNames[0]);
    if (!no.isEmpty()) {
        row.No = wholeNumber(no.toUtf8());
        if (!row.No)
            return fail(QStringLiteral("the No \"%1\" is not a whole number").arg(no));
    }
    std::optional<QString> *texts[3] = {&row.Time, &row.Value, &row.Unit};
    for (int i = 1; i < 4; ++i) {
        const QStringView value = attributes.value(boundNames[size_t(i)]);
        if (!value.isEmpty())
            *texts[i - 1] = value.toString();
    }
    // A deleted row (2), or the original values of a changed row (1), is not
    // part of the table.
    if (!(rowState & 3))
        rows.append(row);
    reader.skipCurrentElement();
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
            reader.skipCurrentElement();
            return true;
        }
        break;
    case Place::Fields:
        if (name == u"FIELD") {
            const QXmlStreamAttributes attributes = reader.attributes();
            declared.append(std::pair(attributes.value(QLatin1StringView("attrname")).toString(),
                                      attributes.value(QLatin1StringView("fieldtype")).toString()));
            reader.skipCurrentElement();
            return true;
        }
        break;
    case Place::Rowdata:
        if (name == u"ROW")
            return readRow();
        break;
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
    case Place::Packet: return fail(QStringLiteral("no ROWDATA"));
    default: break;
    }
    return true;
}

bool TableLoad::XmlParser::read(int tokens)
{
    for (int i = 0; i < tokens && error.isEmpty(); ++i) {
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
        case QXmlStreamReader::Invalid: return fail(reader.errorString());
        default: break; // declaration, comments, processing instructions
        }
    }
    if (reader.hasError())
        return fail(reader.errorString());
    return error.isEmpty();
}

// ---------------------------------------------------------------- the open job

TableLoad::TableLoad(const QString &name, ReadingTable &into, bool emptyFirst)
    : fileName(name)
    , layout(TableLayoutOf(name))
    , table(into)
    , replaceRows(emptyFirst || layout == TableLayout::Xml)
    , positionAtStart(into.rowCount())
{}

TableLoad::TableLoad(std::unique_ptr<QIODevice> source, TableLayout sourceLayout, ReadingTable &into)
    : device(std::move(source))
    , layout(sourceLayout)
    , table(into)
    , replaceRows(layout == TableLayout::Xml)
    , positionAtStart(into.rowCount())
{}

TableLoad::~TableLoad() = default;

bool TableLoad::open()
{
    if (!device) {
        if (QFileInfo(fileName).isDir()) {
            fail(QStringLiteral("%1 is a folder").arg(fileName));
            return false;
        }
        auto file = std::make_unique<QFile>(fileName);
        if (!file->open(QIODevice::ReadOnly)) {
            fail(file->errorString());
            return false;
        }
        device = std::move(file);
    }
    totalUnits = device->size();
    if (layout == TableLayout::Xml)
        xml = std::make_unique<XmlParser>(device.get(), staged);
    else
        text = std::make_unique<TextParser>(staged);
    return true;
}

// Puts what was read into the table: all of it, or for a text file that
// failed, the rows before the failing line.
TableFileJob::Status TableLoad::finish(bool complete)
{
    if (complete || layout == TableLayout::Text)
        table.splice(std::min(positionAtStart, table.rowCount()), staged, replaceRows);
    staged.clear();
    if (complete) {
        doneUnits = totalUnits;
        state = Status::Done;
        return state;
    }
    return fail(text ? text->error : xml ? xml->error : error);
}

TableFileJob::Status TableLoad::step()
{
    if (state != Status::Running)
        return state;
    if (!text && !xml && !open())
        return state;
    if (xml) {
        const bool going = xml->read(XmlTokensPerSlice);
        doneUnits = device->pos();
        if (!going)
            return finish(xml->complete());
        return state;
    }
    const QByteArray chunk = device->read(BytesPerSlice);
    doneUnits = device->pos();
    if (chunk.isEmpty()) {
        if (device->atEnd() || device->isSequential())
            return finish(text->finish());
        text->error = device->errorString();
        return finish(false);
    }
    if (!text->feed(chunk))
        return finish(false);
    return state;
}

void TableLoad::cancel()
{
    if (state != Status::Running)
        return;
    staged.clear();
    state = Status::Cancelled;
}
