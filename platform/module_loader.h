// Loading a component module the way a host does: dlopen on Linux, LoadLibrary on Windows.
#ifndef ORN_PLATFORM_MODULE_LOADER_H_
#define ORN_PLATFORM_MODULE_LOADER_H_

#include <string>

// An opaque handle of a loaded module; null when loading failed.
using ModuleHandle = void*;

// Loads the module at path (UTF-8). On failure returns null and fills *error with one line.
ModuleHandle platformLoadModule(const std::string& path, std::string* error);
// The address of an exported function, or null.
void* platformModuleSymbol(ModuleHandle module, const char* name);
// Unloads; the module's exit list runs.
void platformUnloadModule(ModuleHandle module);
// The directory of the running executable, with a trailing separator.
std::string platformExecutableDirectory();
// True when a file exists at path.
bool platformFileExists(const std::string& path);

#endif  // ORN_PLATFORM_MODULE_LOADER_H_
