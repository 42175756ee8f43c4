#include "core/recording/TableFiles.h"

#include "core/recording/XmlTagLimit.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <algorithm>
#include <array>
#include <charconv>

namespace {

constexpr qsizetype RowsPerSlice = 50000;
constexpr qint64 BytesPerSlice = 1 << 20;
constexpr int XmlTokensPerSlice = 60000;
// More than any data packet's element carries; bounds the reader's work per tag.
constexpr int MaxXmlAttributes = 256;

template <typename Bytes> void appendNumber(Bytes &out, qint64 number)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    out.append(digits, end - digits);
}

void append(std::string &out, const QByteArray &bytes)
{
    out.append(bytes.constData(), size_t(bytes.size()));
}

// A text field of the tab-separated layout: without leading and trailing
// blanks and control characters, and "NULL" when nothing is left. A field that
// would not read back as one field (a blank, tab or line end inside, or a
// leading quote) is quoted, with its quotes doubled; the meter's texts never are.
QByteArray textFieldBytes(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 32)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 32)
        --end;
    if (begin == end)
        return QByteArrayLiteral("NULL");
    const QStringView field = QStringView(text).sliced(begin, end - begin);
    const bool quoted =
        field.front() == u'"' || std::any_of(field.begin(), field.end(), [](QChar c) { return c.unicode() <= 32; });
    if (!quoted)
        return field.toUtf8();
    return '"' + field.toUtf8().replace('"', "\"\"") + '"';
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
    const bool plus = text.startsWith('+');
    if (plus)
        text = text.sliced(1);
    if (text.isEmpty() || (plus && text.startsWith('-')))
        return std::nullopt;
    qint32 number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return number;
}

// A row of the tab-separated layout; `textBytes` gives a text's field.
template <typename TextBytes>
void appendTextRow(std::string &out, const ReadingTable::RowIds &ids, TextBytes &&textBytes)
{
    if (ids.no)
        appendNumber(out, *ids.no);
    for (const quint32 id : {ids.time, ids.value, ids.unit}) {
        out += '\t';
        out += id == 0 ? std::string_view("NULL") : textBytes(id);
    }
    out += "\r\n";
}

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
        appendNumber(out, *ids.no);
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
    std::string line;
    QByteArray field;
    appendTextRow(line, table.rowIds(index), [&](quint32 id) {
        field = textFieldBytes(table.textById(id));
        return std::string_view(field.constData(), size_t(field.size()));
    });
    return QByteArray(line.data(), qsizetype(line.size()));
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
    : table(source), titles(headerTitles), fileName(name), layout(TableLayoutOf(name)), resetsAtStart(source.resets())
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

// The bytes of a text as this layout writes it. Every distinct text is encoded
// once, into one buffer: a million rows then read their texts from a few
// megabytes instead of from a heap block each.
std::string_view TableSave::textBytes(quint32 id)
{
    if (size_t(id) >= encodedSpans.size())
        encodedSpans.resize(size_t(table.textIdCount()));
    Span &span = encodedSpans[id];
    if (span.length == Span::Unknown) {
        const QString &text = table.textById(id);
        const QByteArray bytes = layout == TableLayout::Xml ? xmlAttributeBytes(text) : textFieldBytes(text);
        span = {quint32(encodedTexts.size()), quint32(bytes.size())};
        append(encodedTexts, bytes);
    }
    return std::string_view(encodedTexts).substr(span.offset, span.length);
}

