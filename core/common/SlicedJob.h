#pragma once

#include <QString>
#include <QtGlobal>

// Work done a slice at a time (a save, an open, an export, a print) so that a
// window can show its progress, offer to cancel and keep repainting; run()
// does it all at once.
class SlicedJob
{
public:
    enum class Status { Running, Done, Failed, Cancelled };

    virtual ~SlicedJob() = default;
    // Does the next slice (a few milliseconds of work) and says where the job stands.
    virtual Status step() = 0;
    // Ends the job; whatever it had done is undone.
    virtual void cancel() = 0;
    Status run();

    Status status() const { return state; }
    // Why it failed, for logs and messages.
    const QString &errorString() const { return error; }
    qint64 progress() const { return doneUnits; }
    qint64 progressTotal() const { return totalUnits; }

protected:
    Status fail(const QString &why);

    Status state = Status::Running;
    QString error;
    qint64 doneUnits = 0;
    qint64 totalUnits = 0;
};
