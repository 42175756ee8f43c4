#pragma once

#include <QByteArrayView>
#include <QIODevice>
#include <QString>

#include <functional>
#include <memory>

// A file written as a whole: a regular file (or a name not yet taken) gets
// its new content beside it, which replaces it only on commit, keeping the
// replaced file's mode and ownership; a name that exists and is not a regular
// file (a device, a FIFO) is written into directly, never replaced.
//
// The new content lives in an unnamed file where the file system makes them,
// otherwise in "NAME.XXXXXX", which a termination signal removes.
class WholeFile
{
public:
    explicit WholeFile(const QString &fileName);
    ~WholeFile();
    WholeFile(const WholeFile &) = delete;
    WholeFile &operator=(const WholeFile &) = delete;

    // Whether `fileName` is written into rather than replaced: it exists and
    // is not a regular file (nor a folder).
    static bool writtenInPlace(const QString &fileName);
    // Whether `fileName` can be written at all, before any work is done: it
    // is not a folder and, unless written in place, its folder exists and is
    // writable. `why` says what stands in the way, with the system's reason.
    static bool canWrite(const QString &fileName, QString *why);
    // Gives the file behind `fd` the mode and, where allowed, the owner and
    // group of `replaced`, when that exists; a new file gets the mode the
    // umask leaves of 0666.
    static void takeAttributesOf(int fd, const QString &replaced);

    bool open();
    // The device to write to, once open, for writers that write to a device
    // themselves and do not look at what each write returns (Qt's PDF
    // writer): its writes go through write(), so a failed one is kept.
    QIODevice &device() { return *checked; }
    // Writes all of `bytes`; false, with the system's reason kept, when it cannot.
    bool write(QByteArrayView bytes);
    // Whether a write has failed: the file is then never committed.
    bool failed() const { return writeError != 0; }
    // Puts the new content in place; false, leaving the old file, when a
    // write failed or the content cannot be put in place.
    bool commit();
    // Drops what was written; the old file stays as it was.
    void discard();
    // Why the last operation failed, in the system's words.
    QString errorString() const;
    const QString &fileName() const { return name; }

private:
    class CheckedDevice;
    bool openInPlace();
    bool openBeside();
    bool makeNamed(int flags);
    bool nameBesideTarget(const std::function<bool(const QByteArray &)> &create);
    bool putInPlace();
    bool failWith(int errorNumber);
    void closeFile();

    QString name;
    QByteArray target;   // the file replaced, symbolic links followed, encoded
    QByteArray tempName; // the named file beside it, while there is one
    int tempSlot = -1;
    int fd = -1;
    bool inPlace = false;
    std::unique_ptr<QIODevice> checked;
    int lastError = 0;
    int writeError = 0;
};
