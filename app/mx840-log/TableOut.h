#pragma once

#include "core/recording/ReadingTable.h"

#include <QString>

// Where --out's rows go, so that a crash, a power cut or a full disk loses at
// most the row being written, and never what the file held before the run.
//
// A regular file (or a name not yet taken) is replaced as a whole: during a
// live run every recorded row goes to "<file>.partial" beside it, each line on
// disk before the next reading is taken; at the end that file takes the
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

    // Whether the file can be replaced at all: its folder must be writable.
    bool canReplace();
    // Before the run: the header and the rows already in the table.
    bool start(const ReadingTable &table);
    // A recorded row. After a failure the file holds every whole row written
    // before it, and nothing of the failed one.
    bool add(const ReadingTable &table, qsizetype row);
    // After the run: the table reaches the target.
    bool finish(const ReadingTable &table);

    // What went wrong, with the system's message.
    const QString &errorString() const { return error; }
    const QString &partialName() const { return partial; }

private:
    bool writeWhole(const QByteArray &bytes);
    bool failWith(int errorNumber, const QString &what = {});
    bool streamsRows() const;

    QString target;  // symbolic links followed
    QString partial; // empty when the rows go straight to the target
    bool direct;     // an existing target that is not a regular file
    int fd = -1;
    qint64 committed = 0; // bytes of whole lines in the file
    QString error;
};
