#include "TableOut.h"

#include "core/common/WholeFile.h"
#include "core/recording/TableFiles.h"

#include <QFileInfo>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

TableOut::TableOut(const QString &name) : target(name)
{
    direct = WholeFile::writtenInPlace(name);
    if (direct)
        return;
    // A link to a regular file: that file is replaced, the link stays.
    const QFileInfo info(name);
    if (info.isSymLink() && info.exists())
        target = info.canonicalFilePath();
    partial = target + QStringLiteral(".partial");
}

TableOut::~TableOut()
{
    if (fd >= 0)
        ::close(fd);
}

bool TableOut::failWith(int errorNumber, const QString &what)
{
    error = what.isEmpty() ? qt_error_string(errorNumber) : what + QStringLiteral(": ") + qt_error_string(errorNumber);
    return false;
}

bool TableOut::streamsRows() const
{
    return !direct || TableLayoutOf(target) == TableLayout::Text;
}

bool TableOut::canReplace()
{
    if (direct)
        return true;
    const QString folder = QFileInfo(target).absolutePath();
    if (::access(QFile::encodeName(folder).constData(), W_OK) != 0)
        return failWith(errno, QStringLiteral("its folder %1 is not writable").arg(folder));
    return true;
}

bool TableOut::start(const ReadingTable &table)
{
    if (!streamsRows())
        return true;
    const QString name = direct ? target : partial;
    // A partial file left by an earlier run holds its rows: never overwrite it.
    const int flags = direct ? O_WRONLY | O_CLOEXEC : O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC;
    fd = ::open(QFile::encodeName(name).constData(), flags, 0666);
    if (fd < 0) {
        if (errno == EEXIST)
            return failWith(errno, QStringLiteral("%1 holds the rows of an earlier run that did not end; move it "
                                                  "away first")
                                       .arg(partial));
        return failWith(errno, name);
    }
    QByteArray lines = TableHeaderLine(ReadingTable::FieldNames());
    for (qsizetype i = 0; i < table.rowCount(); ++i)
        lines += TableRowLine(table, i);
    return writeWhole(lines);
}

bool TableOut::add(const ReadingTable &table, qsizetype row)
{
    return fd < 0 || writeWhole(TableRowLine(table, row));
}

// Writes the bytes and puts them on the disk; a write that fails half-way is
// cut off again, so the file only ever ends after a whole line.
bool TableOut::writeWhole(const QByteArray &bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int why = n < 0 ? errno : ENOSPC;
            if (!direct && ::ftruncate(fd, committed) == 0)
                ::lseek(fd, committed, SEEK_SET);
            return failWith(why);
        }
        done += n;
    }
    if (!direct && ::fdatasync(fd) != 0)
        return failWith(errno);
    committed += done;
    return true;
}

bool TableOut::finish(const ReadingTable &table)
{
    const bool streamed = fd >= 0;
    if (streamed) {
        const bool closed = ::close(fd) == 0;
        fd = -1;
        if (!closed && error.isEmpty())
            return failWith(errno);
    }
    if (streamed && direct)
        return error.isEmpty();
    if (TableLayoutOf(target) == TableLayout::Text && streamed) {
        // The partial file is the new table, already on disk.
        if (::rename(QFile::encodeName(partial).constData(), QFile::encodeName(target).constData()) != 0)
            return failWith(errno, QStringLiteral("the rows are in %1").arg(partial));
        const int folder =
            ::open(QFile::encodeName(QFileInfo(target).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            ::fsync(folder);
            ::close(folder);
        }
        return error.isEmpty();
    }
    TableSave save(table, ReadingTable::FieldNames(), target);
    if (save.run() != TableFileJob::Status::Done) {
        error =
            streamed ? QStringLiteral("%1; the rows are in %2").arg(save.errorString(), partial) : save.errorString();
        return false;
    }
    if (streamed)
        QFile::remove(partial);
    return error.isEmpty();
}
