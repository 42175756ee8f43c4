#pragma once

// Loading a shared library by name at run time and looking up its exports.
// A module handle of nullptr means that no library is held.
using ModuleHandle = void *;

// Loads the library unless the handle already holds one; true when it does now.
bool ModuleOpen(ModuleHandle &handle, const char *fileName);
// Releases the library, if held; the handle becomes nullptr.
void ModuleClose(ModuleHandle &handle);
// The named export, or nullptr when there is no library or no such export.
void *ModuleSymbol(ModuleHandle handle, const char *name);
// As ModuleSymbol, and clears `allFound` when the export is missing; never sets it.
void *ModuleSymbolAll(ModuleHandle handle, const char *name, bool &allFound);

// Binds one slot, a function pointer, to the named export; a missing export
// leaves it empty and clears `allFound`.
template <typename Function> void ModuleBind(ModuleHandle module, Function *&slot, const char *name, bool &allFound)
{
    slot = reinterpret_cast<Function *>(ModuleSymbolAll(module, name, allFound));
}
