#pragma once

#include <QByteArray>

// The names of files that exist only while something is being written and
// must not outlive the process: a termination signal that ends the process
// removes them (RemoveAll is async-signal-safe), so an interrupted save
// leaves nothing behind even where the file system cannot make unnamed files.
namespace TemporaryFiles {

// Takes a slot for `path` (encoded as the file system wants it); the slot's
// number, or -1 when every slot is taken (the file is then not guarded).
int Register(const QByteArray &path);
void Unregister(int slot);
// Removes every registered file. Safe to call from a signal handler.
void RemoveAll();

} // namespace TemporaryFiles
