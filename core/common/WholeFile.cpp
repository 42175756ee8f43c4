#include "core/common/WholeFile.h"

#include "core/common/TemporaryFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The umask, read without changing it (umask() would, for every thread).
mode_t currentUmask()
{
    FILE *status = std::fopen("/proc/self/status", "re");
    unsigned mask = 022;
    if (status) {
        char line[256];
        while (std::fgets(line, sizeof line, status)) {
            if (std::sscanf(line, "Umask: %o", &mask) == 1)
                break;
        }
        std::fclose(status);
    }
    return mode_t(mask);
}

void syncFolderOf(const QByteArray &path)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(path)).absolutePath());
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

QByteArray randomSuffix()
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray suffix(".");
    for (int i = 0; i < 6; ++i)
        suffix += letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
    return suffix;
}

} // namespace

class WholeFile::CheckedDevice : public QIODevice
{
public:
    explicit CheckedDevice(WholeFile &target) : file(target) {}

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 length) override
    {
        return file.write(QByteArrayView(data, length)) ? length : -1;
    }

private:
    WholeFile &file;
};

WholeFile::WholeFile(const QString &fileName) : name(fileName)
{}

WholeFile::~WholeFile()
{
    discard();
}

bool WholeFile::writtenInPlace(const QString &fileName)
{
    const QFileInfo info(fileName);
    return info.exists() && !info.isFile() && !info.isDir();
}

bool WholeFile::canWrite(const QString &fileName, QString *why)
{
    const QFileInfo info(fileName);
    if (info.isDir()) {
        *why = QStringLiteral("%1 is a folder").arg(fileName);
        return false;
    }
    if (writtenInPlace(fileName))
        return true;
    const QString folder = info.absolutePath();
    if (::access(QFile::encodeName(folder).constData(), W_OK) != 0) {
        *why = QStringLiteral("its folder %1 is not writable: %2").arg(folder, qt_error_string(errno));
        return false;
    }
    return true;
}

void WholeFile::takeAttributesOf(int file, const QString &replaced)
{
    struct stat old = {};
    if (::stat(QFile::encodeName(replaced).constData(), &old) != 0 || !S_ISREG(old.st_mode)) {
        static const mode_t mask = currentUmask();
        ::fchmod(file, 0666 & ~mask);
        return;
    }
    // The owner can only be kept by root, the group by its members too;
    // otherwise the new file stays the writer's. The mode is set last, as a
    // change of owner clears the set-id bits.
    if (::fchown(file, old.st_uid, old.st_gid) != 0 && ::fchown(file, uid_t(-1), old.st_gid) != 0) {
    }
    ::fchmod(file, old.st_mode & 07777);
}

bool WholeFile::failWith(int errorNumber)
{
    lastError = errorNumber ? errorNumber : EIO;
    return false;
}

bool WholeFile::open()
{
    checked = std::make_unique<CheckedDevice>(*this);
    checked->open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    inPlace = writtenInPlace(name);
    return inPlace ? openInPlace() : openBeside();
}

bool WholeFile::openInPlace()
{
    target = QFile::encodeName(name);
    fd = ::open(target.constData(), O_WRONLY | O_CLOEXEC);
    return fd >= 0 || failWith(errno);
}

// The new content beside the target: unnamed until it is complete where the
// file system allows that, so that even a crash leaves nothing behind.
bool WholeFile::openBeside()
{
    const QFileInfo info(name);
    target = QFile::encodeName(info.isSymLink() && info.exists() ? info.canonicalFilePath() : name);
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(target)).absolutePath());
    fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0 && !makeNamed(O_CLOEXEC))
        return false;
    takeAttributesOf(fd, QFile::decodeName(target));
    return true;
}

// A file "TARGET.XXXXXX" beside the target, removed on a termination signal.
bool WholeFile::makeNamed(int flags)
{
    return nameBesideTarget([this, flags](const QByteArray &candidate) {
        fd = ::open(candidate.constData(), O_RDWR | O_CREAT | O_EXCL | flags, 0600);
        return fd >= 0;
    });
}

// Gives the new content a name of its own beside the target with `create`.
// The name is registered before the file exists, so that a termination signal
// at any moment finds it (removing a name not yet made does nothing).
bool WholeFile::nameBesideTarget(const std::function<bool(const QByteArray &)> &create)
{
    for (int tries = 0;; ++tries) {
        const QByteArray candidate = target + randomSuffix();
        const int slot = TemporaryFiles::Register(candidate);
        if (create(candidate)) {
            tempName = candidate;
            tempSlot = slot;
            return true;
        }
        const int error = errno;
        TemporaryFiles::Unregister(slot);
        if (error != EEXIST || tries > 100)
            return failWith(error);
    }
}

bool WholeFile::write(QByteArrayView bytes)
{
    if (fd < 0)
        return failWith(EBADF);
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            writeError = n < 0 ? errno : ENOSPC;
            return failWith(writeError);
        }
        data += n;
        left -= n;
    }
    return true;
}

// The complete content takes the target's name: an unnamed file is linked in
// under a name of its own first, as a name can only be replaced by renaming.
bool WholeFile::putInPlace()
{
    if (tempName.isEmpty()) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
        const bool named = nameBesideTarget([&self](const QByteArray &candidate) {
            return ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, candidate.constData(), AT_SYMLINK_FOLLOW) == 0;
        });
        if (!named)
            return false;
    }
    if (::rename(tempName.constData(), target.constData()) != 0)
        return failWith(errno);
    TemporaryFiles::Unregister(tempSlot);
    tempSlot = -1;
    tempName.clear();
    syncFolderOf(target);
    return true;
}

bool WholeFile::commit()
{
    if (fd < 0)
        return failWith(EBADF);
    if (failed()) {
        discard();
        return false;
    }
    if (inPlace) {
        const bool closed = ::close(fd) == 0;
        fd = -1;
        return closed || failWith(errno);
    }
    if (::fsync(fd) != 0) {
        const int why = errno;
        discard();
        return failWith(why);
    }
    if (!putInPlace()) {
        const int why = lastError;
        discard();
        return failWith(why);
    }
    closeFile();
    return true;
}

void WholeFile::closeFile()
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

void WholeFile::discard()
{
    closeFile();
    if (!tempName.isEmpty())
        ::unlink(tempName.constData());
    TemporaryFiles::Unregister(tempSlot);
    tempSlot = -1;
    tempName.clear();
}

QString WholeFile::errorString() const
{
    return lastError ? qt_error_string(lastError) : QString();
}
