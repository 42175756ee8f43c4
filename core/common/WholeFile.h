#pragma once

#include <QByteArrayView>
#include <QFileDevice>
#include <QString>

#include <memory>

// A file written as a whole: a regular file (or a name not yet taken) gets
// its new content beside it, which replaces it only on commit; a name that
// exists and is not a regular file (a device, a FIFO) is written into
// directly, never replaced.
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

    QString name;
    std::unique_ptr<QFileDevice> file;
    std::unique_ptr<QIODevice> checked;
    int writeError = 0; // errno of a failed write: Qt reports a short write as "Unknown error"
};
