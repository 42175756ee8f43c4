#include "core/recording/TableFiles.h"

#include "core/common/Messages.h"
#include "core/recording/TextTableLayout.h"
#include "core/recording/XmlTableLayout.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// A NUL cannot be read back from a text file; XML cannot carry the other
// control characters, nor U+FFFE and U+FFFF, at all.
bool TableSave::carries(quint32 id)
{
    if (size_t(id) >= carried.size())
        carried.resize(std::max(size_t(id) + 1, size_t(table.textIdCount())));
    qint8 &known = carried[id];
    if (known == 0) {
        const QString &text = table.textById(id);
        const bool xml = layout == TableLayout::Xml;
        const bool fits = std::none_of(text.cbegin(), text.cend(), [xml](QChar c) {
            const char16_t u = c.unicode();
            return u == 0 || (xml && ((u < 32 && u != '\t' && u != '\r' && u != '\n') || u == 0xFFFE || u == 0xFFFF));
        });
        known = fits ? 1 : -1;
    }
    return known > 0;
}

// The rows up to `end`; false when a row holds a text the layout cannot carry.
bool TableSave::writeRows(std::string &out, qsizetype end)
{
    const auto bytesOf = [this](quint32 id) { return encodedTexts.bytes(id); };
    for (; nextRow < end; ++nextRow) {
        const ReadingTable::RowIds ids = table.rowIds(nextRow);
        const quint32 texts[3] = {ids.time, ids.value, ids.unit};
        for (int field = 0; field < 3; ++field) {
            if (texts[field] != 0 && !carries(texts[field])) {
                error = QStringLiteral("row %1: the %2 holds a control character that this layout cannot keep; "
                                       "nothing was written")
                            .arg(nextRow + 1)
                            .arg(ReadingTable::FieldNames()[field + 1]);
                return false;
            }
        }
        if (layout == TableLayout::Text)
            appendTextRow(out, ids, bytesOf);
        else
            appendXmlRow(out, ids, bytesOf);
    }
    return true;
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
    if (!writeRows(out, std::min(totalUnits, nextRow + RowsPerSlice))) {
        file.discard();
        return fail(error);
    }
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

// Opened without waiting: a FIFO with no writer would keep open() waiting.
// A regular file is read through that descriptor; anything else, unless
// refused, is opened again the ordinary way and read to its end.
bool TableLoad::openFile()
{
    const QByteArray name = QFile::encodeName(fileName);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat status = {};
    if (fd < 0 || ::fstat(fd, &status) != 0) {
        fail(qt_error_string(errno));
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    auto file = std::make_unique<QFile>(fileName);
    const bool regular = S_ISREG(status.st_mode);
    if (regular) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    } else {
        ::close(fd);
        if (S_ISDIR(status.st_mode)) {
            fail(QStringLiteral("%1 is a folder").arg(fileName));
            return false;
        }
        if (regularOnly) {
            fail(QStringLiteral("%1 is not a regular file").arg(fileName));
            return false;
        }
        file->open(QIODevice::ReadOnly);
    }
    if (!file->isOpen()) {
        fail(file->errorString());
        return false;
    }
    device = std::move(file);
    return true;
}

bool TableLoad::open()
{
    if (!device && !openFile())
        return false;
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
