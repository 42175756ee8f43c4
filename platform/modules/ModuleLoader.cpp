#include "platform/modules/ModuleLoader.h"

#include <dlfcn.h>

bool ModuleOpen(ModuleHandle &handle, const char *fileName)
{
    if (!handle)
        handle = dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
    return handle != nullptr;
}

void ModuleClose(ModuleHandle &handle)
{
    if (handle)
        dlclose(handle);
    handle = nullptr;
}

void *ModuleSymbol(ModuleHandle handle, const char *name)
{
    return handle ? dlsym(handle, name) : nullptr;
}

void *ModuleSymbolAll(ModuleHandle handle, const char *name, bool &allFound)
{
    void *symbol = ModuleSymbol(handle, name);
    if (!symbol)
        allFound = false;
    return symbol;
}
