#include "core/recording/TextTableLayout.h"

#include <algorithm>

// A text field of the tab-separated layout: "NULL" when empty. A text that
// would not read back as itself (a blank or control character anywhere, a
// leading quote, or the text NULL) is quoted whole, with its quotes doubled;
// the meter's texts never are.
QByteArray textFieldBytes(const QString &text)
{
    if (text.isEmpty())
        return QByteArrayLiteral("NULL");
    const bool quoted = text.front() == u'"' || text == u"NULL" ||
                        std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 32; });
    if (!quoted)
        return text.toUtf8();
    return '"' + text.toUtf8().replace('"', "\"\"") + '"';
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

// UTF-32, told by its byte order mark, is refused by name rather than as
// "a NUL character".
bool TableLoad::TextParser::refuseUtf32(QByteArrayView bytes)
{
    if (!bytes.startsWith(QByteArrayView("\xFF\xFE\0\0", 4)) && !bytes.startsWith(QByteArrayView("\0\0\xFE\xFF", 4)))
        return true;
    return failLine(QStringLiteral("UTF-32 text, which is not read; save it as UTF-8 or UTF-16"));
}

// UTF-8 as it stands (without a byte order mark); UTF-16 when the file starts
// with its byte order mark, or without one, with "<" as its first character.
QByteArray TableLoad::TextParser::decode(QByteArrayView bytes)
{
    if (!sawBytes) {
        sawBytes = true;
        const bool little = bytes.startsWith("\xFF\xFE") || bytes.startsWith(QByteArrayView("<\0", 2));
        const bool big = bytes.startsWith("\xFE\xFF") || bytes.startsWith(QByteArrayView("\0<", 2));
        if (little || big)
            utf16.emplace(little ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
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
    fieldQuoted[size_t(fieldCount)] = false;
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

// The first line is dropped as the header, whatever it says; but a file that
// starts as an XML table would lose all its rows that way (the XML layout
// writes its whole table on that line), so it is refused: one that starts,
// after blanks, with an XML declaration or with the packet's element.
bool TableLoad::TextParser::takeFirstLineStart(const char *from, const char *to)
{
    constexpr size_t Kept = 16;
    for (; from < to && firstLineStart.size() < Kept; ++from) {
        if (firstLineStart.empty() && quint8(*from) <= 32)
            continue;
        firstLineStart += *from;
    }
    return firstLineStart.size() < Kept || refuseXmlFirstLine();
}

bool TableLoad::TextParser::refuseXmlFirstLine()
{
    if (firstLineChecked)
        return true;
    firstLineChecked = true;
    const std::string_view start = firstLineStart;
    if (!start.starts_with("<?xml") && !start.starts_with("<DATAPACKET"))
        return true;
    return failLine(QStringLiteral("an XML table file, not a tab-separated one; open it under a name ending in .xml"));
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
    const auto isNull = [this](int i) { return !fieldQuoted[size_t(i)] && fields[size_t(i)] == "NULL"; };
    if (!fields[0].empty() && !isNull(0)) {
        const QByteArrayView no(fields[0].data(), qsizetype(fields[0].size()));
        row.no = fieldLength[0] <= KeptBytes ? TableFields::wholeNumber(no) : std::nullopt;
        if (!row.no)
            return failLine(QStringLiteral("\"%1\" is not a whole number").arg(QString::fromUtf8(no)));
    }
    quint32 *ids[3] = {&row.time, &row.value, &row.unit};
    for (int i = 1; i < count; ++i) {
        if (!isNull(i))
            *ids[i - 1] = texts.idOf(i, QByteArrayView(fields[size_t(i)].data(), qsizetype(fields[size_t(i)].size())));
    }
    rows.appendIds(row);
    return true;
}

// A character outside any field: a separator, a line end, or the start of the
// next field. An opening quote is taken; the first character of a plain field
// is left for the field to take.
bool TableLoad::TextParser::betweenFields(const char *&at)
{
    const char c = *at;
    const auto code = quint8(c);
    if (code > 32 && c != '"' && fieldCount < 4) { // the common case first
        startField();
        state = State::Plain;
        return true;
    }
    ++at;
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
    fieldQuoted[size_t(fieldCount - 1)] = true;
    quoteLine = line;
    state = State::Quoted; // a plain field was started above
    return true;
}

bool TableLoad::TextParser::feed(QByteArrayView bytes)
{
    if (state == State::Failed || (!sawBytes && !refuseUtf32(bytes)))
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
            if (!takeFirstLineStart(p, q) || (q < end && !refuseXmlFirstLine()))
                return false;
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
            if (!betweenFields(q))
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
    if (state == State::FirstLine)
        return refuseXmlFirstLine();
    if (state == State::Quoted) {
        line = quoteLine;
        return failLine(QStringLiteral("the quote that opens a field here is never closed"));
    }
    return endLine();
}
