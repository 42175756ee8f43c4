// libFuzzer target: any bytes read as a replay file. Checks: the reader ends
// (at the end or at a malformed line, which it then names); a report step
// carries at most the bytes a report line can hold.
#include "core/link/ReplayFile.h"

#include <QBuffer>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QBuffer file;
    file.setData(reinterpret_cast<const char *>(data), qsizetype(size));
    file.open(QIODevice::ReadOnly);
    ReplayReader reader(file);
    size_t steps = 0;
    while (const std::optional<ReplayStep> step = reader.next()) {
        if (++steps > size + 1) // more steps than lines: the reader does not move on
            std::abort();
        if (step->kind == ReplayStep::Kind::Report && step->data.size() > qsizetype(size))
            std::abort();
    }
    if (!reader.error().isEmpty() && !reader.error().startsWith(QStringLiteral("line ")))
        std::abort();
    return 0;
}
