#include "core/common/TemporaryFiles.h"

#include <array>
#include <atomic>
#include <climits>
#include <cstring>

#include <unistd.h>

namespace {

enum SlotState : int { Free, Filling, Held };

struct Slot
{
    std::atomic<int> state{Free};
    char path[PATH_MAX]{};
};

// A few files are written at once at most (a save, an export).
std::array<Slot, 16> registered;

} // namespace

int TemporaryFiles::Register(const QByteArray &path)
{
    if (path.size() >= PATH_MAX)
        return -1;
    for (size_t i = 0; i < registered.size(); ++i) {
        int expected = Free;
        if (!registered[i].state.compare_exchange_strong(expected, Filling))
            continue;
        std::memcpy(registered[i].path, path.constData(), size_t(path.size()) + 1);
        registered[i].state.store(Held);
        return int(i);
    }
    return -1;
}

void TemporaryFiles::Unregister(int slot)
{
    if (slot >= 0 && size_t(slot) < registered.size())
        registered[size_t(slot)].state.store(Free);
}

void TemporaryFiles::RemoveAll()
{
    for (Slot &slot : registered) {
        if (slot.state.load() == Held)
            ::unlink(slot.path);
    }
}
