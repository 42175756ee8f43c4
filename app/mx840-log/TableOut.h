#pragma once

#include "core/recording/ReadingTable.h"

#include <QString>

// Where --out's rows go, so that a crash, a power cut or a full disk loses at
// most the row being written, and never what the file held before the run.
//
// A regular file (or a name not yet taken) is replaced as a whole: during a
// run every recorded row goes to "<file>.partial" beside it (locked while the
// run lasts, with the mode of the file it will replace), on disk whenever
// flush() is called; at the end that file takes the
// target's place (text), or the target is saved from the table and the
// partial file removed (XML). A target that exists and is not a regular file
// (a device, a FIFO, /dev/stdout) is never replaced: a text target gets the
// rows directly as they come, an XML one the whole packet at the end.
class TableOut
{
public:
    explicit TableOut(const QString &target);
    ~TableOut();
    TableOut(const TableOut &) = delete;
    TableOut &operator=(const TableOut &) = delete;

    // Whether the file can be written at all: not a folder, and when it is
    // replaced, its folder must be writable.
    bool canReplace();
    // Before the run: the header and the rows already in the table.
    bool start(const ReadingTable &table);
    // A recorded row, written out by the next flush().
    void add(const ReadingTable &table, qsizetype row);
    // Puts the rows added so far on the disk. After a failure the file holds
    // every whole row written before, and nothing of the rows that failed.
    bool flush();
    // Rows added and not yet flushed, in bytes.
    qsizetype pendingBytes() const { return pending.size(); }
    // After the run: the table reaches the target.
    bool finish(const ReadingTable &table);
    // After a run that is not to be kept: the partial file goes, the target
    // stays as it was.
    void abandon();

    // What went wrong, with the system's message.
    const QString &errorString() const { return error; }

private:
    bool writeWhole(const QByteArray &bytes);
    bool failWith(int errorNumber, const QString &what = {});
    bool streamsRows() const;
    bool openPartial();

    QString target;  // symbolic links followed
    QString partial; // empty when the rows go straight to the target
    bool direct;     // an existing target that is not a regular file
    int fd = -1;
    qint64 committed = 0; // bytes of whole lines in the file
    QByteArray pending;   // lines added since the last flush
    QString error;
};
