#include "TableOut.h"

#include "core/common/WholeFile.h"
#include "core/recording/TableFiles.h"

#include <QFileInfo>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
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
    return WholeFile::canWrite(target, &error);
}

// A partial file left by an earlier run holds its rows: it is never
// overwritten. The run writing one holds a lock on it, which tells the two apart.
bool TableOut::openPartial()
{
    const QByteArray name = QFile::encodeName(partial);
    fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::flock(fd, LOCK_EX | LOCK_NB);
        WholeFile::takeAttributesOf(fd, target);
        return true;
    }
    if (errno != EEXIST)
        return failWith(errno, partial);
    const int other = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    const bool held = other >= 0 && ::flock(other, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    if (other >= 0)
        ::close(other);
    if (held)
        return failWith(EEXIST, QStringLiteral("%1 is being written by another run that is still going").arg(partial));
    return failWith(
        EEXIST,
        QStringLiteral("%1 holds the rows of an earlier run that did not end; move it away first").arg(partial));
}

bool TableOut::start(const ReadingTable &table)
{
    if (!streamsRows())
        return true;
    if (direct) {
        fd = ::open(QFile::encodeName(target).constData(), O_WRONLY | O_CLOEXEC);
        if (fd < 0)
            return failWith(errno, target);
    } else if (!openPartial()) {
        return false;
    }
    QByteArray lines = TableHeaderLine(ReadingTable::FieldNames());
    for (qsizetype i = 0; i < table.rowCount(); ++i)
        lines += TableRowLine(table, i);
    return writeWhole(lines);
}

void TableOut::add(const ReadingTable &table, qsizetype row)
{
    if (fd >= 0)
        pending += TableRowLine(table, row);
}

bool TableOut::flush()
{
    if (fd < 0 || pending.isEmpty())
        return error.isEmpty();
    const bool written = writeWhole(pending);
    pending.clear();
    return written;
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
    flush();
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

void TableOut::abandon()
{
    if (fd < 0)
        return;
    ::close(fd);
    fd = -1;
    pending.clear();
    if (!direct)
        QFile::remove(partial);
}
