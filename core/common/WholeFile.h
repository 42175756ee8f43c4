#pragma once

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
    explicit WholeFile(const QString &fileName) : name(fileName) {}
    ~WholeFile() { discard(); }
    WholeFile(const WholeFile &) = delete;
    WholeFile &operator=(const WholeFile &) = delete;

    // Whether `fileName` is written into rather than replaced: it exists and
    // is not a regular file (nor a folder).
    static bool writtenInPlace(const QString &fileName);

    bool open();
    // The device to write to, once open.
    QFileDevice &device() { return *file; }
    bool commit();
    // Drops what was written; the old file stays as it was.
    void discard();
    QString errorString() const { return file ? file->errorString() : QString(); }
    const QString &fileName() const { return name; }

private:
    QString name;
    std::unique_ptr<QFileDevice> file;
};
