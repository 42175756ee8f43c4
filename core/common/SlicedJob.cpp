#include "core/common/SlicedJob.h"

SlicedJob::Status SlicedJob::run()
{
    while (step() == Status::Running) {
    }
    return state;
}

SlicedJob::Status SlicedJob::fail(const QString &why)
{
    error = why;
    state = Status::Failed;
    return state;
}