bool TableSave::openFile()
{
    const QFileInfo info(fileName);
    if (info.exists() && !info.isFile() && !info.isDir())
        file = std::make_unique<QFile>(fileName);
    else
        file = std::make_unique<QSaveFile>(fileName);
    return file->open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

bool TableSave::commit()
{
    if (auto *saveFile = qobject_cast<QSaveFile *>(file.get()))
        return saveFile->commit();
    file->close();
    return file->error() == QFileDevice::NoError;
}

void TableSave::discard()
{
    if (auto *saveFile = qobject_cast<QSaveFile *>(file.get()))
        saveFile->cancelWriting();
    else if (file)
        file->close();
}

void TableSave::writeStart(std::string &out)
{
    if (layout == TableLayout::Text) {
        append(out, TableHeaderLine(titles));
        return;
    }
    append(out, XmlProlog);
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
    append(out, log.isEmpty() ? QByteArrayLiteral("<PARAMS/>") : "<PARAMS CHANGE_LOG=\"" + log + "\"/>");
    out += "</METADATA><ROWDATA>";
}

void TableSave::writeRows(std::string &out, qsizetype end)
{
    const auto bytesOf = [this](quint32 id) { return textBytes(id); };
    for (; nextRow < end; ++nextRow) {
        if (layout == TableLayout::Text)
            appendTextRow(out, table.rowIds(nextRow), bytesOf);
        else
            appendXmlRow(out, table.rowIds(nextRow), bytesOf);
    }
}

TableFileJob::Status TableSave::step()
{
    if (state != Status::Running)
        return state;
    std::string out;
    out.reserve(RowsPerSlice * 64); // a row of either layout, generously
    if (nextRow < 0) {
        if (!openFile())
            return fail(file->errorString());
        writeStart(out);
        nextRow = 0;
    }
    if (table.resets() != resetsAtStart) {
        discard();
        return fail(QStringLiteral("the table was changed while it was being saved"));
    }
    writeRows(out, std::min(totalUnits, nextRow + RowsPerSlice));
    doneUnits = nextRow;
    const bool last = nextRow == totalUnits;
    if (last && layout == TableLayout::Xml)
        append(out, XmlEpilog);
    if (file->write(out.data(), qint64(out.size())) != qint64(out.size())) {
        const QString why = file->errorString();
        discard();
        return fail(why);
    }
    if (!last)
        return state;
    if (!commit())
        return fail(file->errorString());
    state = Status::Done;
    return state;
}

void TableSave::cancel()
{
    if (state != Status::Running)
        return;
    if (file && file->isOpen())
        discard();
    state = Status::Cancelled;
}

// ---------------------------------------------------------------- reading text

namespace {

// Text ids by the bytes a text was read from, so that each distinct text is
// decoded and interned once. Open addressing over one array of small buckets and
// one buffer of key bytes: a lookup touches two compact places, not a heap
// block per key.
class TextIdsByBytes
{
public:
    std::optional<quint32> find(QByteArrayView key, quint32 hash) const
    {
        if (buckets.empty())
            return std::nullopt;
        for (size_t i = hash & mask();; i = (i + 1) & mask()) {
            const Slot &slot = buckets[i];
            if (slot.length == Slot::Empty)
                return std::nullopt;
            if (slot.hash == hash && keyOf(slot) == std::string_view(key.data(), size_t(key.size())))
                return slot.id;
        }
    }
    void insert(QByteArrayView key, quint32 hash, quint32 id)
    {
        if ((count + 1) * 2 > buckets.size())
            grow();
        place({hash, id, quint32(keys.size()), quint32(key.size())});
        keys.append(key.data(), size_t(key.size()));
        ++count;
    }
    static quint32 hashOf(QByteArrayView key)
    {
        return quint32(qHash(TextKey<QByteArrayView>{key}, QHashSeed::globalSeed()));
    }

private:
    struct Slot
    {
        static constexpr quint32 Empty = ~0U;
        quint32 hash = 0;
        quint32 id = 0;
        quint32 offset = 0;
        quint32 length = Empty;
    };
    size_t mask() const { return buckets.size() - 1; }
    std::string_view keyOf(const Slot &slot) const { return std::string_view(keys).substr(slot.offset, slot.length); }
    void place(const Slot &slot)
    {
        size_t i = slot.hash & mask();
        while (buckets[i].length != Slot::Empty)
            i = (i + 1) & mask();
        buckets[i] = slot;
    }
    void grow()
    {
        std::vector<Slot> old(std::max<size_t>(1024, buckets.size() * 2));
        old.swap(buckets);
        for (const Slot &slot : old) {
            if (slot.length != Slot::Empty)
                place(slot);
        }
    }

    std::vector<Slot> buckets;
    std::string keys;
    size_t count = 0;
};

// The texts of the rows being read, as ids of the table they go into. A text
// is decoded and interned the first time its bytes are seen; a column that
// repeats the text of the row before costs a comparison.
class StagedTexts
{
public:
    enum class Encoding { Utf8, Utf16 };
    StagedTexts(ReadingTable &into, Encoding encoding) : rows(into), utf16(encoding == Encoding::Utf16) {}

    quint32 idOf(int column, QByteArrayView bytes)
    {
        if (bytes.isEmpty())
            return 0;
        auto &[lastBytes, lastId] = lastText[size_t(column)];
        const std::string_view text(bytes.data(), size_t(bytes.size()));
        if (text == lastBytes)
            return lastId;
        const quint32 hash = TextIdsByBytes::hashOf(bytes);
        std::optional<quint32> id = idsByBytes.find(bytes, hash);
        if (!id) {
            id = rows.addText(decode(bytes));
            idsByBytes.insert(bytes, hash, *id);
        }
        lastBytes = text;
        lastId = *id;
        return lastId;
    }

private:
    QString decode(QByteArrayView bytes) const
    {
        if (!utf16)
            return QString::fromUtf8(bytes);
        return QString(reinterpret_cast<const QChar *>(bytes.data()), bytes.size() / qsizetype(sizeof(QChar)));
    }

    ReadingTable &rows;
    bool utf16;
    TextIdsByBytes idsByBytes;
    std::array<std::pair<std::string, quint32>, 4> lastText; // per column: units and times repeat row after row
};

} // namespace

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
    bool betweenFields(char c);
    void startField();
    void addToField(const char *from, const char *to);
    bool endLine();
    bool failLine(const QString &why);
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
    StagedTexts texts;
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

void TableLoad::TextParser::addToField(const char *from, const char *to)
{
    const size_t i = size_t(fieldCount - 1);
    const qsizetype room = KeptBytes - fieldLength[i];
    if (room > 0)
        fields[i].append(from, size_t(std::min<qsizetype>(room, to - from)));
    fieldLength[i] += to - from;
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
    ReadingTable::RowIds row{std::nullopt, 0, 0, 0, true};
    if (!fields[0].empty()) {
        const QByteArrayView no(fields[0].data(), qsizetype(fields[0].size()));
        row.no = fieldLength[0] <= KeptBytes ? wholeNumber(no) : std::nullopt;
        if (!row.no)
            return failLine(QStringLiteral("\"%1\" is not a whole number").arg(QString::fromUtf8(no)));
    }
    quint32 *ids[3] = {&row.time, &row.value, &row.unit};
    for (int i = 1; i < count; ++i)
        *ids[i - 1] = texts.idOf(i, QByteArrayView(fields[size_t(i)].data(), qsizetype(fields[size_t(i)].size())));
    rows.appendIds(row);
    return true;
}

// A character outside any field: a separator, a line end, or the start of the next field.
bool TableLoad::TextParser::betweenFields(char c)
{
    const auto code = quint8(c);
    if (code == 0)
        return failLine(QStringLiteral("a NUL character; not a text file"));
    if (c == '\r' || c == '\n') {
        if (!endLine())
            return false;
        countLineEnd(c);
        return true;
    }
    if (code <= 32)
        return true;
    if (fieldCount == 4)
        return failLine(QStringLiteral("more than four fields"));
    startField();
    if (c == '"') {
        state = State::Quoted;
    } else {
        addToField(&c, &c + 1);
        state = State::Plain;
    }
    return true;
}

bool TableLoad::TextParser::feed(QByteArrayView bytes)
{
    if (state == State::Failed)
        return false;
    const QByteArray utf8 = decode(bytes);
    const char *p = utf8.constData();
    const char *const end = p + utf8.size();
    while (p < end) {
        const char *q = p;
        if (*p != '\r' && *p != '\n')
            afterCarriageReturn = false;
        switch (state) {
        case State::FirstLine:
            while (q < end && *q != '\r' && *q != '\n' && *q != 0)
                ++q;
            if (q < end && *q == 0)
                return failLine(QStringLiteral("a NUL character; not a text file"));
            if (q < end) {
                countLineEnd(*q);
                state = State::BetweenFields;
                ++q;
            }
            break;
        case State::Plain:
            while (q < end && quint8(*q) > 32)
                ++q;
            addToField(p, q);
            if (q < end)
                state = State::BetweenFields; // the separator is looked at there
            break;
        case State::Quoted: // runs to the matching quote, line ends included
            while (q < end && *q != '"' && *q != '\r' && *q != '\n' && *q != 0)
                ++q;
            addToField(p, q);
            if (q < end && *q == '"') {
                state = State::QuoteInQuoted;
                ++q;
            } else if (q < end && *q != 0) {
                countLineEnd(*q);
                addToField(q, q + 1);
                ++q;
            } else if (q < end) {
                state = State::BetweenFields; // the NUL is refused there
            }
            break;
        case State::QuoteInQuoted:
            if (*q == '"') { // a doubled quote stands for one
                addToField(q, q + 1);
                state = State::Quoted;
                ++q;
            } else {
                state = State::BetweenFields; // the closing quote ended the field
            }
            break;
        case State::BetweenFields:
            if (!betweenFields(*q++))
                return false;
            break;
        case State::Failed: return false;
        }
        p = q;
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
    XmlParser(QIODevice *source, ReadingTable &into)
        : limited(*source, MaxXmlAttributes), reader(&limited), rows(into), texts(into, StagedTexts::Encoding::Utf16)
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
    ReadingTable::RowIds row{std::nullopt, 0, 0, 0, (rowState & InsertedRowState) != 0};
    const QStringView no = attributes.value(boundNames[0]);
    if (!no.isEmpty()) {
        row.no = wholeNumber(no.toLatin1());
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
    for (int i = 0; i < tokens && error.isEmpty() && limited.sourcePosition() - start < BytesPerSlice; ++i) {
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
    // A large file brings many distinct texts: size the pool for them at once
    // rather than growing it step by step.
    if (totalUnits > BytesPerSlice)
        staged = ReadingTable(1 << 20);
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
        table.splice(std::min(positionAtStart, table.rowCount()), std::move(staged), replaceRows);
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
    const qint64 left = device->isSequential() ? BytesPerSlice : device->size() - device->pos();
    chunk.resize(std::clamp<qint64>(left, 1, BytesPerSlice)); // the same buffer slice after slice
    const qint64 read = device->read(chunk.data(), chunk.size());
    chunk.resize(std::max<qint64>(read, 0));
    doneUnits = device->pos();
    if (read <= 0) {
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
