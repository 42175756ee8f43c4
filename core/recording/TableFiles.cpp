#include "core/recording/TableFiles.h"

#include "core/common/Messages.h"
#include "core/recording/TextTableLayout.h"
#include "core/recording/XmlTableLayout.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

constexpr qsizetype RowsPerSlice = 50000;
constexpr int XmlTokensPerSlice = 60000;

} // namespace

TableLayout TableLayoutOf(const QString &fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    const bool xml = dot >= 0 && name.sliced(dot).toLower() == u".xml";
    return xml ? TableLayout::Xml : TableLayout::Text;
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
    : table(source)
    , titles(headerTitles)
    , fileName(name)
    , layout(TableLayoutOf(name))
    , file(name)
    , resetsAtStart(source.resets())
    , encodedTexts(source, layout == TableLayout::Xml ? xmlAttributeBytes : textFieldBytes)
{
    totalUnits = source.rowCount();
}

QString TableSave::successMessage(const QString &fileName)
{
    return QStringLiteral("Save table to specified file: ") + fileName + QStringLiteral(" Scuss!");
}

TableSave::Box TableSave::outcomeBox() const
{
    const bool xml = layout == TableLayout::Xml;
    switch (state) {
    case Status::Done: return {xml ? Box::Kind::Plain : Box::Kind::Information, successMessage(fileName)};
    case Status::Failed:
        return {Box::Kind::Error, xml ? Messages::CannotCreateFile(fileName, error) : failureMessage(fileName)};
    default: return {};
    }
}

QString TableSave::failureMessage(const QString &fileName)
{
    return QStringLiteral("Could not save table to specified file: ") + fileName;
}

void TableSave::writeStart(std::string &out)
{
    if (layout == TableLayout::Text) {
        TableFields::append(out, TableHeaderLine(titles));
        return;
    }
    TableFields::append(out, XmlPacket::Prolog);
    // The change log: one entry per inserted row, "<row> 0 4".
    QByteArray log;
    for (qsizetype i = 0; i < totalUnits; ++i) {
        if (!table.rowIds(i).inserted)
            continue;
        if (!log.isEmpty())
            log += ' ';
        TableFields::appendNumber(log, i + 1);
        log += " 0 4";
    }
    TableFields::append(out, log.isEmpty() ? QByteArrayLiteral("<PARAMS/>") : "<PARAMS CHANGE_LOG=\"" + log + "\"/>");
    out += "</METADATA><ROWDATA>";
}

void TableSave::writeRows(std::string &out, qsizetype end)
{
    const auto bytesOf = [this](quint32 id) { return encodedTexts.bytes(id); };
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
        if (!file.open())
            return fail(file.errorString());
        writeStart(out);
        nextRow = 0;
    }
    if (table.resets() != resetsAtStart) {
        file.discard();
        return fail(QStringLiteral("the table was changed while it was being saved"));
    }
    writeRows(out, std::min(totalUnits, nextRow + RowsPerSlice));
    doneUnits = nextRow;
    const bool last = nextRow == totalUnits;
    if (last && layout == TableLayout::Xml)
        TableFields::append(out, XmlPacket::Epilog);
    if (!file.write(QByteArrayView(out.data(), qsizetype(out.size())))) {
        const QString why = file.errorString();
        file.discard();
        return fail(why);
    }
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
    file.discard();
    state = Status::Cancelled;
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
    if (totalUnits > TableFields::BytesPerSlice)
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
    const qint64 left = device->isSequential() ? TableFields::BytesPerSlice : device->size() - device->pos();
    chunk.resize(std::clamp<qint64>(left, 1, TableFields::BytesPerSlice)); // the same buffer slice after slice
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
